#pragma once
// Everything of the window that one paint of the board shows besides the pieces.
#include <cstdint>

#include "game/ChessTypes.h"

namespace Tavrune {

struct BoardRenderState {
  Position mainCursor{4, 5};
  Position mainSelection;       // (-1, -1): none
  Position opponentCursor{4, 5};
  Position opponentSelection;   // (-1, -1): none
  bool reviewActive = false;
  int32_t reviewStep = 0;       // 0 = the start position
  Move lastMove;                // set only in review from step 1 on
  bool flipped = false;         // Black drawn at the bottom
};

}  // namespace Tavrune
