#include "app/BoardRenderer.h"

#include "app/BoardPaintGeometry.h"
#include "game/Board.h"
#include "game/Notation.h"

namespace Tavrune {

namespace {

constexpr COLORREF kBoardColour = RGB(240, 217, 181);
constexpr COLORREF kRedPieceColour = RGB(255, 200, 200);
constexpr COLORREF kBlackPieceColour = RGB(200, 200, 200);
constexpr COLORREF kLastMoveColour = RGB(255, 200, 0);
constexpr COLORREF kMainSelectionColour = RGB(0, 0, 255);
constexpr COLORREF kOpponentSelectionColour = RGB(255, 0, 255);
constexpr COLORREF kMainCursorColour = RGB(0, 255, 0);
constexpr COLORREF kOpponentCursorColour = RGB(255, 0, 0);
constexpr COLORREF kEngineLineColour = RGB(128, 128, 128);

RECT toRect(const PaintRect& r) { return {r.left, r.top, r.right, r.bottom}; }
PaintRect toPaintRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void drawRect(HDC dc, const PaintRect& r) { Rectangle(dc, r.left, r.top, r.right, r.bottom); }

// A pen and a brush selected for one drawing and put back afterwards.
class SelectedTools {
 public:
  SelectedTools(HDC dc, HPEN pen, HBRUSH brush, bool ownBrush)
      : dc_(dc), pen_(pen), brush_(brush), ownBrush_(ownBrush) {
    oldPen_ = static_cast<HPEN>(SelectObject(dc, pen));
    oldBrush_ = static_cast<HBRUSH>(SelectObject(dc, brush));
  }
  ~SelectedTools() {
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBrush_);
    DeleteObject(pen_);
    if (ownBrush_) DeleteObject(brush_);
  }
  SelectedTools(const SelectedTools&) = delete;
  SelectedTools& operator=(const SelectedTools&) = delete;

 private:
  HDC dc_;
  HPEN pen_;
  HBRUSH brush_;
  bool ownBrush_;
  HPEN oldPen_;
  HBRUSH oldBrush_;
};

HBRUSH hollowBrush() { return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH)); }

void drawHollowFrame(HDC dc, const PaintRect& r, int width, COLORREF colour) {
  SelectedTools tools(dc, CreatePen(PS_SOLID, width, colour), hollowBrush(), false);
  drawRect(dc, r);
}

}  // namespace

BoardRenderer::~BoardRenderer() {
  if (font) DeleteObject(font);
  if (backgroundBrush) DeleteObject(backgroundBrush);
}

bool BoardRenderer::createResources() {
  font = CreateFontW(28, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"SimSun");
  if (!font) return false;
  backgroundBrush = CreateSolidBrush(kBoardColour);
  return backgroundBrush != nullptr;
}

void BoardRenderer::paintClientArea(HDC target, const RECT& client, const Board& board,
                                    const BoardRenderState& state, const std::wstring& statusLine,
                                    const std::wstring& engineLine, HFONT& engineLineFont) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  HDC memory = CreateCompatibleDC(target);
  HBITMAP buffer = CreateCompatibleBitmap(target, width, height);
  HGDIOBJ oldBitmap = SelectObject(memory, buffer);

  FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  paint(memory, toRect(BoardPaintGeometry::kBoardRect), board, state);

  SetBkMode(memory, TRANSPARENT);
  TextOutW(memory, BoardPaintGeometry::kStatusLineOrigin.x, BoardPaintGeometry::kStatusLineOrigin.y,
           statusLine.c_str(), static_cast<int>(statusLine.size()));

  if (!engineLine.empty()) {
    if (!engineLineFont) {
      engineLineFont = CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                   L"Microsoft YaHei");
    }
    HGDIOBJ oldFont = SelectObject(memory, engineLineFont);
    SetTextColor(memory, kEngineLineColour);
    SIZE size{};
    GetTextExtentPoint32W(memory, engineLine.c_str(), static_cast<int>(engineLine.size()), &size);
    const PaintPoint at = BoardPaintGeometry::engineLineOrigin(toPaintRect(client), size.cx, size.cy);
    TextOutW(memory, at.x, at.y, engineLine.c_str(), static_cast<int>(engineLine.size()));
    SelectObject(memory, oldFont);
  }

  BitBlt(target, client.left, client.top, width, height, memory, client.left, client.top, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(buffer);
  DeleteDC(memory);
}

