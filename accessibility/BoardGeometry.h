#pragma once
// Where each point sits on the drawn board, in the window's client coordinates. The
// drawn orientation (Black at the bottom mirrors the board) is independent of the
// numbering spoken in cell names.
#include <cstdint>

#include "game/ChessTypes.h"

namespace Tavrune {

struct BoardRect {
  int32_t left = 10;
  int32_t top = 40;
  int32_t right = 550;
  int32_t bottom = 640;
};

struct CellBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class BoardGeometry {
 public:
  void setRect(const BoardRect& rect) { rect_ = rect; }
  const BoardRect& rect() const { return rect_; }
  // With Black at the bottom the point (x, y) is drawn at column 8 - x, row 9 - y.
  void setBlackAtBottom(bool blackAtBottom) { blackAtBottom_ = blackAtBottom; }
  bool blackAtBottom() const { return blackAtBottom_; }

  // Nine columns and ten rows share the rectangle, truncated to whole pixels.
  int32_t cellWidth() const;
  int32_t cellHeight() const;
  // The square of a point on the board, in client coordinates.
  CellBox cellBox(const Position& pos) const;
  // The point drawn under a client coordinate; an invalid Position when the coordinate
  // lies outside the grid or the rectangle has no area.
  Position pointAt(double x, double y) const;

 private:
  BoardRect rect_;
  bool blackAtBottom_ = false;
};

}  // namespace Tavrune
