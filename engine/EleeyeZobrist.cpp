#include "engine/EleeyeZobrist.h"

#include <array>

namespace Tavrune {

namespace {

class Rc4Stream {
 public:
  Rc4Stream() {
    for (int i = 0; i < 256; ++i) state[i] = static_cast<uint8_t>(i);
    // Key schedule with a four-byte all-zero key: the key byte adds nothing.
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
      j = static_cast<uint8_t>(j + state[i]);
      std::swap(state[i], state[j]);
    }
  }

  uint32_t nextWord() {
    uint32_t word = 0;
    for (int shift = 0; shift < 32; shift += 8) word |= static_cast<uint32_t>(nextByte()) << shift;
    return word;
  }

  EleeyeKey nextKey() {
    EleeyeKey key;
    key.key = nextWord();
    key.lock0 = nextWord();
    key.lock1 = nextWord();
    return key;
  }

 private:
  uint8_t nextByte() {
    x = static_cast<uint8_t>(x + 1);
    y = static_cast<uint8_t>(y + state[x]);
    std::swap(state[x], state[y]);
    return state[static_cast<uint8_t>(state[x] + state[y])];
  }

  std::array<uint8_t, 256> state{};
  uint8_t x = 0;
  uint8_t y = 0;
};

struct EleeyeTables {
  EleeyeKey side;
  std::array<std::array<EleeyeKey, 256>, 14> pieces;
};

// Built on first use; a function-local static is initialised once even when several
// threads probe at the same time.
const EleeyeTables& tables() {
  static const EleeyeTables built = [] {
    EleeyeTables t;
    Rc4Stream stream;
    t.side = stream.nextKey();
    // Every entry draws all three words so each sees the stream position the books
    // were built with, though lookups use lock1 alone.
    for (auto& piece : t.pieces) {
      for (EleeyeKey& entry : piece) entry = stream.nextKey();
    }
    return t;
  }();
  return built;
}

// ElephantEye orders pieces king, advisor, elephant, knight, rook, cannon, pawn.
constexpr std::array<int, PIECE_TYPE_COUNT> PIECE_INDEX = {
    -1,          // empty
    4, 3, 2, 1, 0, 5, 6,   // Red rook, knight, elephant, advisor, king, cannon, pawn
    11, 10, 9, 8, 7, 12, 13,  // Black in the same order
};

void mix(EleeyeKey& into, const EleeyeKey& with) {
  into.key ^= with.key;
  into.lock0 ^= with.lock0;
  into.lock1 ^= with.lock1;
}

EleeyeKey computeKey(const Board& board, bool mirrored) {
  const EleeyeTables& t = tables();
  const Board::Cells cells = board.getCells();
  EleeyeKey key;
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 10; ++y) {
      const int32_t piece = cells[x * 10 + y];
      if (piece <= EMPTY || piece >= PIECE_TYPE_COUNT) continue;
      mix(key, t.pieces[PIECE_INDEX[piece]][eleeyeSquare(mirrored ? 8 - x : x, y)]);
    }
  }
  if (board.getCurrentPlayer() == BLACK) mix(key, t.side);
  return key;
}

}  // namespace

EleeyeKey eleeyeZobristKey(const Board& board) { return computeKey(board, false); }

EleeyeKey eleeyeMirrorZobristKey(const Board& board) { return computeKey(board, true); }

}  // namespace Tavrune
