#pragma once
// A game as it stood, kept so that it can be put back later (a stopped game that is
// resumed, the game before a record load that is cancelled): where it started, every
// move since, and what replaying them cannot tell (a result set without a move).
#include <string>
#include <vector>

#include "game/Board.h"
#include "game/ChessTypes.h"
#include "records/ChessScoreHeader.h"

namespace Tavrune {

struct GameSnapshot {
  GameMode mode = MODE_PVP;
  std::string startFen = STANDARD_START_FEN;
  std::vector<Move> moves;
  // The board after the moves; a restore checks that the replay arrives here.
  std::string positionFen = STANDARD_START_FEN;
  GameState state = PLAYING;
  ChessScoreHeader loadedScoreHeader;
  size_t loadedScoreMoves = 0;
};

}  // namespace Tavrune
