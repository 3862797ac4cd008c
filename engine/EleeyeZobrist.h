#pragma once
// Position keys of the ElephantEye book layout: 96-bit Zobrist-style keys whose tables
// come from an RC4 key stream with an all-zero key. Books store only the `lock1` word.
#include <cstdint>

#include "game/Board.h"

namespace Tavrune {

struct EleeyeKey {
  uint32_t key = 0;
  uint32_t lock0 = 0;
  uint32_t lock1 = 0;
};

// The ElephantEye square of a board point: rank and file in the nibbles, each offset by 3.
constexpr int eleeyeSquare(int x, int y) { return 0x33 + x + 16 * y; }

EleeyeKey eleeyeZobristKey(const Board& board);
// The key of the board reflected left to right, with the same side to move.
EleeyeKey eleeyeMirrorZobristKey(const Board& board);

}  // namespace Tavrune