void BoardRenderer::paint(HDC dc, const RECT& boardRect, const Board& board, const BoardRenderState& state) {
  flipped = state.flipped;
  const PaintRect area = toPaintRect(boardRect);
  FillRect(dc, &boardRect, backgroundBrush);

  for (int32_t x = 0; x < 9; ++x) {
    for (int32_t y = 0; y < 10; ++y) {
      const PaintRect sq = BoardPaintGeometry::square({x, y}, flipped, area);
      {
        // Hollow squares: the board colour shows through the black grid.
        SelectedTools tools(dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 0)), hollowBrush(), false);
        drawRect(dc, sq);
      }
      const PieceType piece = board.getPiece({x, y});
      if (piece != EMPTY) drawPiece(dc, toRect(sq), piece);
    }
  }

  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT river = toRect(BoardPaintGeometry::riverTextBox(area));
  DrawTextW(dc, BoardPaintGeometry::kRiverText, -1, &river, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);

  if (state.reviewActive && state.reviewStep >= 1) drawFrame(dc, state.lastMove, boardRect);

  if (state.mainSelection.isValid()) {
    const PaintRect sq = BoardPaintGeometry::square(state.mainSelection, flipped, area);
    drawHollowFrame(dc, BoardPaintGeometry::mark(sq, SquareMark::MainSelection), 3, kMainSelectionColour);
  }
  if (state.opponentSelection.isValid()) {
    const PaintRect sq = BoardPaintGeometry::square(state.opponentSelection, flipped, area);
    SelectedTools pen(dc, CreatePen(PS_SOLID, 4, kOpponentSelectionColour), hollowBrush(), false);
    drawRect(dc, BoardPaintGeometry::mark(sq, SquareMark::OpponentSelectionFrame));
    HBRUSH fill = CreateSolidBrush(kOpponentSelectionColour);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    drawRect(dc, BoardPaintGeometry::mark(sq, SquareMark::OpponentSelectionFill));
    SelectObject(dc, oldBrush);
    DeleteObject(fill);
  }
  if (state.mainCursor.isValid()) {
    const PaintRect sq = BoardPaintGeometry::square(state.mainCursor, flipped, area);
    drawHollowFrame(dc, BoardPaintGeometry::mark(sq, SquareMark::MainCursor), 3, kMainCursorColour);
  }
  if (state.opponentCursor.isValid()) {
    // Drawn last: it covers the piece and a main cursor on the same square.
    const PaintRect sq = BoardPaintGeometry::square(state.opponentCursor, flipped, area);
    HBRUSH red = CreateSolidBrush(kOpponentCursorColour);
    HGDIOBJ oldBrush = SelectObject(dc, red);
    drawRect(dc, BoardPaintGeometry::mark(sq, SquareMark::OpponentCursorFill));
    HPEN white = CreatePen(PS_SOLID, 5, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, white);
    drawRect(dc, BoardPaintGeometry::mark(sq, SquareMark::OpponentCursorFrame));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(white);
    DeleteObject(red);
  }
}

void BoardRenderer::drawPiece(HDC dc, const RECT& square, PieceType piece) {
  const PaintRect disc = BoardPaintGeometry::pieceDisc(toPaintRect(square));
  const COLORREF fill = getPieceColor(piece) == RED ? kRedPieceColour : kBlackPieceColour;
  {
    SelectedTools tools(dc, CreatePen(PS_SOLID, 2, RGB(0, 0, 0)), CreateSolidBrush(fill), true);
    Ellipse(dc, disc.left, disc.top, disc.right, disc.bottom);
  }
  const std::wstring name = getPieceName(piece);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &size);
  const int cx = (square.left + square.right) / 2;
  const int cy = (square.top + square.bottom) / 2;
  TextOutW(dc, cx - size.cx / 2, cy - size.cy / 2, name.c_str(), static_cast<int>(name.size()));
  SelectObject(dc, oldFont);
}

void BoardRenderer::drawFrame(HDC dc, const Move& move, const RECT& boardRect) {
  const PaintRect area = toPaintRect(boardRect);
  if (move.from.isValid()) {
    // A cosmetic pen wider than one pixel is always drawn solid; only a geometric pen
    // keeps the source frame dashed at 3 pixels.
    LOGBRUSH brush{BS_SOLID, kLastMoveColour, 0};
    HPEN dashed = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 3, &brush, 0, nullptr);
    SelectedTools tools(dc, dashed, hollowBrush(), false);
    drawRect(dc, BoardPaintGeometry::mark(BoardPaintGeometry::square(move.from, flipped, area), SquareMark::LastMove));
  }
  if (move.to.isValid()) {
    drawHollowFrame(dc, BoardPaintGeometry::mark(BoardPaintGeometry::square(move.to, flipped, area), SquareMark::LastMove),
                    3, kLastMoveColour);
  }
}

}  // namespace Tavrune
