#include "accessibility/BoardGeometry.h"

#include <cmath>

namespace Tavrune {

int32_t BoardGeometry::cellWidth() const {
  return static_cast<int32_t>((static_cast<int64_t>(rect_.right) - rect_.left) / 9);
}

int32_t BoardGeometry::cellHeight() const {
  return static_cast<int32_t>((static_cast<int64_t>(rect_.bottom) - rect_.top) / 10);
}

CellBox BoardGeometry::cellBox(const Position& pos) const {
  const int32_t column = blackAtBottom_ ? 8 - pos.x : pos.x;
  const int32_t row = blackAtBottom_ ? 9 - pos.y : pos.y;
  const int32_t width = cellWidth();
  const int32_t height = cellHeight();
  return {rect_.left + column * width, rect_.top + row * height, width, height};
}

Position BoardGeometry::pointAt(double x, double y) const {
  const int32_t width = cellWidth();
  const int32_t height = cellHeight();
  if (width <= 0 || height <= 0 || !std::isfinite(x) || !std::isfinite(y)) return {};
  // Floor, not truncation: a point just left of or above the origin must not land in
  // column or row 0.
  const double column = std::floor((x - rect_.left) / width);
  const double row = std::floor((y - rect_.top) / height);
  if (column < 0 || column > 8 || row < 0 || row > 9) return {};
  const int32_t c = static_cast<int32_t>(column);
  const int32_t r = static_cast<int32_t>(row);
  return blackAtBottom_ ? Position(8 - c, 9 - r) : Position(c, r);
}

}  // namespace Tavrune
