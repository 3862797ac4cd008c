#include <gtest/gtest.h>

#include "accessibility/AccessibleCellName.h"
#include "accessibility/BoardGeometry.h"

namespace Tavrune {
namespace {

TEST(AccessibleCellName, NamesPiecesAndEmptyPointsFromBothSides) {
  const struct {
    Position pos;
    PieceType piece;
    bool redNumbering;
    std::wstring expected;
  } cases[] = {
      {{0, 9}, RED_ROOK, true, L"红车9 0"},
      {{0, 9}, RED_ROOK, false, L"红车1 9"},
      {{4, 4}, EMPTY, true, L"5 5"},
      {{4, 4}, EMPTY, false, L"5 4"},
      {{8, 0}, BLACK_PAWN, true, L"黑卒1 9"},
      {{4, 0}, BLACK_KING, false, L"黑将5 0"},
      {{1, 2}, static_cast<PieceType>(20), false, L"未知2 2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(accessibleCellName(c.pos, c.piece, c.redNumbering), c.expected)
        << c.pos.x << "," << c.pos.y << " red=" << c.redNumbering;
  }
}

TEST(BoardGeometry, PlacesCellsForBothDrawnOrientations) {
  BoardGeometry geometry;  // (10, 40)-(550, 640): 60-pixel squares
  const struct {
    Position pos;
    bool blackAtBottom;
    CellBox expected;
  } cases[] = {
      {{0, 0}, false, {10, 40, 60, 60}},
      {{8, 9}, false, {490, 580, 60, 60}},
      {{0, 0}, true, {490, 580, 60, 60}},
      {{3, 4}, true, {310, 340, 60, 60}},
  };
  for (const auto& c : cases) {
    geometry.setBlackAtBottom(c.blackAtBottom);
    const CellBox box = geometry.cellBox(c.pos);
    EXPECT_EQ(box.left, c.expected.left);
    EXPECT_EQ(box.top, c.expected.top);
    EXPECT_EQ(box.width, c.expected.width);
    EXPECT_EQ(box.height, c.expected.height);
  }
}

TEST(BoardGeometry, FindsThePointUnderAClientCoordinate) {
  const Position none;
  const struct {
    BoardRect rect;
    bool blackAtBottom;
    double x, y;
    Position expected;
  } cases[] = {
      {{}, false, 10, 40, {0, 0}},
      {{}, false, 549.9, 639.9, {8, 9}},
      {{}, false, 200, 300, {3, 4}},
      {{}, true, 200, 300, {5, 5}},
      {{}, false, 9.5, 100, none},   // just left of the origin: not column 0
      {{}, false, 100, 39.9, none},  // just above it
      {{}, false, 550, 100, none},   // past the last column
      {{}, false, 100, 640, none},   // past the last row
      {{10, 40, 10, 40}, false, 10, 40, none},  // no area at all
      {{10, 40, 18, 640}, false, 10, 40, none},  // columns narrower than a pixel
      {{100, 100, 10, 10}, false, 50, 50, none},  // inverted rectangle
  };
  BoardGeometry geometry;
  for (const auto& c : cases) {
    geometry.setRect(c.rect);
    geometry.setBlackAtBottom(c.blackAtBottom);
    EXPECT_EQ(geometry.pointAt(c.x, c.y), c.expected) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace Tavrune
