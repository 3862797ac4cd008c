#pragma once
// The window's game and session flags that its menu, confirmations and session steps
// decide on. The window fills one from its members; the deciders read nothing else.
#include "game/ChessTypes.h"

namespace Tavrune {

struct SessionStatus {
  bool gameActive = false;    // a game was started in one of the modes and not stopped
  bool reviewActive = false;  // the review's active flag
  GameState gameState = PLAYING;
  bool gameStopped = false;   // a stopped game waits to be resumed
  GameMode gameMode = MODE_PVP;
  bool lanControllerExists = false;
  bool lanControllerBusy = false;  // the LAN controller exists and is not idle
  // A guest's way into a LAN game is under way: connecting, or connected and waiting for the
  // sides. Its game is not on the board yet; a resumed handshake's game is.
  bool lanConnectPending = false;
  bool lanCanResign = false;  // the session would take a resignation now

  // The one test of "a game in progress" used by the menu, confirmations and stopping.
  bool isGameInProgress() const { return gameActive && !reviewActive && gameState == PLAYING; }
  // A stopped game that a new game, a load or a mode switch would throw away.
  bool hasSuspendedGame() const { return gameStopped && !isGameInProgress(); }
  bool isLanMode() const { return gameMode == MODE_LAN; }
  // LAN mode with a controller: the LAN commands reach the peer.
  bool lanCommandsAvailable() const { return isLanMode() && lanControllerExists; }
  // What "end the LAN game" has to leave: LAN mode and a controller that is not idle.
  bool lanRoomToLeave() const { return isLanMode() && lanControllerBusy; }
};

}  // namespace Tavrune
