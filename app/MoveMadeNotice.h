#pragma once
// The payload of WM_MOVE_MADE: a move the game has just played, as the game filled it,
// and whether the side now to move is in check.
#include "game/ChessTypes.h"

namespace Tavrune {

struct MoveMadeNotice {
  Move move;
  bool inCheck = false;
};

}  // namespace Tavrune
