// The turn flow of a game against the engine, with the scripted rules engine behind the
// AI and the window's posted reports handled on the test thread.
#include <gtest/gtest.h>

#include <algorithm>

#include "ai/PveRig.h"
#include "ai/RulesEngine.h"
#include "books/BookFileWriter.h"
#include "books/BookLogCapture.h"
#include "support/TempFolder.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

using namespace std::chrono_literals;
using support::RulesEngine;

constexpr auto WAIT = 20s;  // only reached when a test fails

size_t linesStarting(const support::ScriptedEngineIo& io, const std::string& prefix) {
  const std::vector<std::string> lines = io.written();
  return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

class PveControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.ai.setEnginePath("rules-engine");
    rig.ai.setProcessManagerFactory([this] { return engine.newProcess(); });
  }

  support::BookLogCapture log;
  RulesEngine engine;
  support::PveRig rig;
};

TEST_F(PveControllerTest, OnlyTheEnginesTurnInAnEngineGameAsksTheAi) {
  const support::TempFolder folder("开局库-book");
  const std::string book = folder.utf8() + "/book.dat";
  ASSERT_TRUE(support::writeFile(book, support::eleeyeBytes({support::eleeyeRecord(STANDARD_START_FEN, "h2e2", 1)})));
  for (GameMode mode : {MODE_PVP, MODE_PVE, MODE_LAN}) {
    for (PieceColor player : {RED, BLACK}) {
      for (GameState state : {PLAYING, RED_WIN, DRAW, REVIEW}) {
        support::PveRig fresh;  // the book answers: no engine is needed
        ASSERT_TRUE(fresh.ai.loadOpeningBook(book, 0));
        fresh.game.newGame(mode);  // Red to move
        fresh.game.setGameState(state);
        const bool enginesTurn = mode == MODE_PVE && player == BLACK && state == PLAYING;
        EXPECT_EQ(fresh.pve.requestAIMove(mode, player), enginesTurn) << mode << player << state;
        EXPECT_EQ(fresh.pve.onHumanMove(Move{}, mode, player),
                  enginesTurn ? PveController::REQUEST_STARTED : PveController::NOTHING_TO_DO)
            << mode << player << state;
        EXPECT_EQ(fresh.queue.size(), enginesTurn ? 2u : 0u) << mode << player << state;
      }
    }
  }
}

// Asked while the engine still starts, at game start or after the player's move: the
// request is owed and the first ready report releases it.
TEST_F(PveControllerTest, RequestsOwedWhileTheEngineStartsAreReleasedOnTheFirstReady) {
  for (PieceColor player : {BLACK, RED}) {
    RulesEngine own;
    support::PveRig fresh;
    fresh.ai.setProcessManagerFactory([&own] { return own.newProcess(); });
    own.setHoldReady(true);
    fresh.startGame(player);
    if (player == RED) {
      const Move move = support::moveFromText(fresh.game.getBoard(), "h2e2");
      EXPECT_EQ(fresh.playerMoves(move), PveController::REQUEST_STARTED);
    }
    EXPECT_TRUE(fresh.pve.hasPendingRequest()) << player;
    ASSERT_TRUE(fresh.queue.runUntil([&] { return own.sessionCount() == 1; }, WAIT)) << player;
    EXPECT_EQ(linesStarting(*own.lastSession(), "go"), 0u) << player;
    own.releaseReady();
    ASSERT_TRUE(fresh.waitForAiMoves(1, WAIT)) << player;
    EXPECT_FALSE(fresh.pve.hasPendingRequest()) << player;
    EXPECT_EQ(fresh.readyReports, std::vector<bool>{true}) << player;
    EXPECT_EQ(fresh.refusedAiMoves, 0u) << player;
  }
  EXPECT_TRUE(log.contains("PVE mode: AI request deferred until engine is ready"));
}

