// The engine driver over a real child process: the scripted fake engine does what a
// real engine will not do on demand (crash, fall silent, flood, print garbage).
#include <gtest/gtest.h>

#include <atomic>

#include "EngineEvents.h"
#include "EngineLaunch.h"
#include "engine/UCCIEngine.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;
using ::Tavrune::Test::EngineEvents;

constexpr auto WAIT = 20s;  // only reached when a test fails; Wine starts slowly when cold

const std::string HANDSHAKE =
    "on uci: send id name Fake\n"
    "on uci: send uciok\n"
    "on isready: send readyok\n";

EngineTimeouts processTimeouts() {
  EngineTimeouts t;
  t.handshake = 10s;  // a cold Wine may take seconds to start a program
  t.ready = 2s;
  t.searchStop = 2s;
  t.quit = 1s;
  t.readThreadExit = 2s;
  return t;
}

class FakeEngineTest : public ::testing::Test {
 protected:
  void startFake(const std::string& script, bool waitIdle = true) {
    ::Tavrune::Test::EngineLaunch launch = ::Tavrune::Test::fakeEngine(script);
    const size_t idle = events.stateCount(UCCIEngine::IDLE);
    engine = std::make_unique<UCCIEngine>();
    engine->setProcessManager(std::move(launch.process));
    engine->setTimeouts(timeouts);
    events.attach(*engine);
    ASSERT_TRUE(engine->start(launch.commandLine));
    if (waitIdle) {
      ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, idle + 1));
    }
  }
  void TearDown() override { engine.reset(); }

  void search() {
    Board board;
    board.fromFEN(STANDARD_START_FEN);
    engine->requestMove(board, STANDARD_START_FEN);
  }

  EngineTimeouts timeouts = processTimeouts();
  EngineEvents events;
  std::unique_ptr<UCCIEngine> engine;
};

TEST_F(FakeEngineTest, HandshakeInPiecesWithCrLf) {
  startFake(
      "on uci: raw id name Split\n"
      "on uci: sleep 30\n"
      "on uci: raw  Engine\\r\\nid author Tester\\r\\nuc\n"
      "on uci: sleep 30\n"
      "on uci: raw iok\\r\\n\n"
      "on isready: sendcrlf readyok\n"
      "on go: sendcrlf bestmove h0g2 ponder h9g7\n");
  EXPECT_EQ(engine->getEngineName(), "Split Engine");
  EXPECT_EQ(engine->getEngineAuthor(), "Tester");
  search();
  ASSERT_TRUE(events.waitForMoves(1, WAIT));
  EXPECT_EQ(engine->getPonderMove(), "h9g7");
  const auto begin = std::chrono::steady_clock::now();
  engine->stop();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, timeouts.quit);  // it obeyed "quit"
}

TEST_F(FakeEngineTest, EngineThatCrashesMidSearch) {
  startFake(HANDSHAKE + "on go: send info depth 1\non go: exit 3\n");
  search();
  ASSERT_TRUE(events.waitForState(UCCIEngine::ERROR_STATE, WAIT));
  EXPECT_TRUE(events.moves().empty());
  engine->stop();
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
}

TEST_F(FakeEngineTest, EngineThatNeverAnswers) {
  timeouts.handshake = 1500ms;
  startFake("on quit: hang\n", false);
  ASSERT_TRUE(events.waitForState(UCCIEngine::ERROR_STATE, WAIT));
  // It ignores "quit" too: stop terminates it after the quit time-out.
  const auto begin = std::chrono::steady_clock::now();
  engine->stop();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, timeouts.quit + timeouts.readThreadExit + 2s);
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
}

TEST_F(FakeEngineTest, SearchThatNeverEndsIsStoppedBounded) {
  startFake(HANDSHAKE + "on quit: hang\n");
  search();
  const auto begin = std::chrono::steady_clock::now();
  engine->stop();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, timeouts.quit + timeouts.readThreadExit + 2s);
  EXPECT_TRUE(events.moves().empty());
}

TEST_F(FakeEngineTest, FloodAndHugeLines) {
  std::atomic<int> infos{0};
  startFake(HANDSHAKE +
            "on go: flood 30000 info depth 9 score cp 17 nodes 1000 pv h0g2 h9g7\n"
            "on go: longline 1500000\n"
            "on go: send bestmove h0g2\n");
  engine->setInfoLineCallback([&](const std::string&) { ++infos; });
  search();
  ASSERT_TRUE(events.waitForMoves(1, WAIT));
  EXPECT_EQ(infos.load(), 30000);
  EXPECT_EQ(events.moves()[0].from, (Position{7, 9}));
}

TEST_F(FakeEngineTest, GarbageAndStandardErrorText) {
  std::atomic<int> fromStderr{0};
  startFake(HANDSHAKE +
            "on go: raw \\x00\\xff\\xfe garbage\\0 \\x01\\n\\n\\r\\n\n"
            "on go: stderr info string from standard error\n"
            "on go: sleep 50\n"
            "on go: send bestmove (none)\n"
            "on stop: send bestmove h0g2\n");
  engine->setInfoLineCallback([&](const std::string& line) {
    if (line == "info string from standard error") ++fromStderr;
  });
  search();
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, 2));
  EXPECT_TRUE(events.moves().empty());  // "(none)" is no move
  EXPECT_EQ(fromStderr.load(), 1);
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
}

TEST_F(FakeEngineTest, ErrorLineAndSlowReadyok) {
  startFake(HANDSHAKE + "on go: send error: evaluation file missing\n");
  search();
  ASSERT_TRUE(events.waitForState(UCCIEngine::ERROR_STATE, WAIT));
  engine->stop();

  // "readyok" later than the caller will wait: the engine is given up.
  startFake(
      "on uci: send uciok\n"
      "on isready: sleep 600\n"
      "on isready: send readyok\n");
  EXPECT_TRUE(engine->waitForReady(3000));
  EXPECT_FALSE(engine->waitForReady(100));
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
}

TEST_F(FakeEngineTest, StoppedSearchAnswerIsDiscarded) {
  startFake(HANDSHAKE + "on stop: send bestmove h0g2\non ucinewgame: ignore\n");
  search();
  engine->stopSearch();
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, 2));
  EXPECT_TRUE(events.moves().empty());
  search();
  engine->newGame();  // stops the search, then "ucinewgame" and "isready"
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
  EXPECT_TRUE(events.moves().empty());
}

}  // namespace
}  // namespace Tavrune
