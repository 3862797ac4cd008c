// Prints how long reading a record takes next to replaying its moves through the rules:
// a 1,000-move PGN and a 300-move XQF, each a random legal game; then the largest records
// read and a file over the size cap.
#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>

#include <sys/resource.h>

#include "RandomGames.h"
#include "RecordTestFiles.h"
#include "XqfTestEncoder.h"
#include "game/GameEngine.h"
#include "records/ChessScoreManager.h"
#include "records/PGNFormat.h"
#include "records/RecordLimits.h"

using namespace Tavrune;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<Move> gameOfExactly(int plies) {
  for (unsigned seed = 1;; ++seed) {
    std::mt19937 random(seed);
    std::vector<Move> game = Test::randomGame(STANDARD_START_FEN, plies, random);
    if (static_cast<int>(game.size()) == plies) return game;
  }
}

template <typename Work>
double microsecondsPerRun(int runs, Work&& work) {
  work();  // warm the caches once
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) work();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / runs;
}

void report(const char* name, const std::wstring& path, const std::vector<Move>& moves, int runs) {
  ChessScoreManager manager(nullptr);
  ChessScore score;
  const double load = microsecondsPerRun(runs, [&] {
    if (!manager.load(path, score) || score.moves.size() != moves.size()) std::abort();
  });
  const double replay = microsecondsPerRun(runs, [&] {
    GameEngine game;
    game.newGame(MODE_PVP);
    for (const Move& move : moves) {
      if (!game.makeMove(move)) std::abort();
    }
  });
  const double loadAndReplay = microsecondsPerRun(runs, [&] {
    GameEngine game;
    if (!game.loadScore(path, ScoreFormat::UNKNOWN)) std::abort();
  });
  std::printf("%-26s load %9.1f us   replay %9.1f us   load/replay %5.2f   whole loadScore %9.1f us\n", name, load,
              replay, load / replay, loadAndReplay);
}

// The largest records read, at the ply cap, and a file over the size cap: time and the
// growth of the peak memory.
void reportLargeLoads(const Test::RecordTestFolder& folder) {
  const Move cycle[] = {{{1, 9}, {2, 7}}, {{1, 0}, {2, 2}}, {{2, 7}, {1, 9}}, {{2, 2}, {1, 0}}};
  Test::XqfTestEncoder encoder;
  ChessScore pgnScore;
  for (size_t i = 0; i < kMaxRecordPlies; ++i) {
    const Move& m = cycle[i % 4];
    encoder.mainLine.push_back(
        {Test::XqfTestEncoder::square(m.from.x, m.from.y), Test::XqfTestEncoder::square(m.to.x, m.to.y), "", {}, 0});
    pgnScore.moves.emplace_back().move = m;
  }
  std::ostringstream pgnText;
  PGNFormat().serialize(pgnText, pgnScore);
  Test::writeWholeFile(folder.file("cap.pgn"), pgnText.str());
  Test::writeWholeFile(folder.file("cap.xqf"), encoder.encode());
  Test::writeWholeFile(folder.file("over.xqf"), std::string(kMaxRecordFileBytes + 1, 'X'));
  for (const char* name : {"cap.pgn", "cap.xqf", "over.xqf"}) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = Clock::now();
    const bool loaded = GameEngine().loadScore(folder.widePath(name), ScoreFormat::UNKNOWN);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    getrusage(RUSAGE_SELF, &after);
    std::printf("%-9s %s in %7.1f ms, peak memory +%ld KB\n", name, loaded ? "loaded " : "refused", ms,
                after.ru_maxrss - before.ru_maxrss);
  }
}

}  // namespace

int main() {
  Test::RecordTestFolder folder;
  // First, while the peak memory is still this program's own start.
  reportLargeLoads(folder);

  const std::vector<Move> long_game = gameOfExactly(1000);
  ChessScore pgnScore;
  for (const Move& move : long_game) {
    ScoreMove entry;
    entry.move = move;
    pgnScore.moves.push_back(entry);
  }
  std::ostringstream pgnText;
  PGNFormat().serialize(pgnText, pgnScore);
  Test::writeWholeFile(folder.file("bench.pgn"), pgnText.str());

  const std::vector<Move> xqf_game = gameOfExactly(300);
  Test::XqfTestEncoder encoder;
  encoder.version = 18;
  encoder.keyMask = 0xFF;
  encoder.keyOr = {0x3C, 0x91, 0x05, 0xE2};
  encoder.keyBytes = {0x84, 0xA5, 0x9C, 0xE7};
  for (const Move& move : xqf_game) {
    Test::XqfTestRecord record;
    record.source = Test::XqfTestEncoder::square(move.from.x, move.from.y);
    record.target = Test::XqfTestEncoder::square(move.to.x, move.to.y);
    encoder.mainLine.push_back(record);
  }
  Test::writeWholeFile(folder.file("bench.xqf"), encoder.encode());

  std::printf("Record loading against replaying the same moves (per run; %zu PGN bytes, %zu XQF bytes)\n",
              pgnText.str().size(), encoder.encode().size());
  report("PGN, 1000 moves", folder.widePath("bench.pgn"), long_game, 200);
  report("XQF, 300 moves", folder.widePath("bench.xqf"), xqf_game, 500);
  return 0;
}
