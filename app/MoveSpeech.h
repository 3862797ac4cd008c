#pragma once
// What the window says about moves and points: a played move (with check), a move in
// review (the review adds its own check suffix) and the piece at a point.
#include <string>

#include "game/Board.h"
#include "game/ChessTypes.h"

namespace Tavrune {

class MoveSpeech {
 public:
  // The side of the move's piece: Red for 1..7, Black for 8..14, none for no piece.
  static PieceColor moverColor(const Move& move);
  // Seen from the mover's side; "，将军！" follows when the move gives check.
  static std::wstring playedMove(const Move& move, const Board& board, bool givesCheck, bool professional);
  // The move as review speaks it: seen from `view`, no check suffix.
  static std::wstring reviewMove(const Move& move, PieceColor view, const Board& board, bool professional);
  // "红车 1 0" for a piece, "1 0" for an empty point, seen from `view`.
  static std::wstring pieceAt(Position pos, PieceType piece, PieceColor view);
};

}  // namespace Tavrune
