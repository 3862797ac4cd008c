#pragma once
// A move typed in traditional notation on the keypad: piece, start file or front/rear
// mark, action and number, as in "cannon 2 traverse 5".
#include <cstdint>

namespace Tavrune {

struct NotationQuery {
  // Keypad order, not the piece-code order.
  enum Kind : int32_t {
    King = 1, Advisor = 2, Elephant = 3, Knight = 4, Rook = 5, Cannon = 6, Pawn = 7
  };
  enum Mark : int32_t { NoMark = 0, Front = 1, Rear = 2 };
  enum Action : int32_t { Advance = 0, Retreat = 1, Traverse = 2 };

  int32_t pieceKind = 0;  // Kind; matches the piece of either side
  int32_t frontRear = NoMark;
  int32_t startFile = 0;  // 1..9 from the viewer's right; read only without a mark
  int32_t action = Advance;
  int32_t number = 0;     // 1..9: target file, or ranks moved along the file
};

}  // namespace Tavrune
