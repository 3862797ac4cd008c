// The AI with a real engine, Fairy-Stockfish behind the engine tests' relay (a POSIX
// process double in the host build): whole games with books in front, pondering, and
// recovery from an engine killed in the middle of a search. Low depths keep it quick.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "ai/ProcessTaps.h"
#include "ai/PveRig.h"
#include "books/BookFileWriter.h"
#include "books/BookLogCapture.h"
#include "engine/EngineLaunch.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

using namespace std::chrono_literals;

constexpr auto WAIT = 60s;  // only reached when a test fails; a cold Wine starts slowly
constexpr int MAX_PLIES = 120;

size_t linesStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

std::vector<std::string> optionLines(const std::vector<std::string>& lines) {
  std::vector<std::string> options;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(options),
               [](const std::string& line) { return line.rfind("setoption ", 0) == 0; });
  return options;
}

class AiRealEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing;
    std::optional<support::EngineLaunch> launch = support::realEngine(support::RelayMode::UciXiangqi, missing);
    if (!launch) TAVRUNE_SKIP_OR_FAIL_IN_CI(missing);
    rig.ai.setEnginePath(launch->commandLine);
    rig.ai.setProcessManagerFactory([taps = taps] {
      std::string reason;
      std::optional<support::EngineLaunch> next = support::realEngine(support::RelayMode::UciXiangqi, reason);
      return taps->tap(std::move(next->process));
    });
    EngineTimeouts timeouts;
    timeouts.handshake = 30s;
    rig.ai.setEngineTimeouts(timeouts);
    rig.ai.setThreads(1);
    rig.ai.setHash(16);
    rig.ai.setSearchLimitMode(SEARCH_BY_DEPTH);
    rig.ai.setDepth(3);
  }

  // The player's move: the capture of the most valuable piece, else a random legal move.
  Move rulesMove(std::mt19937& random) {
    const Board& board = rig.game.getBoard();
    std::vector<Move> moves = board.getLegalMoves(board.getCurrentPlayer());
    const auto value = [&](const Move& m) { return m.captured == EMPTY ? 0 : 8 - pieceKind(board.getPiece(m.to)); };
    for (Move& m : moves) m.captured = board.getPiece(m.to);
    const auto best = std::max_element(moves.begin(), moves.end(),
                                       [&](const Move& a, const Move& b) { return value(a) < value(b); });
    if (value(*best) > 0) return *best;
    return moves[std::uniform_int_distribution<size_t>(0, moves.size() - 1)(random)];
  }

  support::BookLogCapture log;
  std::shared_ptr<support::ProcessTaps> taps = std::make_shared<support::ProcessTaps>();
  support::PveRig rig;
};

// Books of both layouts answer the engine's first two moves; the engine plays the rest of
// a game against a player who follows only the rules.
TEST_F(AiRealEngineTest, WholeGameWithBooksInFront) {
  const support::TempFolder bookFolder("开局库");
  const std::string folder = bookFolder.utf8();
  const Board afterTwo = [] {
    Board board = support::boardFromFen(STANDARD_START_FEN);
    board.movePiece(support::moveFromText(board, "h2e2"));
    board.movePiece(support::moveFromText(board, "h9g7"));
    return board;
  }();
  ASSERT_TRUE(support::writeFile(folder + "/book.dat",
                              support::eleeyeBytes({support::eleeyeRecord(STANDARD_START_FEN, "h2e2", 100)})));
  ASSERT_TRUE(support::writeFile(folder + "/second.obk",
                              support::mrxqBytes({}, {support::mrxqRecord(afterTwo.toFEN(), "h0g2", 100)})));
  ASSERT_TRUE(rig.ai.loadOpeningBook(folder + "/book.dat", 0));
  ASSERT_TRUE(rig.ai.loadOpeningBook(folder + "/second.obk", 1));
  rig.ai.setPonderEnabled(true);

  std::mt19937 random(7);
  rig.startGame(BLACK);
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  rig.playerMoves(support::moveFromText(rig.game.getBoard(), "h9g7"));
  ASSERT_TRUE(rig.waitForAiMoves(2, WAIT));
  EXPECT_EQ(support::moveText(rig.aiMoves[0]), "h2e2");
  EXPECT_EQ(support::moveText(rig.aiMoves[1]), "h0g2");
  EXPECT_EQ(linesStarting(taps->written(0), "go depth"), 0u);

  int hits = 0, misses = 0;
  while (rig.game.getGameState() == PLAYING && rig.game.getMoveHistory().size() < MAX_PLIES) {
    const size_t before = rig.aiMoves.size();
    const int32_t result = rig.playerMoves(rulesMove(random));
    ASSERT_NE(result, -1);
    hits += result == PveController::PONDER_HIT;
    misses += result == PveController::PONDER_MISS;
    if (rig.game.getGameState() != PLAYING) break;
    ASSERT_TRUE(rig.waitForAiMoves(before + 1, WAIT)) << rig.game.getBoard().toFEN();
  }
  EXPECT_EQ(rig.refusedAiMoves, 0u);
  EXPECT_GT(rig.aiMoves.size(), 2u);  // the engine played after the books
  EXPECT_EQ(taps->sessionCount(), 1u);
  std::printf("[ game ] %zu plies, state %d, ponder hits %d, misses %d\n", rig.game.getMoveHistory().size(),
              static_cast<int>(rig.game.getGameState()), hits, misses);
}

