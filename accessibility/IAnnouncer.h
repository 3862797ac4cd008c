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
  // The piece standing on a board point has changed.
  virtual void cellChanged(const Position& pos, PieceType piece) = 0;
};

}  // namespace Tavrune
