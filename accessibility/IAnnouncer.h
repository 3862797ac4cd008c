#pragma once
// How every spoken notice leaves the game side: the window publishes it to the
// screen reader; a history decorator remembers recent notices.
#include <string>

#include "game/ChessTypes.h"

namespace Tavrune {

class IAnnouncer {
 public:
  virtual ~IAnnouncer() = default;
  virtual void announce(const std::wstring& text) = 0;
  // A notice that only matters until the next of its kind (a review step, a cursor
  // readout): a later replaceable notice takes its place when it is not yet heard.
  virtual void announceReplaceable(const std::wstring& text) { announce(text); }
  // The piece standing on a board point has changed.
  virtual void cellChanged(const Position& pos, PieceType piece) = 0;
};

}  // namespace Tavrune
