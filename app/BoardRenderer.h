#pragma once
// Draws the board with GDI: squares, pieces, river text, the last review move, both
// selections and both cursors; and the whole client area double-buffered with the status
// and engine lines. The window hands it the paint device context.
#include <windows.h>

#include <string>

#include "app/BoardRenderState.h"
#include "game/ChessTypes.h"

namespace Tavrune {

class Board;

class BoardRenderer {
 public:
  BoardRenderer() = default;
  ~BoardRenderer();
  BoardRenderer(const BoardRenderer&) = delete;
  BoardRenderer& operator=(const BoardRenderer&) = delete;

  // The piece font and the board brush; false when either cannot be made.
  bool createResources();

  // The whole client area through a memory bitmap: white background, the board, the
  // status line at (10, 10) and, when engineLine is not empty, the engine line at the
  // bottom right in engineLineFont, which is created on first use and stays the
  // caller's to delete.
  void paintClientArea(HDC target, const RECT& client, const Board& board, const BoardRenderState& state,
                       const std::wstring& statusLine, const std::wstring& engineLine, HFONT& engineLineFont);

  // The board alone into dc.
  void paint(HDC dc, const RECT& boardRect, const Board& board, const BoardRenderState& state);
  void drawPiece(HDC dc, const RECT& square, PieceType piece);
  // The last move's two frames: dashed on the source, solid on the destination.
  void drawFrame(HDC dc, const Move& move, const RECT& boardRect);

 private:
  HFONT font = nullptr;
  HBRUSH backgroundBrush = nullptr;
  bool flipped = false;
};

}  // namespace Tavrune
