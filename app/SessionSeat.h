#pragma once
// The window's half of a game session, saved and put back together with the game: the
// mode, the player's side and view, the two cursors with their selections and whether a
// loaded position waits for a mode. A stopped game keeps both halves until it resumes.
#include "game/ChessTypes.h"
#include "game/GameSnapshot.h"

namespace Tavrune {

struct SessionSeat {
  GameMode gameMode = MODE_PVP;
  PieceColor humanColor = RED;
  bool boardFlipped = false;
  Position cursor{4, 5};
  Position selected;
  Position player2Cursor{4, 5};
  Position player2Selected;
  bool loadedPositionPending = false;
};

struct StoppedGame {
  GameSnapshot game;
  SessionSeat seat;
};

}  // namespace Tavrune
