#pragma once
// Everything a record load may replace, kept until the user keeps the record or goes
// back. Take it after closing an open review (remember that one was open): a review
// shows its own steps on the board, and the game refuses a snapshot taken during one.
#include "app/SessionSeat.h"
#include "game/GameSnapshot.h"

namespace Tavrune {

struct PreLoadSnapshot {
  GameSnapshot game;
  SessionSeat seat;
  bool gameActive = false;
  bool gameStopped = false;
  StoppedGame stoppedGame;  // meaningful only while gameStopped
  bool reviewWasOpen = false;
  bool lanGameWasRunning = false;  // LAN mode and a controller that was not idle
  bool musicWanted = false;        // the game's music, heard or held by a review or sound off
};

}  // namespace Tavrune