TEST_F(AiRealEngineTest, PonderHitAndMiss) {
  rig.ai.setPonderEnabled(true);
  rig.ai.setDepth(4);  // deep enough for the engine to name the reply it expects
  rig.startGame(BLACK);
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  for (const bool wantHit : {true, false}) {
    if (!rig.ai.isPondering()) GTEST_SKIP() << "the engine named no reply to ponder on";
    const std::vector<Move> replies = rig.game.getBoard().getLegalMoves(BLACK);
    const auto chosen = std::find_if(replies.begin(), replies.end(),
                                     [&](const Move& m) { return rig.ai.isPonderHit(m) == wantHit; });
    ASSERT_NE(chosen, replies.end());
    const size_t searches = linesStarting(taps->written(0), "go depth");
    const size_t moves = rig.aiMoves.size();
    EXPECT_EQ(rig.playerMoves(*chosen), wantHit ? PveController::PONDER_HIT : PveController::PONDER_MISS);
    ASSERT_TRUE(rig.waitForAiMoves(moves + 1, WAIT));
    const std::vector<std::string> sent = taps->written(0);
    EXPECT_EQ(linesStarting(sent, "go depth"), searches + (wantHit ? 0 : 1)) << wantHit;
    EXPECT_EQ(linesStarting(sent, wantHit ? "ponderhit" : "stop"), 1u) << wantHit;
  }
  EXPECT_EQ(rig.refusedAiMoves, 0u);
}

// Killed while it searches, the engine is reported failed; on its turn it is restarted
// with the same settings, and the new engine answers.
TEST_F(AiRealEngineTest, KilledMidSearchRestartsWithTheSameSettingsAndAnswers) {
  rig.ai.setSearchLimitMode(SEARCH_BY_TIME);
  rig.ai.setTimeLimit(1500);
  rig.ai.setMultiPV(2);
  rig.ai.setMoveOverhead(50);
  rig.ai.setCustomSkill(5);
  rig.startGame(RED);
  ASSERT_TRUE(rig.waitForReadyReports(1, WAIT));
  rig.playerMoves(support::moveFromText(rig.game.getBoard(), "h2e2"));
  ASSERT_TRUE(rig.queue.runUntil([&] { return linesStarting(taps->written(0), "go movetime 1500") == 1; }, WAIT));
  ASSERT_TRUE(taps->killNewest());
  ASSERT_TRUE(rig.waitForReadyReports(2, WAIT));
  EXPECT_FALSE(rig.readyReports.back());

  // On its turn the turn flow starts a new engine at once and asks again.
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  EXPECT_EQ(rig.failures, std::vector<int32_t>{PveController::ENGINE_RESTARTED});
  ASSERT_EQ(taps->sessionCount(), 2u);
  const std::vector<std::string> first = optionLines(taps->written(0));
  const std::vector<std::string> second = optionLines(taps->written(1));
  EXPECT_EQ(std::set<std::string>(first.begin(), first.end()), std::set<std::string>(second.begin(), second.end()));
  EXPECT_EQ(linesStarting(taps->written(1), "go movetime 1500"), 1u);
  EXPECT_EQ(rig.refusedAiMoves, 0u);
}

// The UCCI dialect takes no initial options: the chosen level reaches the engine when it
// first becomes idle, before its first search, whose depth goes with "go".
TEST_F(AiRealEngineTest, UcciEngineHearsTheLevelBeforeItsFirstSearch) {
  std::string missing;
  rig.ai.setEnginePath(support::realEngine(support::RelayMode::UcciFallback, missing)->commandLine);
  rig.ai.setProcessManagerFactory([taps = taps] {
    std::string reason;
    return taps->tap(std::move(support::realEngine(support::RelayMode::UcciFallback, reason)->process));
  });
  rig.ai.setDifficultyTier(3);
  rig.startGame(BLACK);
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  const std::vector<std::string> sent = taps->written(0);
  const auto level = std::find(sent.begin(), sent.end(), "setlevel 7");
  const auto search = std::find_if(sent.begin(), sent.end(), [](const std::string& l) { return l.rfind("go ", 0) == 0; });
  ASSERT_NE(level, sent.end());
  ASSERT_NE(search, sent.end());
  EXPECT_LT(level, search);
  EXPECT_EQ(*search, "go depth 3");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "setlevel 7"), 1);
}

}  // namespace
}  // namespace Tavrune
