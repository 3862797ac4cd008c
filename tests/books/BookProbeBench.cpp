// Probe time per position for a 100,000-record book of each layout. Prints figures only.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "books/BookFileWriter.h"
#include "engine/EleeyeOpeningBook.h"
#include "engine/EleeyeZobrist.h"
#include "engine/MrxqOpeningBook.h"
#include "engine/MrxqZobrist.h"
#include "engine/OpeningBookSet.h"
#include "support/TempFolder.h"

using namespace Tavrune;
using namespace Tavrune::Test;

namespace {

constexpr size_t RECORDS = 100000;
constexpr int PLIES_PER_GAME = 40;

struct Entry {
  Board board;
  Move move;
};

// Distinct positions of random games from the opening, each with the move played there.
std::vector<Entry> randomGameEntries(std::mt19937& random) {
  std::vector<Entry> entries;
  entries.reserve(RECORDS);
  std::unordered_set<uint64_t> seen;
  while (entries.size() < RECORDS) {
    Board board;
    board.fromFEN(STANDARD_START_FEN);
    for (int ply = 0; ply < PLIES_PER_GAME && entries.size() < RECORDS; ++ply) {
      const std::vector<Move> moves = board.getLegalMoves(board.getCurrentPlayer());
      if (moves.empty()) break;
      const Move move = moves[random() % moves.size()];
      const uint64_t identity = mrxqZobristHash(board) ^ (board.getCurrentPlayer() == BLACK);
      if (seen.insert(identity).second) entries.push_back({board, move});
      board.movePiece(move);
    }
  }
  return entries;
}

template <typename Probe>
void measure(const char* label, const std::vector<Entry>& entries, Probe probe) {
  constexpr size_t probes = 20000;
  size_t hits = 0;
  const auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < probes; ++i) hits += probe(entries[(i * 7919) % entries.size()].board);
  const double micros =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-44s %8.2f us per position  (%zu of %zu positions answered)\n", label,
              micros / probes, hits, probes);
}

}  // namespace

int main() {
  std::mt19937 random(20240607);
  const std::vector<Entry> entries = randomGameEntries(random);
  const TempFolder bookFolder("开局库-bench");
  const std::string folder = bookFolder.utf8();

  std::vector<EleeyeRecord> eleeye;
  std::vector<MrxqRecord> black;
  std::vector<MrxqRecord> red;
  for (const Entry& e : entries) {
    const auto weight = static_cast<uint16_t>(1 + random() % 1000);
    eleeye.push_back({eleeyeZobristKey(e.board).lock1,
                      static_cast<uint16_t>(eleeyeSquareOf(e.move.from) | eleeyeSquareOf(e.move.to) << 8),
                      weight});
    const MrxqRecord record{mrxqZobristUpdate(e.board, e.move, mrxqZobristHash(e.board)), weight};
    (e.board.getCurrentPlayer() == BLACK ? black : red).push_back(record);
  }
  const std::string eleeyePath = folder + "/book.dat";
  const std::string mrxqPath = folder + "/book.obk";
  writeFile(eleeyePath, eleeyeBytes(eleeye));
  writeFile(mrxqPath, mrxqBytes(black, red));

  const auto timeLoad = [](const char* label, auto& book, const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = book.load(path);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-44s %8.2f ms  (%s, %d records)\n", label, ms, ok ? "loaded" : "FAILED", book.size());
  };
  EleeyeOpeningBook eleeyeBook;
  MrxqOpeningBook mrxqBook;
  timeLoad("load, ElephantEye layout (unsorted file)", eleeyeBook, eleeyePath);
  timeLoad("load, Mrxq layout (unsorted file)", mrxqBook, mrxqPath);

  measure("probe, ElephantEye layout", entries,
          [&](const Board& b) { return !eleeyeBook.probe(b).empty(); });
  measure("probe, Mrxq layout", entries, [&](const Board& b) { return !mrxqBook.probe(b).empty(); });

  OpeningBookSet both;
  both.loadBook(eleeyePath, 0);
  both.loadBook(mrxqPath, 1);
  measure("probeRandom over both books", entries,
          [&](const Board& b) { return both.probeRandom(b).from.isValid(); });
  measure("probeBest over both books", entries,
          [&](const Board& b) { return both.probeBest(b).from.isValid(); });

  // Positions the books do not hold: the probe also tries the mirror before giving up.
  std::vector<Entry> unknown;
  Board empty;
  empty.fromFEN("3k5/9/9/9/9/9/9/9/4A4/4K4 w - - 0 1");
  unknown.push_back({empty, Move{}});
  measure("probe miss (mirror tried), ElephantEye layout", unknown,
          [&](const Board& b) { return !eleeyeBook.probe(b).empty(); });
  measure("probe miss (mirror tried), Mrxq layout", unknown,
          [&](const Board& b) { return !mrxqBook.probe(b).empty(); });
  return 0;
}
