#include "engine/MrxqZobrist.h"

#include <array>

#include "engine/MrxqZobristTable.h"

namespace Tavrune {

namespace {

// By piece kind (1 rook .. 7 pawn as PieceType numbers them) to the layout's own order.
constexpr std::array<int, 8> TYPE_OF_KIND = {-1, 3, 5, 2, 1, 0, 4, 6};

uint64_t keyOf(PieceType piece, Position point) {
  const int index = mrxqZobristIndex(piece, point);
  return index < 0 ? 0 : MRXQ_ZOBRIST_TABLE[static_cast<size_t>(index)];
}

}  // namespace

int mrxqZobristIndex(PieceType piece, Position point) {
  if (piece <= EMPTY || piece >= PIECE_TYPE_COUNT || !point.isValid()) return -1;
  const int colourOffset = getPieceColor(piece) == RED ? 7 : 0;
  return (colourOffset + TYPE_OF_KIND[static_cast<size_t>(pieceKind(piece))]) * 90 + point.x +
         9 * point.y;
}

uint64_t mrxqZobristHash(const Board& board) {
  const Board::Cells cells = board.getCells();
  uint64_t hash = 0;
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 10; ++y) {
      hash ^= keyOf(static_cast<PieceType>(cells[x * 10 + y]), Position(x, y));
    }
  }
  return hash;
}

uint64_t mrxqZobristUpdate(const Board& board, const Move& move, uint64_t hash) {
  if (!move.from.isValid() || !move.to.isValid()) return hash;
  const PieceType moving = board.getPiece(move.from);
  if (moving == EMPTY) return hash;
  hash ^= keyOf(moving, move.from);
  hash ^= keyOf(board.getPiece(move.to), move.to);
  hash ^= keyOf(moving, move.to);
  return hash;
}

}  // namespace Tavrune
