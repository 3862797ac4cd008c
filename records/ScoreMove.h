#pragma once
// One ply of a game record's main line with the comment that follows it.
#include <cstdint>
#include <string>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune {

struct ScoreMove {
  Move move;
  std::string comment;
  std::string extraText;     // left empty by every producer
  int32_t moveNumber = 0;    // full-move number of the ply
  bool flag = false;         // set by every producer
  std::vector<ScoreMove> variations;  // alternative continuations; nothing fills them

  friend bool operator==(const ScoreMove&, const ScoreMove&) = default;
};

}  // namespace Tavrune
