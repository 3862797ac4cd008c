// Engine settings: what is stored, what reaches the engine and when, and the two texts
// the settings dialog shows.
#include <gtest/gtest.h>

#include <thread>

#include "EngineEvents.h"
#include "ScriptedProcess.h"
#include "engine/UCCIEngine.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;
using ::Tavrune::Test::EngineEvents;
using ::Tavrune::Test::ScriptedEngineIo;
using ::Tavrune::Test::ScriptedProcess;

constexpr auto WAIT = 5s;

const std::vector<std::string> ALL_DECLARED = {
    "option name Threads type spin default 1 min 1 max 1024",
    "option name Hash type spin default 16 min 1 max 33554432",
    "option name Clear Hash type button",
    "option name Ponder type check default false",
    "option name UCI_ShowWDL type check default false",
    "option name MultiPV type spin default 1 min 1 max 128",
    "option name Debug Log File type string default <empty>",
    "option name NumaPolicy type string default auto",
    "option name Move Overhead type spin default 10 min 0 max 5000",
    "option name nodestime type spin default 0 min 0 max 10000",
    "option name Mate Threat Depth type spin default 10 min 0 max 10",
    "option name Repetition Rule type combo default AsianRule var AsianRule var ChineseRule var SkyRule",
    "option name Draw Rule type combo default None var None var DrawAsBlackWin var DrawAsRedWin",
    "option name Sixty Move Rule type check default true",
    "option name Rule60MaxPly type spin default 120 min 1 max 150",
    "option name ScoreType type combo default Elo var Elo var PawnValueNormalized var Raw",
    "option name LU_Output type check default true",
};

class EngineOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = std::make_unique<UCCIEngine>();
    engine->setProcessManager(std::make_unique<ScriptedProcess>(io));
    EngineTimeouts fast;
    fast.ready = 300ms;
    fast.quit = 200ms;
    engine->setTimeouts(fast);
    events.attach(*engine);
  }

  void startWith(const std::vector<std::string>& declaration) {
    io->setResponder(::Tavrune::Test::uciEngine(declaration));
    ASSERT_TRUE(engine->start("engine.exe"));
    ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT));
  }

  // What a call sends, without the handshake before it.
  template <typename Call>
  std::vector<std::string> sentBy(Call call) {
    const size_t before = io->writtenCount();
    call();
    std::vector<std::string> all = io->written();
    return std::vector<std::string>(all.begin() + static_cast<long>(before), all.end());
  }

  std::shared_ptr<ScriptedEngineIo> io = std::make_shared<ScriptedEngineIo>();
  EngineEvents events;
  std::unique_ptr<UCCIEngine> engine;
};

TEST_F(EngineOptionsTest, SettersClampWhatTheyStore) {
  engine->setMoveOverhead(6000);
  engine->setMateThreatDepth(-1);
  engine->setRule60MaxPly(0);
  engine->setNodesTime(20000);
  engine->setCustomSkill(30);
  engine->setCustomElo(99999);  // kept as given; the engine's declared range clamps it
  EngineSettings s = engine->getSettings();
  EXPECT_EQ(s.moveOverhead, 5000);
  EXPECT_EQ(s.mateThreatDepth, 0);
  EXPECT_EQ(s.rule60MaxPly, 1);
  EXPECT_EQ(s.nodesTime, 10000);
  EXPECT_EQ(s.customSkill, 21);
  EXPECT_EQ(s.customElo, 99999);
  EXPECT_EQ(s.difficultyTier, TIER_CUSTOM_ELO);
  engine->setCustomSkill(-3);
  EXPECT_EQ(engine->getSettings().customSkill, 1);
  EXPECT_EQ(engine->getSettings().difficultyTier, TIER_CUSTOM_SKILL);
  engine->setMoveOverhead(-5);
  engine->setRule60MaxPly(500);
  EXPECT_EQ(engine->getSettings().moveOverhead, 0);
  EXPECT_EQ(engine->getSettings().rule60MaxPly, 150);
}

