#pragma once
// One board file as a player reads it aloud: its number from that player's right and
// the ten points from Black's back rank to Red's.
#include <array>
#include <cstdint>

#include "game/ChessTypes.h"

namespace Tavrune {

struct FileSquares {
  int32_t fileNumber = 0;
  std::array<PieceType, 10> cells{};  // rows y = 0..9
};

}  // namespace Tavrune