TEST_F(PveControllerTest, PonderHitGoesOnAndAMissSearchesTheRealPosition) {
  rig.ai.setPonderEnabled(true);
  rig.startGame(BLACK);
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  ASSERT_TRUE(rig.ai.isPondering());
  const std::vector<Move> replies = rig.game.getBoard().getLegalMoves(BLACK);
  const auto hit = std::find_if(replies.begin(), replies.end(), [&](const Move& m) { return rig.ai.isPonderHit(m); });
  ASSERT_NE(hit, replies.end());
  EXPECT_EQ(rig.playerMoves(*hit), PveController::PONDER_HIT);
  ASSERT_TRUE(rig.waitForAiMoves(2, WAIT));
  EXPECT_EQ(engine.lastSession()->countWritten("ponderhit"), 1u);
  EXPECT_EQ(linesStarting(*engine.lastSession(), "go movetime"), 1u);  // the first move only

  ASSERT_TRUE(rig.ai.isPondering());
  const std::vector<Move> next = rig.game.getBoard().getLegalMoves(BLACK);
  const auto miss = std::find_if(next.begin(), next.end(), [&](const Move& m) { return !rig.ai.isPonderHit(m); });
  ASSERT_NE(miss, next.end());
  EXPECT_EQ(rig.playerMoves(*miss), PveController::PONDER_MISS);
  EXPECT_TRUE(rig.pve.hasPendingRequest());
  ASSERT_TRUE(rig.waitForAiMoves(3, WAIT));
  EXPECT_EQ(engine.lastSession()->countWritten("stop"), 1u);
  EXPECT_EQ(linesStarting(*engine.lastSession(), "go movetime"), 2u);
  EXPECT_EQ(rig.refusedAiMoves, 0u);
}

TEST_F(PveControllerTest, UndoTakesBackMovePairsOnThePlayersTurn) {
  struct Case {
    GameMode mode;
    PieceColor player;
    std::vector<std::string> moves;
    int32_t taken;
    size_t left;
  } const cases[] = {
      {MODE_PVE, RED, {"h2e2", "h9g7"}, 2, 0},          // the player's move and the reply
      {MODE_PVE, BLACK, {"h2e2"}, 1, 0},                // the engine made the only move
      {MODE_PVE, RED, {"h2e2", "h9g7", "h0g2"}, 1, 2},  // the engine is to move
      {MODE_PVE, RED, {}, 1, 0},                        // nothing to take back
      {MODE_PVP, RED, {"h2e2", "h9g7"}, 1, 1},
  };
  for (const Case& c : cases) {
    support::PveRig fresh;
    fresh.game.newGame(c.mode);
    for (const std::string& text : c.moves) ASSERT_TRUE(fresh.game.makeMove(support::moveFromText(fresh.game.getBoard(), text)));
    EXPECT_EQ(fresh.pve.onUndo(c.mode, c.player), c.taken) << c.moves.size();
    EXPECT_EQ(fresh.game.getMoveHistory().size(), c.left) << c.moves.size();
  }
}

TEST_F(PveControllerTest, CancelForgetsAnOwedRequest) {
  engine.setHoldReady(true);
  rig.startGame(BLACK);
  ASSERT_TRUE(rig.pve.hasPendingRequest());
  rig.pve.cancel();
  engine.releaseReady();
  ASSERT_TRUE(rig.waitForReadyReports(1, WAIT));
  rig.queue.runUntil([] { return false; }, 200ms);
  EXPECT_TRUE(rig.aiMoves.empty());
  EXPECT_EQ(linesStarting(*engine.lastSession(), "go"), 0u);
}

// The answer to a position that was taken back never reaches the game.
TEST_F(PveControllerTest, UndoDuringASearchStopsIt) {
  engine.setHoldSearches(true);
  rig.startGame(RED);
  ASSERT_TRUE(rig.waitForReadyReports(1, WAIT));
  ASSERT_EQ(rig.playerMoves(support::moveFromText(rig.game.getBoard(), "h2e2")), PveController::REQUEST_STARTED);
  ASSERT_TRUE(engine.lastSession()->waitForWritten("go movetime 3000", WAIT));
  EXPECT_EQ(rig.pve.onUndo(MODE_PVE, RED), 1);
  EXPECT_EQ(engine.lastSession()->countWritten("stop"), 1u);
  ASSERT_TRUE(rig.waitForReadyReports(2, WAIT));
  EXPECT_TRUE(rig.aiMoves.empty());
  EXPECT_EQ(rig.refusedAiMoves, 0u);
  EXPECT_TRUE(rig.game.getMoveHistory().empty());
}

TEST_F(PveControllerTest, GameOverTextsAndResultsForThePlayer) {
  struct Case {
    GameState state;
    std::wstring text;
    int32_t forRed;
    int32_t forBlack;
  } const cases[] = {
      {PLAYING, L"", 0, 0},
      {RED_WIN, L"游戏结束，红方获胜！", 1, 2},
      {BLACK_WIN, L"游戏结束，黑方获胜！", 2, 1},
      {DRAW, L"游戏结束，和棋！", 0, 0},
      {REVIEW, L"", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PveController::getGameOverText(c.state), c.text) << c.state;
    EXPECT_EQ(PveController::getResultForPlayer(c.state, RED), c.forRed) << c.state;
    EXPECT_EQ(PveController::getResultForPlayer(c.state, BLACK), c.forBlack) << c.state;
  }
}

}  // namespace
}  // namespace Tavrune
