// The AI's engine life cycle and settings against the scripted rules engine: what the
// setters keep, what reaches each new engine, bounded start attempts and recovery.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "ai/PveRig.h"
#include "ai/RulesEngine.h"
#include "books/BookLogCapture.h"
#include "books/FakeHttpClient.h"
#include "engine/EngineLaunch.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

using namespace std::chrono_literals;
using support::RulesEngine;

constexpr auto WAIT = 20s;  // only reached when a test fails

class AiLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.ai.setEnginePath("rules-engine");
    rig.ai.setProcessManagerFactory([this] { return engine.newProcess(); });
    rig.ai.setRetrySleep([this](std::chrono::milliseconds delay) { sleeps.push_back(delay.count()); });
  }

  void startAndWaitUntilReady() {
    const size_t reports = rig.readyReports.size();
    ASSERT_TRUE(rig.ai.initialize());
    ASSERT_TRUE(rig.waitForReadyReports(reports + 1, WAIT));
    ASSERT_TRUE(rig.readyReports.back());
  }

  support::BookLogCapture log;
  RulesEngine engine;  // outlives the rig, whose engine talks to it
  support::PveRig rig;
  std::vector<long long> sleeps;  // written on the thread that starts the engine
};

TEST_F(AiLifecycleTest, SettersKeepValuesInsideTheirLimits) {
  struct Case {
    const char* name;
    std::function<void(AI&)> set;
    std::function<int32_t(const AISettings&)> read;
    int32_t expected;
  };
  const auto elo = [](const AISettings& s) { return s.customElo; };
  const auto tier = [](const AISettings& s) { return s.difficultyTier; };
  const auto skill = [](const AISettings& s) { return s.customSkill; };
  const auto time = [](const AISettings& s) { return s.timeLimit; };
  const auto depth = [](const AISettings& s) { return s.depth; };
  const auto mode = [](const AISettings& s) { return s.searchLimitMode; };
  const auto book = [](const AISettings& s) { return s.openingBookMode; };
  const Case cases[] = {
      {"Elo below the range", [](AI& ai) { ai.setCustomElo(900); }, elo, 1280},
      {"Elo above the range", [](AI& ai) { ai.setCustomElo(5000); }, elo, 3133},
      {"Elo chooses tier 5", [](AI& ai) { ai.setCustomElo(2000); }, tier, 5},
      {"skill below the range", [](AI& ai) { ai.setCustomSkill(0); }, skill, 1},
      {"skill chooses tier 6", [](AI& ai) { ai.setCustomSkill(9); }, tier, 6},
      {"time below the range", [](AI& ai) { ai.setTimeLimit(50); }, time, 100},
      {"time above the range", [](AI& ai) { ai.setTimeLimit(300001); }, time, 300000},
      {"depth below the range", [](AI& ai) { ai.setDepth(-3); }, depth, 0},
      {"depth above the range", [](AI& ai) { ai.setDepth(300); }, depth, 245},
      {"unknown limit mode is time", [](AI& ai) { ai.setSearchLimitMode(7); }, mode, SEARCH_BY_TIME},
      {"depth mode", [](AI& ai) { ai.setSearchLimitMode(1); }, mode, SEARCH_BY_DEPTH},
      {"unknown book mode is local", [](AI& ai) { ai.setOpeningBookMode(5); }, book, BOOK_LOCAL_FIRST},
      {"online book mode", [](AI& ai) { ai.setOpeningBookMode(1); }, book, BOOK_ONLINE_FIRST},
  };
  for (const Case& c : cases) {
    AI ai;
    c.set(ai);
    EXPECT_EQ(c.read(ai.getSettings()), c.expected) << c.name;
    EXPECT_EQ(ai.getEngineStateText(), "未启动") << c.name;
    EXPECT_EQ(ai.getEloMax(), 0) << c.name;
  }
  const std::string lines = log.all();
  const size_t warning = lines.find("AI::setOpeningBookMode: invalid mode, fallback to LOCAL");
  ASSERT_NE(warning, std::string::npos);
  EXPECT_LT(warning, lines.find("AI: Opening book mode set to 0"));
}

