#pragma once
// A game record: header texts, start position and the main line of moves. The common
// form between the live game and the record files; a plain value.
#include <string>
#include <vector>

#include "records/ChessScoreHeader.h"
#include "records/ScoreMove.h"

namespace Tavrune {

class GameEngine;

struct ChessScore {
  ChessScoreHeader header;
  std::string startFen;  // empty means the standard opening
  std::vector<ScoreMove> moves;
  std::string reservedText;
  // A reader that kept the moves before one the rules refuse names that move here; the
  // record then holds only the part of the game before it.
  std::string refusedMove;

  // The game as it stands: its start FEN, its history and a result from its state.
  static ChessScore fromGameState(const GameEngine& game);
  // Starts a new two-player game from the record's position and replays the moves with
  // the game's callbacks suppressed; false at the first move the game refuses.
  bool toGameState(GameEngine& game) const;
};

}  // namespace Tavrune
