#include "game/SelectionController.h"

#include "game/GameEngine.h"

namespace Tavrune {

namespace {

SelectionResult withCode(SelectionResult::Code code) {
  SelectionResult result;
  result.code = code;
  return result;
}

SelectionResult pieceSelected(Position cursor, PieceType piece) {
  SelectionResult result = withCode(SelectionResult::PieceSelected);
  result.selected = cursor;
  result.selectedPiece = piece;
  return result;
}

}  // namespace

SelectionResult SelectionController::handleSelect(Position cursor, Position selection,
                                                  GameEngine& game, bool engineBusy,
                                                  GameMode mode, bool primaryCursor,
                                                  bool reviewActive, PieceColor playerColor) {
  // The order of these tests is deliberate: review answers the main cursor before the
  // game state, and a finished game answers even the second cursor of an engine game.
  if (primaryCursor && reviewActive) return withCode(SelectionResult::None);
  if (game.getGameState() != PLAYING) return withCode(SelectionResult::GameOver);

  const PieceColor sideToMove = game.getCurrentPlayer();
  if (mode == MODE_PVE) {
    if (!primaryCursor) return withCode(SelectionResult::BrowseOnly);
    if (engineBusy && sideToMove != playerColor) return withCode(SelectionResult::NotYourTurn);
  }

  const bool restricted = (mode == MODE_PVE || mode == MODE_LAN) && playerColor != NONE;
  const Board& board = game.getBoard();
  const PieceType piece = board.getPiece(cursor);
  const PieceColor pieceColor = getPieceColor(piece);

  if (selection.isValid()) {
    if (pieceColor == sideToMove) {
      if (restricted && pieceColor != playerColor) return withCode(SelectionResult::WrongSide);
      return pieceSelected(cursor, piece);
    }
    // Selections outlive games and side switches; a restricted player must never
    // move the opponent's piece through a selection left over from before.
    const PieceType selectedPiece = board.getPiece(selection);
    if (restricted && selectedPiece != EMPTY && getPieceColor(selectedPiece) != playerColor) {
      return withCode(SelectionResult::WrongSide);
    }
    Move move;
    move.from = selection;
    move.to = cursor;
    move.piece = selectedPiece;
    move.captured = piece;
    if (!game.makeMove(move)) return withCode(SelectionResult::IllegalMove);

    SelectionResult result = withCode(SelectionResult::Moved);
    result.move = move;
    result.givesCheck = board.isInCheck(game.getCurrentPlayer());
    return result;
  }

  if (piece == EMPTY) return withCode(SelectionResult::EmptySquare);
  if (pieceColor != sideToMove || (restricted && pieceColor != playerColor)) {
    return withCode(SelectionResult::WrongSide);
  }
  return pieceSelected(cursor, piece);
}

}  // namespace Tavrune

