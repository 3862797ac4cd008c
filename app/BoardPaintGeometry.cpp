#include "app/BoardPaintGeometry.h"

#include <algorithm>

#include "core/TextConversion.h"

namespace Tavrune {

PaintPoint BoardPaintGeometry::screenCell(Position point, bool flipped) {
  if (flipped) return {8 - point.x, 9 - point.y};
  return {point.x, point.y};
}

PaintRect BoardPaintGeometry::square(Position point, bool flipped, const PaintRect& board) {
  const PaintPoint cell = screenCell(point, flipped);
  const int32_t left = board.left + kSquare * cell.x;
  const int32_t top = board.top + kSquare * cell.y;
  return {left, top, left + kSquare, top + kSquare};
}

PaintRect BoardPaintGeometry::mark(const PaintRect& sq, SquareMark which) {
  auto inset = [&sq](int32_t by) { return PaintRect{sq.left + by, sq.top + by, sq.left + kSquare - by, sq.top + kSquare - by}; };
  switch (which) {
    case SquareMark::MainSelection:
    case SquareMark::MainCursor:
    case SquareMark::OpponentCursorFrame: return inset(2);
    case SquareMark::OpponentSelectionFrame: return inset(1);
    case SquareMark::OpponentSelectionFill: return inset(6);
    case SquareMark::OpponentCursorFill: return inset(0);
    case SquareMark::LastMove: return inset(3);
  }
  return sq;
}

PaintRect BoardPaintGeometry::pieceDisc(const PaintRect& sq) {
  const int32_t cx = (sq.left + sq.right) / 2;
  const int32_t cy = (sq.top + sq.bottom) / 2;
  return {cx - kPieceRadius, cy - kPieceRadius, cx + kPieceRadius, cy + kPieceRadius};
}

PaintRect BoardPaintGeometry::riverTextBox(const PaintRect& board) {
  return {board.left + 30, board.top + 270, board.right - 30, board.top + 330};
}

std::optional<Move> BoardPaintGeometry::reviewLastMove(bool reviewActive, int32_t step,
                                                      const std::vector<Move>& history) {
  if (!reviewActive || step < 1 || static_cast<size_t>(step) > history.size()) return std::nullopt;
  return history[static_cast<size_t>(step) - 1];
}

BoardRenderState BoardPaintGeometry::renderState(Position cursor, Position selected, Position player2Cursor,
                                                 Position player2Selected, bool reviewActive, int32_t reviewStep,
                                                 const std::vector<Move>& history, bool flipped) {
  BoardRenderState state;
  state.mainCursor = cursor;
  state.mainSelection = selected;
  state.opponentCursor = player2Cursor;
  state.opponentSelection = player2Selected;
  state.reviewActive = reviewActive;
  state.reviewStep = reviewStep;
  if (std::optional<Move> last = reviewLastMove(reviewActive, reviewStep, history)) state.lastMove = *last;
  state.flipped = flipped;
  return state;
}

std::wstring BoardPaintGeometry::statusLine(bool reviewActive, int32_t reviewStep, int64_t snapshotCount,
                                            PieceColor toMove) {
  if (reviewActive) {
    const int64_t steps = std::max<int64_t>(snapshotCount - 1, 0);
    return L"复盘 第" + std::to_wstring(reviewStep) + L"/" + std::to_wstring(steps) + L"步";
  }
  return std::wstring(toMove == RED ? L"红" : L"黑") + L"方走棋";
}

bool BoardPaintGeometry::showsEngineLine(GameMode mode, bool engineExists) { return mode == MODE_PVE && engineExists; }

std::wstring BoardPaintGeometry::engineLine(const std::string& engineStateText) {
  return L"引擎: " + utf8ToWide(engineStateText);
}

PaintPoint BoardPaintGeometry::engineLineOrigin(const PaintRect& client, int32_t textWidth, int32_t textHeight) {
  return {client.right - textWidth - kEngineLineRightMargin, client.bottom - textHeight - kEngineLineBottomMargin};
}

}  // namespace Tavrune
