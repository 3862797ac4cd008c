#include "engine/MrxqOpeningBook.h"

#include <algorithm>
#include <climits>
#include <fstream>

#include "core/Log.h"
#include "engine/BookFileStream.h"
#include "engine/MrxqZobrist.h"

namespace Tavrune {

namespace {

uint64_t readLe(const unsigned char* p, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

Board mirroredBoard(const Board& board) {
  const Board::Cells cells = board.getCells();
  Board::Cells reflected{};
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 10; ++y) reflected[(8 - x) * 10 + y] = cells[x * 10 + y];
  }
  Board mirrored = board;  // keeps the side to move and the game state
  mirrored.setCells(reflected);
  return mirrored;
}

Move mirroredMove(const Move& move) {
  Move reflected = move;
  reflected.from.x = 8 - move.from.x;
  reflected.to.x = 8 - move.to.x;
  return reflected;
}

}  // namespace

bool MrxqOpeningBook::fail(const std::string& warning) {
  blackRecords = {};
  redRecords = {};
  loaded = false;
  logWarning(warning);
  return false;
}

bool MrxqOpeningBook::load(const std::string& path) {
  blackRecords = {};
  redRecords = {};
  loaded = false;
  std::ifstream in;
  if (!openBookFile(path, in)) return fail("MrxqOpeningBook::load: cannot open file: " + path);

  unsigned char header[HEADER_BYTES];
  if (!in.read(reinterpret_cast<char*>(header), HEADER_BYTES)) {
    return fail("MrxqOpeningBook::load: header too short: " + path);
  }
  const uint16_t signature = static_cast<uint16_t>(readLe(header, 2));
  const auto blackCount = static_cast<int64_t>(readLe(header + 8, 8));
  const auto redCount = static_cast<int64_t>(readLe(header + 16, 8));
  if (signature != SIGNATURE || blackCount < 0 || redCount < 0) {
    return fail("MrxqOpeningBook::load: invalid signature or counts: " + path);
  }

  // Compare the declared counts with what the file can hold before reserving anything,
  // so a corrupt count can neither overflow the size arithmetic nor exhaust memory.
  in.seekg(0, std::ios::end);
  const std::streamoff fileBytes = in.tellg();
  if (fileBytes < static_cast<std::streamoff>(HEADER_BYTES)) {
    return fail("MrxqOpeningBook::load: header too short: " + path);
  }
  const uint64_t recordRoom = static_cast<uint64_t>(fileBytes - HEADER_BYTES) / RECORD_BYTES;
  const auto black = static_cast<uint64_t>(blackCount);
  const auto red = static_cast<uint64_t>(redCount);
  if (black > recordRoom || red > recordRoom - black) {
    return fail("MrxqOpeningBook::load: file truncated: " + path);
  }

  in.seekg(static_cast<std::streamoff>(HEADER_BYTES), std::ios::beg);
  std::vector<unsigned char> bytes(static_cast<size_t>((black + red) * RECORD_BYTES));
  if (!bytes.empty() &&
      !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    return fail("MrxqOpeningBook::load: file truncated: " + path);
  }
  const auto readRecords = [&bytes](size_t first, size_t count) {
    std::vector<Record> records;
    records.reserve(count);
    for (size_t i = first; i < first + count; ++i) {
      const unsigned char* p = bytes.data() + i * RECORD_BYTES;
      records.push_back({readLe(p, 8), static_cast<uint16_t>(readLe(p + 8, 2))});
    }
    const auto byKey = [](const Record& a, const Record& b) { return a.key < b.key; };
    if (!std::is_sorted(records.begin(), records.end(), byKey)) {
      std::stable_sort(records.begin(), records.end(), byKey);
    }
    return records;
  };
  blackRecords = readRecords(0, static_cast<size_t>(black));
  redRecords = readRecords(static_cast<size_t>(black), static_cast<size_t>(red));
  loaded = true;
  logInfo("MrxqOpeningBook::load: loaded black=" + std::to_string(black) +
          ", red=" + std::to_string(red));
  return true;
}

int32_t MrxqOpeningBook::size() const {
  return static_cast<int32_t>(std::min<size_t>(blackRecords.size() + redRecords.size(), INT32_MAX));
}

const MrxqOpeningBook::Record* MrxqOpeningBook::find(const std::vector<Record>& records,
                                                     uint64_t key) {
  const auto it = std::lower_bound(records.begin(), records.end(), key,
                                   [](const Record& r, uint64_t value) { return r.key < value; });
  return it != records.end() && it->key == key ? &*it : nullptr;
}

std::vector<BookMove> MrxqOpeningBook::probe(const Board& board) const {
  std::vector<BookMove> result;
  if (!loaded) return result;
  const std::vector<Record>& records =
      board.getCurrentPlayer() == BLACK ? blackRecords : redRecords;
  if (records.empty()) return result;

  const std::vector<Move> legalMoves = board.getLegalMoves(board.getCurrentPlayer());
  const uint64_t hash = mrxqZobristHash(board);
  for (const Move& move : legalMoves) {
    if (const Record* record = find(records, mrxqZobristUpdate(board, move, hash))) {
      result.push_back({move, record->weight});
    }
  }
  if (result.empty()) {
    const Board mirrored = mirroredBoard(board);
    const uint64_t mirroredHash = mrxqZobristHash(mirrored);
    for (const Move& move : legalMoves) {
      const uint64_t key = mrxqZobristUpdate(mirrored, mirroredMove(move), mirroredHash);
      if (const Record* record = find(records, key)) result.push_back({move, record->weight});
    }
  }
  std::stable_sort(result.begin(), result.end(),
                   [](const BookMove& a, const BookMove& b) { return a.weight > b.weight; });
  return result;
}

}  // namespace Tavrune
