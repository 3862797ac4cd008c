#pragma once
// What became of the local player's request or answer: sent as given, or why not.

namespace Tavrune {

enum class LanRequestResult {
  Sent,
  TooFewPlies,  // an undo with fewer than two plies to take back
  NotNow,       // the session or the game does not allow it now
  StillWaiting, // the own request of this kind is still open: nothing is sent again
};

}  // namespace Tavrune
