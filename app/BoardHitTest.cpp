#include "app/BoardHitTest.h"

namespace Tavrune {

std::optional<Position> BoardHitTest::pointAt(int32_t clientX, int32_t clientY, bool boardFlipped) {
  const int32_t x = clientX - kLeft;
  const int32_t y = clientY - kTop;
  if (x < 0 || x > 9 * kSquare - 1 || y < 0 || y > 10 * kSquare - 1) return std::nullopt;
  int32_t file = x / kSquare;
  int32_t row = y / kSquare;
  if (boardFlipped) {
    file = 8 - file;
    row = 9 - row;
  }
  return Position(file, row);
}

}  // namespace Tavrune
