#include <gtest/gtest.h>

#include <vector>

#include "app/BoardPaintGeometry.h"

namespace Tavrune {
namespace {

using G = BoardPaintGeometry;

TEST(BoardPaintGeometryTest, SquaresInBothOrientations) {
  struct Case {
    Position point;
    bool flipped;
    PaintRect square;
  };
  const std::vector<Case> cases = {
      {{0, 0}, false, {10, 40, 70, 100}},    {{8, 9}, false, {490, 580, 550, 640}},
      {{0, 0}, true, {490, 580, 550, 640}},  {{8, 9}, true, {10, 40, 70, 100}},
      {{4, 5}, false, {250, 340, 310, 400}}, {{4, 5}, true, {250, 280, 310, 340}},
      {{2, 7}, false, {130, 460, 190, 520}}, {{2, 7}, true, {370, 160, 430, 220}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y << " flipped " << c.flipped);
    EXPECT_EQ(G::square(c.point, c.flipped), c.square);
  }
  // Another board rectangle moves every square with it.
  EXPECT_EQ(G::square({1, 1}, false, {0, 0, 540, 600}), (PaintRect{60, 60, 120, 120}));
}

TEST(BoardPaintGeometryTest, LastMoveOnlyInReviewFromStepOne) {
  const std::vector<Move> history = {{{7, 7}, {4, 7}, RED_CANNON, EMPTY}, {{1, 0}, {2, 2}, BLACK_KNIGHT, EMPTY}};
  struct Case {
    bool review;
    int32_t step;
    std::optional<Move> last;
  };
  const std::vector<Case> cases = {
      {false, 2, std::nullopt}, {true, 0, std::nullopt}, {true, -1, std::nullopt},
      {true, 1, history[0]},    {true, 2, history[1]},   {true, 3, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "review " << c.review << " step " << c.step);
    EXPECT_EQ(G::reviewLastMove(c.review, c.step, history), c.last);
    const BoardRenderState state = G::renderState({1, 2}, {3, 4}, {5, 6}, {}, c.review, c.step, history, true);
    EXPECT_EQ(state.lastMove, c.last.value_or(Move{}));
    EXPECT_EQ(state.mainCursor, (Position{1, 2}));
    EXPECT_EQ(state.mainSelection, (Position{3, 4}));
    EXPECT_EQ(state.opponentCursor, (Position{5, 6}));
    EXPECT_FALSE(state.opponentSelection.isValid());
    EXPECT_TRUE(state.flipped);
  }
}

TEST(BoardPaintGeometryTest, StatusAndEngineLines) {
  struct Case {
    bool review;
    int32_t step;
    int64_t snapshots;
    PieceColor toMove;
    std::wstring text;
  };
  const std::vector<Case> cases = {
      {false, 0, 0, RED, L"红方走棋"},        {false, 3, 9, BLACK, L"黑方走棋"},
      {true, 0, 6, RED, L"复盘 第0/5步"},     {true, 5, 6, BLACK, L"复盘 第5/5步"},
      {true, 0, 0, RED, L"复盘 第0/0步"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(G::statusLine(c.review, c.step, c.snapshots, c.toMove), c.text);
  }
  EXPECT_TRUE(G::showsEngineLine(MODE_PVE, true));
  EXPECT_FALSE(G::showsEngineLine(MODE_PVE, false));
  EXPECT_FALSE(G::showsEngineLine(MODE_PVP, true));
  EXPECT_FALSE(G::showsEngineLine(MODE_LAN, true));
  EXPECT_EQ(G::engineLine("未启动"), L"引擎: 未启动");
  EXPECT_EQ(G::engineLineOrigin({0, 0, 624, 711}, 100, 16), (PaintPoint{514, 689}));
}

}  // namespace
}  // namespace Tavrune
