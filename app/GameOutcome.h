#pragma once
// How a finished game ends for the local player and what is said about it.
// Stand-in: the player-versus-engine controller will own these two answers; the window
// switches to it when it lands.
#include <cstdint>
#include <string>

#include "game/ChessTypes.h"

namespace Tavrune {

class GameOutcome {
 public:
  // 1 the player won, 2 the player lost, 0 for a draw, a game still running or no side.
  static int32_t resultForPlayer(GameState state, PieceColor player);
  // The spoken end of the game; empty while it is not over.
  static std::wstring gameOverText(GameState state);
};

}  // namespace Tavrune