TEST_F(EngineOptionsTest, ImmediateSettersSendWhenIdleAndDeclared) {
  startWith(ALL_DECLARED);
  struct Case {
    const char* what;
    std::function<void()> call;
    std::vector<std::string> sent;
  };
  const Case cases[] = {
      {"debug log", [&] { engine->setDebugLogFile("engine.log"); },
       {"setoption name Debug Log File value engine.log", "isready"}},
      {"numa", [&] { engine->setNumaPolicy("none"); }, {"setoption name NumaPolicy value none", "isready"}},
      {"overhead clamped", [&] { engine->setMoveOverhead(9000); },
       {"setoption name Move Overhead value 5000", "isready"}},
      {"nodestime", [&] { engine->setNodesTime(600); }, {"setoption name nodestime value 600", "isready"}},
      {"mate threat", [&] { engine->setMateThreatDepth(4); }, {"setoption name Mate Threat Depth value 4", "isready"}},
      {"combo in the engine's spelling", [&] { engine->setRepetitionRule("chineserule"); },
       {"setoption name Repetition Rule value ChineseRule", "isready"}},
      {"combo value the engine does not offer", [&] { engine->setDrawRule("Whatever"); }, {}},
      {"check", [&] { engine->setSixtyMoveRule(false); }, {"setoption name Sixty Move Rule value false", "isready"}},
      {"rule60", [&] { engine->setRule60MaxPly(80); }, {"setoption name Rule60MaxPly value 80", "isready"}},
      {"score type", [&] { engine->setScoreType("Raw"); }, {"setoption name ScoreType value Raw", "isready"}},
      {"lu output", [&] { engine->setLuOutput(false); }, {"setoption name LU_Output value false", "isready"}},
      {"button", [&] { engine->clearHash(); }, {"setoption name Clear Hash", "isready"}},
      {"next start only", [&] {
         engine->setPonder(true);
         engine->setShowWDL(false);
         engine->setMultiPV(4);
         engine->setEvalFile("x.nnue");
         engine->setMovetime(500);
         engine->setDepth(9);
       }, {}},
      {"raw option within limits", [&] { EXPECT_TRUE(engine->setOption("MultiPV", "500")); },
       {"setoption name MultiPV value 128"}},
      {"raw option not a number", [&] { EXPECT_FALSE(engine->setOption("MultiPV", "many")); }, {}},
      {"raw check not a bool", [&] { EXPECT_FALSE(engine->setOption("Ponder", "yes")); }, {}},
      {"raw option undeclared", [&] { EXPECT_FALSE(engine->setOption("Contempt", "10")); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(sentBy(c.call), c.sent);
  }
  EXPECT_EQ(engine->getSettings().drawRule, "Whatever");  // stored even when not sent
}

TEST_F(EngineOptionsTest, ImmediateSettersOnlyStoreOutsideIdle) {
  startWith(ALL_DECLARED);
  Board board;
  board.fromFEN(STANDARD_START_FEN);
  engine->requestMove(board, STANDARD_START_FEN);
  EXPECT_TRUE(sentBy([&] {
                engine->setMoveOverhead(100);
                engine->setRule60MaxPly(60);
                engine->setHash(512);
                engine->setThreads(3);
                engine->clearHash();
              }).empty());
  EXPECT_EQ(engine->getSettings().moveOverhead, 100);
  EXPECT_EQ(engine->getSettings().hashSize, 512);
}

TEST_F(EngineOptionsTest, UndeclaredOptionsAreNeverSent) {
  startWith({"option name Hash type spin default 16 min 1 max 128"});
  EXPECT_TRUE(sentBy([&] {
                engine->setMoveOverhead(100);
                engine->setDebugLogFile("x.log");
                engine->setThreads(3);
                engine->clearHash();
              }).empty());
  // The declared maximum holds, and the report tells what the engine really got.
  EXPECT_EQ(engine->getSettings().appliedHash, 128);
  EXPECT_EQ(engine->verifyOptions(),
            "Threads: 设置=3 实际=0; Hash: 设置=256MB 实际=128MB; 不支持: Ponder, UCI_ShowWDL, MultiPV, Debug Log File, NumaPolicy, "
            "Move Overhead, nodestime, Mate Threat Depth, Repetition Rule, Draw Rule, Sixty Move Rule, "
            "Rule60MaxPly, ScoreType, LU_Output");
}

// What an engine declares never ends the program: number options declared as buttons
// are not used, and a flood of declarations is cut off.
TEST_F(EngineOptionsTest, OddDeclarationsAreNotBelieved) {
  std::vector<std::string> declaration = {
      "option name Threads type button",
      "option name Hash type button",
  };
  for (int i = 0; declaration.size() < 600; ++i) {
    declaration.push_back("option name Extra" + std::to_string(i) + " type check");
  }
  engine->setThreads(2);
  startWith(declaration);
  EXPECT_EQ(engine->getOptionCount(), 512);
  EXPECT_EQ(io->countWritten("setoption name Threads"), 0u);
  EXPECT_EQ(io->countWritten("setoption name Hash"), 0u);
  EXPECT_EQ(sentBy([&] {
              engine->setThreads(3);
              engine->setHash(64);
            }),
            std::vector<std::string>{});
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
  EXPECT_EQ(engine->getSettings().appliedThreads, 0);
}

TEST_F(EngineOptionsTest, HashAndThreadsAreSentOnlyWhenChanged) {
  engine->setThreads(2);
  startWith(ALL_DECLARED);
  EXPECT_EQ(sentBy([&] { engine->setHash(256); }), std::vector<std::string>{});  // applied at start
  EXPECT_EQ(sentBy([&] { engine->setHash(128); }),
            (std::vector<std::string>{"setoption name Hash value 128", "isready"}));
  EXPECT_EQ(sentBy([&] { engine->setHash(128); }), std::vector<std::string>{});
  EXPECT_EQ(sentBy([&] { engine->setHash(0); }), std::vector<std::string>{});
  EXPECT_EQ(engine->getSettings().hashSize, 0);
  EXPECT_EQ(sentBy([&] { engine->setThreads(2); }), std::vector<std::string>{});
  EXPECT_EQ(sentBy([&] { engine->setThreads(3); }),
            (std::vector<std::string>{"setoption name Threads value 3", "isready"}));
  const int automatic = UCCIEngine::automaticThreadCount(std::thread::hardware_concurrency());
  std::vector<std::string> expected;
  if (automatic != 3) expected = {"setoption name Threads value " + std::to_string(automatic), "isready"};
  EXPECT_EQ(sentBy([&] { engine->setThreads(0); }), expected);
}

// A spin option is held only to the limits its engine declared readably.
TEST_F(EngineOptionsTest, SpinOptionsWithoutARangeAreSentAsAsked) {
  startWith({"option name Hash type spin default 16", "option name Threads type spin default 1 min 1-2 max 9",
             "option name UCI_LimitStrength type check default false", "option name UCI_Elo type spin default 1500"});
  EXPECT_FALSE(engine->hasEloOptions());  // no range to place a strength in
  engine->setHash(64);
  engine->setThreads(4);
  EXPECT_EQ(io->countWritten("setoption name Hash value 256"), 1u);  // at the start
  EXPECT_EQ(io->countWritten("setoption name Hash value 64"), 1u);
  EXPECT_EQ(io->countWritten("setoption name Threads value 4"), 1u);
  EXPECT_EQ(io->countWritten("setoption name Hash value 0") + io->countWritten("setoption name Threads value 0"), 0u);
}

TEST_F(EngineOptionsTest, AutomaticThreadCount) {
  const std::pair<unsigned, int> cases[] = {{0, 1}, {1, 1}, {3, 1}, {4, 1}, {6, 1}, {8, 2}, {12, 3}, {16, 4}, {64, 4}};
  for (const auto& [hardware, expected] : cases) {
    EXPECT_EQ(UCCIEngine::automaticThreadCount(hardware), expected) << hardware << " hardware threads";
  }
}

TEST_F(EngineOptionsTest, StatusAndVerificationTexts) {
  EXPECT_EQ(engine->getStatusText(), "引擎未运行");
  EXPECT_EQ(engine->verifyOptions(), "引擎未就绪");
  io->setStartFails(true);
  EXPECT_FALSE(engine->start("engine.exe"));
  ASSERT_EQ(engine->getState(), UCCIEngine::ERROR_STATE);
  EXPECT_EQ(engine->getStatusText(), "引擎未运行");
  EXPECT_EQ(engine->verifyOptions(), "引擎未运行");
  io->setStartFails(false);
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "uci") out.emit("uciok\n");
  });
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(io->waitForWritten("isready", WAIT));
  EXPECT_EQ(engine->getStatusText(), "初始化中...");
  EXPECT_EQ(engine->verifyOptions(), "引擎未就绪");
  engine->stop();

  engine->setThreads(2);
  engine->setMultiPV(2);
  startWith(ALL_DECLARED);
  EXPECT_EQ(engine->getStatusText(), "Threads=2 Hash=256MB Ponder=关 MultiPV=2");
  EXPECT_EQ(engine->verifyOptions(), "全部一致");
  engine->setPonder(true);
  engine->setThreads(0);
  const int automatic = UCCIEngine::automaticThreadCount(std::thread::hardware_concurrency());
  EXPECT_EQ(engine->getStatusText(),
            "Threads=" + std::to_string(automatic) + "(自动) Hash=256MB Ponder=开 MultiPV=2");
  engine->stop();
  EXPECT_EQ(engine->getSettings().appliedHash, 0);
  EXPECT_EQ(engine->getSettings().appliedThreads, 0);
  EXPECT_EQ(engine->getOptionCount(), 0);
}

