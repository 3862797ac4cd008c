#pragma once
// The answer of the notation lookup: which legal move, if exactly one, a query names.
#include <cstdint>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune {

struct NotationMatch {
  enum Status : int32_t { Found = 0, InvalidQuery = 1, NoMatch = 2, Ambiguous = 3 };

  Status status = NoMatch;
  Move move;                    // the move when Found; otherwise no points, no pieces
  std::vector<Move> candidates;  // every legal move the query matched
};

}  // namespace Tavrune