// Values set before the engine runs, and kept by the AI, reach the first engine and the
// one a recovery makes after the first was killed.
TEST_F(AiLifecycleTest, EveryStoredSettingReachesEachNewEngine) {
  rig.ai.setCustomSkill(11);  // Skill Level 0..20: level 11 is 10
  rig.ai.setSearchLimitMode(SEARCH_BY_DEPTH);
  rig.ai.setDepth(7);
  rig.ai.setThreads(2);
  rig.ai.setHash(32);
  rig.ai.setPonderEnabled(true);
  rig.ai.setShowWDL(false);
  rig.ai.setMultiPV(3);
  rig.ai.setMoveOverhead(77);
  startAndWaitUntilReady();

  engine.killLastSession();
  ASSERT_TRUE(rig.waitForReadyReports(2, WAIT));
  EXPECT_FALSE(rig.readyReports.back());
  rig.startGame(BLACK, false);  // the engine is to move: the request recovers the engine
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  ASSERT_EQ(engine.sessionCount(), 2u);

  const std::vector<std::string> expected = {
      "setoption name Threads value 2",      "setoption name Hash value 32",
      "setoption name Ponder value true",    "setoption name Move Overhead value 77",
      "setoption name UCI_ShowWDL value false", "setoption name Skill Level value 10",
      "setoption name MultiPV value 3",
  };
  for (size_t session = 0; session < 2; ++session) {
    for (const std::string& line : expected) {
      EXPECT_EQ(engine.session(session)->countWritten(line), 1u) << "session " << session << ": " << line;
    }
  }
  EXPECT_EQ(engine.session(1)->countWritten("go depth 7"), 1u);

  // Switching the limit mode alone changes how the running engine searches.
  rig.ai.setSearchLimitMode(SEARCH_BY_TIME);
  rig.ai.setPonderEnabled(false);
  rig.ai.stopPonder();
  ASSERT_TRUE(rig.queue.runUntil([&] { return rig.ai.isEngineReady(); }, WAIT));
  rig.playerMoves(rig.game.getBoard().getLegalMoves(BLACK).front());
  ASSERT_TRUE(rig.waitForAiMoves(2, WAIT));
  EXPECT_EQ(engine.session(1)->countWritten("go movetime 3000"), 1u);
  EXPECT_EQ(rig.refusedAiMoves, 0u);
}

// The attempts run on a thread of their own: the caller has its answer before the first
// wait between them ends.
TEST_F(AiLifecycleTest, FailedStartsRetryThreeTimesInTheBackgroundAndReportNotReadyOnce) {
  engine.setStartFails(true);
  std::promise<void> answered;
  rig.ai.setRetrySleep([this, callerAnswered = answered.get_future().share()](std::chrono::milliseconds delay) {
    callerAnswered.wait();
    sleeps.push_back(delay.count());
  });
  EXPECT_TRUE(rig.ai.initialize());
  answered.set_value();
  ASSERT_TRUE(rig.waitForReadyReports(1, WAIT));
  EXPECT_EQ(sleeps, (std::vector<long long>{500, 1000, 1500}));
  EXPECT_EQ(engine.sessionCount(), 4u);
  EXPECT_EQ(rig.ai.getRestartAttempts(), 3);
  rig.queue.runUntil([] { return false; }, 200ms);
  EXPECT_EQ(rig.readyReports, std::vector<bool>{false});

  EXPECT_FALSE(rig.ai.initialize());
  EXPECT_EQ(engine.sessionCount(), 4u);
  EXPECT_TRUE(log.contains("AI::initialize: Engine crashed too many times, giving up"));

  // Until a new game (or undo, resume, ...) revives it, a search fails at once: no start
  // attempt, no wait, no second report.
  Board opening;
  opening.setupInitialPosition();
  EXPECT_FALSE(rig.ai.startThinking(opening, RED));
  EXPECT_EQ(engine.sessionCount(), 4u);
  EXPECT_EQ(sleeps.size(), 3u);
  rig.queue.runPending();
  EXPECT_EQ(rig.readyReports, std::vector<bool>{false});

  // The new game tries again; once the engine starts, the owed request is answered.
  engine.setStartFails(false);
  engine.setHoldReady(true);
  rig.startGame(BLACK, false);
  EXPECT_TRUE(rig.pve.hasPendingRequest());
  engine.releaseReady();
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  EXPECT_EQ(rig.ai.getRestartAttempts(), 0);
}

// With the platform's own process: Windows refuses to create it (and retries), elsewhere
// it dies at once. Either way the user hears of it once.
TEST_F(AiLifecycleTest, MissingEngineFileReportsNotReadyOnce) {
  const std::filesystem::path missing = std::filesystem::path(support::freshTestFolder("missing")) / "engine.exe";
  rig.ai.setEnginePath(missing.string());
  rig.ai.setProcessManagerFactory([] { return support::newPlatformProcess(); });
  rig.ai.initialize();
  ASSERT_TRUE(rig.waitForReadyReports(1, WAIT));
  rig.queue.runUntil([] { return false; }, 500ms);
  EXPECT_EQ(rig.readyReports, std::vector<bool>{false});
}

