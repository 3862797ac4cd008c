#pragma once
// Position hash of the Mrxq book layout: XOR of one table key per piece and point.
// The side to move is not part of it; books keep one record list per side instead.
#include <cstdint>

#include "game/Board.h"

namespace Tavrune {

// Table index of a piece on a point: (colour offset + type) * 90 + x + 9 * y, with the
// types king 0, advisor 1, elephant 2, rook 3, cannon 4, knight 5, pawn 6 and the colour
// offset 7 for Red, 0 for Black. -1 for an empty point or an off-board one.
int mrxqZobristIndex(PieceType piece, Position point);

uint64_t mrxqZobristHash(const Board& board);
// The hash after `move` is played on `board`, whose hash is `hash`; unchanged when the
// source point is empty or either point is off the board.
uint64_t mrxqZobristUpdate(const Board& board, const Move& move, uint64_t hash);

}  // namespace Tavrune