TEST_F(EngineOptionsTest, DifficultyDepthFallbackShapesTheSearch) {
  startWith({});
  Board board;
  board.fromFEN(STANDARD_START_FEN);
  const std::pair<int, const char*> tiers[] = {
      {0, "go depth 4"}, {1, "go depth 8"}, {2, "go depth 12"}, {3, "go depth 16"}, {4, "go movetime 3000"}};
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line.rfind("go", 0) == 0) out.emit("bestmove h0g2\n");
  });
  for (const auto& [tier, go] : tiers) {
    engine->setDifficulty(tier);
    const size_t moves = events.moves().size();
    EXPECT_EQ(sentBy([&] { engine->requestMove(board, STANDARD_START_FEN); }).back(), go);
    ASSERT_TRUE(events.waitForMoves(moves + 1, WAIT));
    ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, static_cast<size_t>(tier) + 2));
  }
}

TEST_F(EngineOptionsTest, DifficultyWithStrengthOptions) {
  startWith({"option name Skill Level type spin default 20 min 0 max 20",
             "option name UCI_LimitStrength type check default false",
             "option name UCI_Elo type spin default 1280 min 1280 max 3133"});
  EXPECT_EQ(sentBy([&] { engine->setDifficulty(1); }),
            (std::vector<std::string>{"setoption name UCI_LimitStrength value true", "setoption name UCI_Elo value 1706"}));
  EXPECT_EQ(sentBy([&] { engine->setDifficulty(4); }),
            (std::vector<std::string>{"setoption name UCI_LimitStrength value false"}));
  EXPECT_EQ(sentBy([&] { engine->setCustomElo(4000); }),
            (std::vector<std::string>{"setoption name UCI_LimitStrength value true", "setoption name UCI_Elo value 3133"}));
  EXPECT_EQ(sentBy([&] { engine->setCustomSkill(11); }),
            (std::vector<std::string>{"setoption name UCI_LimitStrength value false", "setoption name Skill Level value 10"}));
}

}  // namespace
}  // namespace Tavrune
