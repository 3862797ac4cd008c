// Perft(4) from the opening with Board::getLegalMoves and Board::movePiece, next to
// fairy-stockfish's own "go perft 4" measured in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "game/Board.h"
#include "game/OracleEngine.h"
#include "game/Perft.h"

using namespace Tavrune;

namespace {

constexpr int DEPTH = 4;
constexpr int RUNS = 3;  // the best of these runs is reported, for both sides
constexpr uint64_t EXPECTED_NODES = 3290240;

}  // namespace

int main() {
  Board board;
  board.setupInitialPosition();

  double ourBest = 1e300;
  uint64_t ourNodes = 0;
  for (int run = 0; run < RUNS; ++run) {
    const auto started = std::chrono::steady_clock::now();
    ourNodes = Test::perft(board, DEPTH);
    ourBest = std::min(ourBest, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  }
  std::printf("Board perft(%d) from the opening: %llu nodes in %.3f s, %.0f nodes/s%s\n", DEPTH,
              static_cast<unsigned long long>(ourNodes), ourBest, ourNodes / ourBest,
              ourNodes == EXPECTED_NODES ? "" : " (WRONG COUNT)");

  Test::OracleEngine engine;
  if (!Test::OracleEngine::isInstalled() || !engine.start()) {
    std::printf("fairy-stockfish not available (%s): no comparison\n", Test::OracleEngine::DEFAULT_PATH);
    return ourNodes == EXPECTED_NODES ? 0 : 1;
  }
  double oracleBest = 1e300;
  uint64_t oracleNodes = 0;
  for (int run = 0; run < RUNS; ++run) {
    const auto result = engine.perft(STANDARD_START_FEN, DEPTH);
    if (!result) {
      std::printf("fairy-stockfish failed: %s\n", engine.error().c_str());
      return 1;
    }
    oracleNodes = result->nodes;
    oracleBest = std::min(oracleBest, result->seconds);
  }
  std::printf("fairy-stockfish go perft %d: %llu nodes in %.3f s, %.0f nodes/s\n", DEPTH,
              static_cast<unsigned long long>(oracleNodes), oracleBest, oracleNodes / oracleBest);
  std::printf("ratio (fairy-stockfish time / Board time): %.3f\n", oracleBest / ourBest);
  return ourNodes == oracleNodes ? 0 : 1;
}
