#pragma once
// Moves the window tests play, from the opening position.
#include "game/ChessTypes.h"

namespace Tavrune::Test {

inline Move move(int fx, int fy, int tx, int ty) {
  Move m;
  m.from = {fx, fy};
  m.to = {tx, ty};
  return m;
}

inline const Move kRedCannon = move(7, 7, 4, 7);    // 炮二平五
inline const Move kBlackKnight = move(7, 0, 6, 2);  // 马8进7

}  // namespace Tavrune::Test
