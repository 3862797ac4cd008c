// Prints the time from a player's move to the AI's reply being played when a book hits:
// the request, the book probe, the posted hand-over and the move on the game. No engine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "ai/PveRig.h"
#include "books/BookFileWriter.h"
#include "support/TempFolder.h"

int main() {
  using namespace Tavrune;
  namespace support = ::Tavrune::Test;
  using Clock = std::chrono::steady_clock;

  Board afterFirst = support::boardFromFen(STANDARD_START_FEN);
  afterFirst.movePiece(support::moveFromText(afterFirst, "h2e2"));
  const support::TempFolder bookFolder("开局库-bench");
  const std::string folder = bookFolder.utf8();
  const bool written =
      support::writeFile(folder + "/book.dat", support::eleeyeBytes({support::eleeyeRecord(afterFirst.toFEN(), "h9g7", 10)})) &&
      support::writeFile(folder + "/black.obk", support::mrxqBytes({support::mrxqRecord(afterFirst.toFEN(), "b9c7", 9)}, {}));
  support::PveRig rig;
  if (!written || !rig.ai.loadOpeningBook(folder + "/book.dat", 0) || !rig.ai.loadOpeningBook(folder + "/black.obk", 1)) {
    std::fprintf(stderr, "cannot write the benchmark's books\n");
    return 1;
  }

  constexpr int ROUNDS = 2000;
  std::vector<double> micros;
  micros.reserve(ROUNDS);
  for (int round = 0; round < ROUNDS; ++round) {
    rig.startGame(RED, false);
    rig.aiMoves.clear();
    const Move move = support::moveFromText(rig.game.getBoard(), "h2e2");
    const auto start = Clock::now();
    rig.playerMoves(move);
    rig.waitForAiMoves(1, std::chrono::seconds(5));
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (rig.aiMoves.size() != 1) {
      std::fprintf(stderr, "no book reply in round %d\n", round);
      return 1;
    }
  }
  std::sort(micros.begin(), micros.end());
  std::printf("Player's move to the AI's book reply played, %d rounds: median %.1f us, 99th percentile %.1f us, "
              "worst %.1f us (a screen frame is 16667 us)\n",
              ROUNDS, micros[ROUNDS / 2], micros[ROUNDS * 99 / 100], micros.back());
  return 0;
}
