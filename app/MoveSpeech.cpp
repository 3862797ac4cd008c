#include "app/MoveSpeech.h"

#include "game/Notation.h"

namespace Tavrune {

PieceColor MoveSpeech::moverColor(const Move& move) {
  if (move.piece >= RED_ROOK && move.piece <= RED_PAWN) return RED;
  if (move.piece >= BLACK_ROOK && move.piece <= BLACK_PAWN) return BLACK;
  return NONE;
}

std::wstring MoveSpeech::playedMove(const Move& move, const Board& board, bool givesCheck, bool professional) {
  return Notation::moveAnnouncement(move, moverColor(move), board, givesCheck, professional);
}

std::wstring MoveSpeech::reviewMove(const Move& move, PieceColor view, const Board& board, bool professional) {
  return Notation::moveAnnouncement(move, view, board, false, professional);
}

std::wstring MoveSpeech::pieceAt(Position pos, PieceType piece, PieceColor view) {
  const std::wstring point = Notation::positionText(pos, view);
  if (piece == EMPTY) return point.empty() ? point : point.substr(1);
  return getPieceName(piece) + point;
}

}  // namespace Tavrune
