#pragma once
// Which board point a mouse click lands on: the drawn board is nine 60-pixel files by
// ten 60-pixel rows with its top-left corner at client (10, 40).
#include <cstdint>
#include <optional>

#include "game/ChessTypes.h"

namespace Tavrune {

class BoardHitTest {
 public:
  static constexpr int32_t kLeft = 10;
  static constexpr int32_t kTop = 40;
  static constexpr int32_t kSquare = 60;

  // Client coordinates as signed values; none for a click beside the board. With the
  // board flipped (Black drawn at the bottom) the point is mirrored.
  static std::optional<Position> pointAt(int32_t clientX, int32_t clientY, bool boardFlipped);
};

}  // namespace Tavrune
