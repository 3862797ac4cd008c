#pragma once
// Decides what one select-or-drop action at a cursor does: nothing, a refusal, picking
// up a piece, or playing the selected piece to the cursor. Holds no state: the window
// keeps the cursors and selections and acts on the result.
#include "game/ChessTypes.h"
#include "game/SelectionResult.h"

namespace Tavrune {

class GameEngine;

class SelectionController {
 public:
  // selection: the selected point, or any off-board point for none.
  // engineBusy: the engine is searching. playerColor: the local player's side in
  // engine and LAN games, NONE when it does not apply (the second cursor passes NONE).
  static SelectionResult handleSelect(Position cursor, Position selection, GameEngine& game,
                                      bool engineBusy, GameMode mode, bool primaryCursor,
                                      bool reviewActive, PieceColor playerColor);
};

}  // namespace Tavrune
