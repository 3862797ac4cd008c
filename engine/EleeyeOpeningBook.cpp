#include "engine/EleeyeOpeningBook.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>

#include "core/Log.h"
#include "engine/BookFileStream.h"
#include "engine/EleeyeZobrist.h"

namespace Tavrune {

namespace {

constexpr size_t RECORD_BYTES = 8;
constexpr size_t READ_CHUNK_RECORDS = 8192;

uint32_t readLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t readLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

std::string squareText(int square) {
  static const char digits[] = "0123456789abcdef";
  return {'0', 'x', digits[(square >> 4) & 15], digits[square & 15]};
}

}  // namespace

bool EleeyeOpeningBook::load(const std::string& path) {
  records.clear();
  std::ifstream in;
  if (!openBookFile(path, in)) {
    logWarning("EleeyeOpeningBook::load: cannot open file: " + path);
    return false;
  }

  std::vector<unsigned char> chunk(READ_CHUNK_RECORDS * RECORD_BYTES);
  size_t pending = 0;  // bytes of a record split across two reads
  while (in) {
    in.read(reinterpret_cast<char*>(chunk.data() + pending),
            static_cast<std::streamsize>(chunk.size() - pending));
    const size_t available = pending + static_cast<size_t>(in.gcount());
    size_t offset = 0;
    for (; offset + RECORD_BYTES <= available; offset += RECORD_BYTES) {
      const unsigned char* p = chunk.data() + offset;
      records.push_back({readLe32(p), readLe16(p + 4), readLe16(p + 6)});
    }
    pending = available - offset;
    std::memmove(chunk.data(), chunk.data() + offset, pending);
  }
  if (in.bad()) {
    records.clear();
    logWarning("EleeyeOpeningBook::load: read error: " + path);
    return false;
  }
  // One to three leftover bytes cannot hold a lock and are ignored; four or more start
  // a record whose move or weight is missing.
  if (pending >= 4) {
    records.clear();
    logWarning("EleeyeOpeningBook::load: file truncated: " + path);
    return false;
  }
  if (records.empty()) {
    logWarning("EleeyeOpeningBook::load: empty book: " + path);
    return false;
  }

  const auto byLock = [](const Record& a, const Record& b) { return a.lock < b.lock; };
  if (!std::is_sorted(records.begin(), records.end(), byLock)) {
    std::stable_sort(records.begin(), records.end(), byLock);
  }
  records.shrink_to_fit();
  logInfo("EleeyeOpeningBook::load: loaded " + std::to_string(records.size()) + " entries");
  return true;
}

int32_t EleeyeOpeningBook::size() const {
  return static_cast<int32_t>(std::min<size_t>(records.size(), INT32_MAX));
}

std::vector<BookMove> EleeyeOpeningBook::probe(const Board& board) const {
  std::vector<BookMove> result;
  if (records.empty()) return result;
  collect(board, eleeyeZobristKey(board).lock1, false, result);
  if (result.empty()) collect(board, eleeyeMirrorZobristKey(board).lock1, true, result);
  std::stable_sort(result.begin(), result.end(),
                   [](const BookMove& a, const BookMove& b) { return a.weight > b.weight; });
  return result;
}

void EleeyeOpeningBook::collect(const Board& board, uint32_t lock, bool mirrored,
                                std::vector<BookMove>& out) const {
  const auto lockLess = [](const Record& r, uint32_t value) { return r.lock < value; };
  auto it = std::lower_bound(records.begin(), records.end(), lock, lockLess);
  for (; it != records.end() && it->lock == lock; ++it) {
    if (const std::optional<Move> move = decodeMove(board, it->move, mirrored)) {
      out.push_back({*move, it->weight});
    }
  }
}

std::optional<Move> EleeyeOpeningBook::decodeMove(const Board& board, uint16_t move, bool mirrored) {
  const int source = move & 0xFF;
  const int target = move >> 8;
  const auto pointOf = [mirrored](int square) {
    const int file = square & 15;
    return Position(mirrored ? 11 - file : file - 3, (square >> 4) - 3);
  };
  Move decoded;
  decoded.from = pointOf(source);
  decoded.to = pointOf(target);
  // Another position can share the 32-bit lock, so a record may describe a move that
  // makes no sense here; it is skipped rather than offered.
  const char* fault = nullptr;
  if (!decoded.from.isValid() || !decoded.to.isValid()) {
    fault = "off the board";
  } else if ((decoded.piece = board.getPiece(decoded.from)) == EMPTY) {
    fault = "from an empty point";
  } else {
    decoded.captured = board.getPiece(decoded.to);
    if (!board.isValidMove(decoded)) fault = "not legal for the side to move";
  }
  if (fault != nullptr) {
    logWarning("EleeyeOpeningBook::probe: skipped record move " + squareText(source) + "-" +
               squareText(target) + (mirrored ? " (mirrored)" : "") + ": " + fault);
    return std::nullopt;
  }
  return decoded;
}

}  // namespace Tavrune
