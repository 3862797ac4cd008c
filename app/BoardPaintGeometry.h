#pragma once
// Where the painted board puts each thing, in client pixels, and the texts of the status
// and engine lines: pure functions, so paint can be checked without a window.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/BoardRenderState.h"
#include "game/ChessTypes.h"

namespace Tavrune {

struct PaintRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend constexpr bool operator==(const PaintRect&, const PaintRect&) = default;
};

struct PaintPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend constexpr bool operator==(const PaintPoint&, const PaintPoint&) = default;
};

// The rectangles drawn inside one square, each relative to the square.
enum class SquareMark {
  MainSelection,          // blue frame
  OpponentSelectionFrame, // magenta frame
  OpponentSelectionFill,  // magenta fill over the piece
  MainCursor,             // green frame
  OpponentCursorFill,     // red over the whole square
  OpponentCursorFrame,    // white frame on the red
  LastMove,               // orange frame, dashed on the source
};

class BoardPaintGeometry {
 public:
  static constexpr PaintRect kBoardRect{10, 40, 550, 640};
  static constexpr int32_t kSquare = 60;
  static constexpr int32_t kPieceRadius = 25;
  static constexpr PaintPoint kStatusLineOrigin{10, 10};
  static constexpr int32_t kEngineLineRightMargin = 10;
  static constexpr int32_t kEngineLineBottomMargin = 6;
  // Thirteen blanks between the two halves.
  static constexpr wchar_t kRiverText[] = L"楚 河             汉 界";

  // The drawn column and row of a point: mirrored on the flipped board.
  static PaintPoint screenCell(Position point, bool flipped);
  static PaintRect square(Position point, bool flipped, const PaintRect& board = kBoardRect);
  static PaintRect mark(const PaintRect& square, SquareMark which);
  static PaintRect pieceDisc(const PaintRect& square);
  static PaintRect riverTextBox(const PaintRect& board = kBoardRect);

  // The move a review at this step has just shown, when there is one.
  static std::optional<Move> reviewLastMove(bool reviewActive, int32_t step, const std::vector<Move>& history);
  // The render state from the window's cursors, selections, review and orientation.
  static BoardRenderState renderState(Position cursor, Position selected, Position player2Cursor,
                                      Position player2Selected, bool reviewActive, int32_t reviewStep,
                                      const std::vector<Move>& history, bool flipped);

  // "复盘 第k/n步" in review (n the snapshots less the start), else "红方走棋" / "黑方走棋".
  static std::wstring statusLine(bool reviewActive, int32_t reviewStep, int64_t snapshotCount, PieceColor toMove);
  // Shown only against the engine, once the engine front end exists.
  static bool showsEngineLine(GameMode mode, bool engineExists);
  // "引擎: " and the engine's state text (UTF-8).
  static std::wstring engineLine(const std::string& engineStateText);
  // Where the engine line's top-left goes for a measured text in the client area.
  static PaintPoint engineLineOrigin(const PaintRect& client, int32_t textWidth, int32_t textHeight);
};

}  // namespace Tavrune