TEST_F(AiLifecycleTest, InitializeReportsReadinessOnlyWhenTheEngineIsIdle) {
  startAndWaitUntilReady();
  EXPECT_TRUE(rig.ai.initialize());
  EXPECT_EQ(rig.queue.size(), 1u);  // reported at once, nothing restarted
  EXPECT_EQ(engine.sessionCount(), 1u);
  rig.queue.runPending();

  engine.setHoldSearches(true);
  Board board;
  board.setupInitialPosition();
  ASSERT_TRUE(rig.ai.startThinking(board, RED));
  EXPECT_TRUE(rig.ai.initialize());
  EXPECT_EQ(rig.queue.size(), 0u);  // busy: readiness follows when the search ends
  engine.releaseSearch();
}

TEST_F(AiLifecycleTest, DifficultyChangedDuringASearchWaitsForTheNextIdle) {
  startAndWaitUntilReady();
  const std::string tierThree = "setoption name Skill Level value 15";
  engine.setHoldSearches(true);
  rig.startGame(BLACK, false);
  rig.ai.setDifficultyTier(3);
  EXPECT_EQ(engine.lastSession()->countWritten(tierThree), 0u);
  EXPECT_TRUE(log.contains("AI: Engine is thinking, difficulty will be applied after current search"));

  engine.releaseSearch();
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  ASSERT_TRUE(rig.queue.runUntil([&] { return log.contains("AI: Applied pending difficulty after engine became idle"); },
                                 WAIT));
  EXPECT_EQ(engine.lastSession()->countWritten(tierThree), 1u);

  const std::vector<Move> replies = rig.game.getBoard().getLegalMoves(BLACK);
  ASSERT_EQ(rig.playerMoves(replies.front()), PveController::REQUEST_STARTED);
  ASSERT_TRUE(rig.waitForAiMoves(2, WAIT));
  EXPECT_EQ(engine.lastSession()->countWritten(tierThree), 1u);
}

TEST_F(AiLifecycleTest, StartFromTheErrorStateEndsTheOldEngineFirst) {
  startAndWaitUntilReady();
  engine.lastSession()->emitLines({"error something broke"});
  ASSERT_TRUE(rig.waitForReadyReports(2, WAIT));
  EXPECT_FALSE(rig.readyReports.back());

  ASSERT_TRUE(rig.ai.initialize());  // an error alone does not block a new start
  ASSERT_TRUE(rig.waitForReadyReports(3, WAIT));
  EXPECT_TRUE(rig.readyReports.back());
  EXPECT_EQ(engine.session(0)->countWritten("quit"), 1u);
  EXPECT_GE(engine.session(0)->terminateCount(), 1);
  EXPECT_EQ(engine.sessionCount(), 2u);
}

// Under the sanitizers: an online query and an engine search still running when the AI
// goes; their late answers reach nothing.
TEST_F(AiLifecycleTest, DestroyedWhileRequestsAreRunning) {
  auto client = std::make_shared<support::FakeHttpClient>(std::string(), true);
  Board board;
  board.setupInitialPosition();
  {
    AI online;
    online.setOpeningBookMode(BOOK_ONLINE_FIRST);
    online.setHttpClientFactory([client] { return client; });
    online.setMoveReadyCallback([](const Move&) { ADD_FAILURE() << "answer after destruction"; });
    ASSERT_TRUE(online.startThinking(board, RED));
  }
  client->release("move:h2e2");

  engine.setHoldSearches(true);
  {
    AI searching;
    searching.setProcessManagerFactory([this] { return engine.newProcess(); });
    searching.setOpeningBookMode(BOOK_ENGINE_ONLY);
    searching.setMoveReadyCallback([](const Move&) { ADD_FAILURE() << "answer after destruction"; });
    ASSERT_TRUE(searching.initialize());
    const auto readyBy = std::chrono::steady_clock::now() + 10s;
    while (!searching.isEngineReady() && std::chrono::steady_clock::now() < readyBy) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(searching.startThinking(board, RED));
  }
  EXPECT_EQ(engine.lastSession()->countWritten("quit"), 1u);

  // Start attempts under way: their wait is cut short and their thread joined.
  engine.setStartFails(true);
  const auto destroying = std::chrono::steady_clock::now();
  {
    AI starting;
    starting.setProcessManagerFactory([this] { return engine.newProcess(); });
    starting.setEngineReadyCallback([](bool) { ADD_FAILURE() << "report after destruction"; });
    ASSERT_TRUE(starting.initialize());
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - destroying, 1s);
}

}  // namespace
}  // namespace Tavrune
