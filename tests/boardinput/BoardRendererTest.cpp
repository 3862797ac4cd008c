#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/BoardPaintGeometry.h"
#include "app/BoardRenderer.h"
#include "game/Board.h"

namespace Tavrune {
namespace {

constexpr int kWidth = 624;
constexpr int kHeight = 711;

constexpr COLORREF kBoard = RGB(240, 217, 181);
constexpr COLORREF kRedPiece = RGB(255, 200, 200);
constexpr COLORREF kBlackPiece = RGB(200, 200, 200);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kOrange = RGB(255, 200, 0);

// A 32-bit client-sized bitmap standing in for the window's paint device context.
class Canvas {
 public:
  Canvas() {
    screen_ = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }
  HDC dc() const { return dc_; }
  COLORREF at(int x, int y) const {
    GdiFlush();
    const uint32_t p = static_cast<const uint32_t*>(bits_)[y * kWidth + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

struct PaintRig {
  Canvas canvas;
  BoardRenderer renderer;
  Board board;
  HFONT engineFont = nullptr;

  PaintRig() {
    EXPECT_TRUE(renderer.createResources());
    EXPECT_TRUE(board.fromFEN(STANDARD_START_FEN));
  }
  ~PaintRig() {
    if (engineFont) DeleteObject(engineFont);
  }
  void paint(const BoardRenderState& state, const std::wstring& status = L"红方走棋",
             const std::wstring& engine = L"") {
    const RECT client{0, 0, kWidth, kHeight};
    renderer.paintClientArea(canvas.dc(), client, board, state, status, engine, engineFont);
  }
  // A point inside a square, given as an offset from the square's top-left corner.
  COLORREF inSquare(Position point, bool flipped, int dx, int dy) const {
    const PaintRect sq = BoardPaintGeometry::square(point, flipped);
    return canvas.at(sq.left + dx, sq.top + dy);
  }
};

// Left of the disc's centre, clear of the piece name.
constexpr int kDiscX = 8;
constexpr int kDiscY = 30;

TEST(BoardRendererTest, OpeningPositionAtStartUp) {
  PaintRig rig;
  rig.paint(BoardRenderState{});
  struct Case {
    Position point;
    COLORREF colour;
  };
  const Case pieces[] = {{{0, 9}, kRedPiece}, {{4, 9}, kRedPiece}, {{7, 7}, kRedPiece}, {{8, 6}, kRedPiece},
                         {{0, 0}, kBlackPiece}, {{4, 0}, kBlackPiece}, {{1, 2}, kBlackPiece}, {{6, 3}, kBlackPiece},
                         {{4, 4}, kBoard}, {{1, 1}, kBoard}};
  for (const Case& c : pieces) {
    SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
    EXPECT_EQ(rig.inSquare(c.point, false, kDiscX, kDiscY), c.colour);
  }
  // Both cursors start on (4, 5): the red marker with its white frame covers the green one.
  EXPECT_EQ(rig.inSquare({4, 5}, false, 30, 30), RGB(255, 0, 0));
  EXPECT_EQ(rig.inSquare({4, 5}, false, 2, 30), kWhite);
  // Outside the board the window stays white.
  EXPECT_EQ(rig.canvas.at(600, 300), kWhite);
  EXPECT_EQ(rig.canvas.at(300, 680), kWhite);
}

TEST(BoardRendererTest, CursorsAndSelectionsInBothOrientations) {
  for (bool flipped : {false, true}) {
    SCOPED_TRACE(flipped ? "flipped" : "upright");
    PaintRig rig;
    BoardRenderState state;
    state.flipped = flipped;
    state.mainCursor = {2, 5};
    state.mainSelection = {7, 7};
    state.opponentCursor = {6, 4};
    state.opponentSelection = {1, 2};
    rig.paint(state);
    EXPECT_EQ(rig.inSquare({2, 5}, flipped, 2, 30), RGB(0, 255, 0));
    EXPECT_EQ(rig.inSquare({2, 5}, flipped, 30, 30), kBoard);
    EXPECT_EQ(rig.inSquare({7, 7}, flipped, 2, 30), RGB(0, 0, 255));
    EXPECT_EQ(rig.inSquare({7, 7}, flipped, kDiscX, kDiscY), kRedPiece);
    EXPECT_EQ(rig.inSquare({1, 2}, flipped, 30, 30), RGB(255, 0, 255));  // covers the black cannon
    EXPECT_EQ(rig.inSquare({6, 4}, flipped, 30, 30), RGB(255, 0, 0));
    // The flipped board draws Red's rook on (0, 9) in the top-left square.
    EXPECT_EQ(rig.canvas.at(flipped ? 10 + kDiscX : 490 + kDiscX, flipped ? 40 + kDiscY : 580 + kDiscY), kRedPiece);
  }
}

TEST(BoardRendererTest, SelectionsOffTheBoardDrawNothing) {
  PaintRig plain;
  plain.paint(BoardRenderState{});
  PaintRig odd;
  BoardRenderState state;
  state.mainSelection = {9, 3};
  state.opponentSelection = {3, 10};
  odd.paint(state);
  for (int y = 40; y < 640; y += 3) {
    for (int x = 10; x < 550; x += 3) {
      ASSERT_EQ(plain.canvas.at(x, y), odd.canvas.at(x, y)) << x << "," << y;
    }
  }
}

// Counts the orange pixels along the top edge of a last-move frame.
int orangeAlongTop(const PaintRig& rig, Position point) {
  const PaintRect frame = BoardPaintGeometry::mark(BoardPaintGeometry::square(point, false), SquareMark::LastMove);
  int orange = 0;
  for (int x = frame.left + 4; x < frame.right - 4; ++x) orange += rig.canvas.at(x, frame.top) == kOrange;
  return orange;
}

TEST(BoardRendererTest, ReviewFramesTheLastMoveDashedAtItsSource) {
  PaintRig rig;
  BoardRenderState state;
  state.reviewActive = true;
  state.reviewStep = 1;
  state.lastMove = {{0, 6}, {0, 5}, RED_PAWN, EMPTY};
  state.mainCursor = {8, 0};
  state.opponentCursor = {8, 1};
  rig.paint(state, L"复盘 第1/1步");
  const int span = 54 - 8;
  EXPECT_EQ(orangeAlongTop(rig, {0, 5}), span);  // solid destination
  const int dashed = orangeAlongTop(rig, {0, 6});
  EXPECT_GT(dashed, 0);
  EXPECT_LT(dashed, span);

  // Not in review, or at the start of one, no frame is drawn.
  state.reviewStep = 0;
  rig.paint(state, L"复盘 第0/1步");
  EXPECT_EQ(orangeAlongTop(rig, {0, 5}), 0);
  EXPECT_EQ(orangeAlongTop(rig, {0, 6}), 0);
}

bool anyPixel(const Canvas& canvas, int left, int top, int right, int bottom, bool (*test)(COLORREF)) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (test(canvas.at(x, y))) return true;
    }
  }
  return false;
}

TEST(BoardRendererTest, StatusLineAndEngineLine) {
  auto notWhite = [](COLORREF c) { return c != RGB(255, 255, 255); };
  PaintRig rig;
  rig.paint(BoardRenderState{}, L"红方走棋", L"");
  EXPECT_TRUE(anyPixel(rig.canvas, 10, 10, 200, 38, notWhite));
  EXPECT_FALSE(anyPixel(rig.canvas, 400, 660, kWidth, kHeight, notWhite));

  rig.paint(BoardRenderState{}, L"红方走棋", L"引擎: 未启动");
  ASSERT_NE(rig.engineFont, nullptr);
  EXPECT_TRUE(anyPixel(rig.canvas, 400, 660, kWidth - 10, kHeight - 6, notWhite));
  // The engine line stays inside its margins.
  EXPECT_FALSE(anyPixel(rig.canvas, kWidth - 10, 640, kWidth, kHeight, notWhite));
  EXPECT_FALSE(anyPixel(rig.canvas, 0, kHeight - 6, kWidth, kHeight, notWhite));
  const HFONT kept = rig.engineFont;
  rig.paint(BoardRenderState{}, L"黑方走棋", L"引擎: 未启动");
  EXPECT_EQ(rig.engineFont, kept);  // made once, then reused
}

}  // namespace
}  // namespace Tavrune
