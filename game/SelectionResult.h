#pragma once
// What one select-or-drop action at a cursor did; the window speaks and redraws from it.
#include <cstdint>

#include "game/ChessTypes.h"

namespace Tavrune {

struct SelectionResult {
  enum Code : int32_t {
    None = 0,           // main cursor while a review is open
    GameOver = 1,       // the game is not being played
    NotYourTurn = 2,    // engine game: the engine is thinking on its own turn
    BrowseOnly = 3,     // engine game: the second cursor may only look
    PieceSelected = 4,  // the piece under the cursor is now the selection
    WrongSide = 5,      // that piece may not be picked up (or moved) by this player now
    EmptySquare = 6,    // nothing selected and nothing under the cursor
    Moved = 7,          // the selected piece moved to the cursor
    IllegalMove = 8,    // the game refused that move
  };

  Code code = None;
  Position selected;          // set for PieceSelected only
  Move move;                  // set for Moved only
  bool givesCheck = false;    // Moved: the side now to move is in check
  PieceType selectedPiece = EMPTY;  // set for PieceSelected only
};

}  // namespace Tavrune
