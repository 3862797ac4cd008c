// The engine driver against an in-process scripted engine: every line it writes is
// seen, and the engine's output arrives in whatever chunks the test chooses.
#include <gtest/gtest.h>

#include <atomic>
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
using State = UCCIEngine::EngineState;

constexpr auto WAIT = 5s;  // only reached when a test fails
const std::string START_FEN = STANDARD_START_FEN;
const std::string BLACK_TO_MOVE_FEN = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1";

EngineTimeouts fastTimeouts() {
  EngineTimeouts t;
  t.handshake = 300ms;
  t.ready = 300ms;
  t.searchStop = 300ms;
  t.quit = 200ms;
  t.readThreadExit = 200ms;
  return t;
}

Board startBoard() {
  Board board;
  board.fromFEN(START_FEN);
  return board;
}

// Polls until the condition holds, at most WAIT.
template <typename Condition>
void waitUntil(Condition condition) {
  const auto end = std::chrono::steady_clock::now() + WAIT;
  while (!condition() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
}

class EngineProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = std::make_unique<UCCIEngine>();
    engine->setProcessManager(std::make_unique<ScriptedProcess>(io));
    engine->setTimeouts(fastTimeouts());
    events.attach(*engine);
  }
  void TearDown() override { engine.reset(); }

  // A UCI engine with these declarations, started and idle; returns the index of the
  // first line written after the handshake.
  size_t startUci(std::vector<std::string> declaration = {}) {
    io->setResponder(::Tavrune::Test::uciEngine(std::move(declaration)));
    EXPECT_TRUE(engine->start("engine.exe"));
    EXPECT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT));
    return io->writtenCount();
  }

  std::vector<std::string> writtenFrom(size_t index) const {
    std::vector<std::string> all = io->written();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(index, all.size())), all.end());
  }

  // Delivers a "bestmove" line for the running search and waits until it is handled.
  void answer(const std::string& line) {
    const size_t idle = events.stateCount(UCCIEngine::IDLE);
    io->emit(line + "\n");
    ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, idle + 1)) << line;
  }

  std::shared_ptr<ScriptedEngineIo> io = std::make_shared<ScriptedEngineIo>();
  EngineEvents events;  // outlives the engine, whose callbacks it receives
  std::unique_ptr<UCCIEngine> engine;
};

TEST_F(EngineProtocolTest, HandshakeSplitAcrossReadsWithCrLf) {
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "uci") {
      out.emit("id name Fake En");
      out.emit("gine 1\r\nid author Some");
      out.emit("one\r\noption name Hash type spin default 16 min 1 max 512\r\nuc");
      out.emit("iok\r\n");
    }
  });
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(io->waitForWritten("isready", WAIT));
  EXPECT_EQ(engine->getState(), UCCIEngine::INITIALIZING);  // idle only on "readyok"
  EXPECT_EQ(engine->getEngineName(), "Fake Engine 1");
  EXPECT_EQ(engine->getEngineAuthor(), "Someone");
  EXPECT_EQ(engine->getProtocol(), EngineProtocol::UCI);
  ASSERT_EQ(engine->getOptionCount(), 1);
  EngineOption hash = *engine->getOption("Hash");
  EXPECT_EQ(hash.type, OPTION_SPIN);
  EXPECT_EQ(hash.defaultValue, "16");
  EXPECT_EQ(hash.min, 1);
  EXPECT_EQ(hash.max, 512);
  // Only the declared option is sent; the depth strategy sends nothing.
  EXPECT_EQ(io->written(), (std::vector<std::string>{"uci", "setoption name Hash value 256", "isready"}));

  io->emit("readyok\r\n");
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT));
  EXPECT_EQ(events.states(), (std::vector<State>{UCCIEngine::INITIALIZING, UCCIEngine::IDLE}));
  EXPECT_EQ(io->commandLine(), "engine.exe");
}

TEST_F(EngineProtocolTest, InitialOptionsFollowTheDeclarations) {
  engine->setThreads(2);
  engine->setMultiPV(3);
  engine->setPonder(true);
  engine->setEvalFile("nets/pikafish.nnue");
  const size_t after = startUci({
      "id name Fairy",
      "option name EvalFile type string default <empty>",
      "option name Threads type spin default 1 min 1 max 512",
      "option name Hash type spin default 16 min 1 max 131072",
      "option name Ponder type check default false",
      "option name MultiPV type spin default 1 min 1 max 500",
      "option name Skill Level type spin default 20 min -20 max 20",
      "option name Move Overhead type spin default 30 min 0 max 5000",
      "option name nodestime type spin default 0 min 0 max 10000",
      "option name UCI_LimitStrength type check default false",
      "option name UCI_Elo type spin default 1350 min 1350 max 2850",
      "option name UCI_Variant type combo default chess var chess var xiangqi",
  });
  EXPECT_EQ(writtenFrom(0), (std::vector<std::string>{
                                "uci",
                                "setoption name EvalFile value nets/pikafish.nnue",
                                "setoption name Threads value 2",
                                "setoption name Hash value 256",
                                "setoption name Ponder value true",
                                "setoption name Move Overhead value 30",
                                "setoption name nodestime value 0",
                                "setoption name UCI_LimitStrength value true",
                                "setoption name UCI_Elo value 2010",
                                "setoption name MultiPV value 3",
                                "isready",
                            }));
  EXPECT_EQ(after, 11u);
  EXPECT_TRUE(engine->hasEloOptions());
  EXPECT_EQ(engine->getEloMin(), 1350);
  EXPECT_EQ(engine->getEloMax(), 2850);
}

TEST_F(EngineProtocolTest, ReadyokBeforeUciokIsIgnored) {
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "uci") out.emit("readyok\nid name Probe\n");
    if (line == "isready") out.emit("readyok\n");
  });
  ASSERT_TRUE(engine->start("engine.exe"));
  waitUntil([&] { return engine->getEngineName() == "Probe"; });
  ASSERT_EQ(engine->getEngineName(), "Probe");
  EXPECT_EQ(engine->getState(), UCCIEngine::INITIALIZING);
  io->emit("uciok\n");
  EXPECT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT));
}

TEST_F(EngineProtocolTest, UcciFallbackSendsNoInitialOptions) {
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "uci") out.emit("Unknown command: uci\n");
    if (line == "ucci") out.emit("id name Eleeye\noption Hash type spin default 16\nucciok\n");
    if (line == "isready") out.emit("readyok\n");
  });
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT));
  EXPECT_EQ(engine->getProtocol(), EngineProtocol::UCCI);
  EXPECT_EQ(engine->getOptionCount(), 0);
  EXPECT_EQ(io->written(), (std::vector<std::string>{"uci", "ucci"}));

  const size_t before = io->writtenCount();
  engine->setDifficulty(3);
  engine->setCustomSkill(15);
  engine->setHash(64);  // undeclared: stored only
  EXPECT_EQ(writtenFrom(before), (std::vector<std::string>{"setlevel 7", "setlevel 10"}));
}

TEST_F(EngineProtocolTest, EveryBestmoveForm) {
  startUci();
  const Board board = startBoard();
  struct Case {
    const char* line;
    bool delivered;
    Move move;
    const char* ponder;
  };
  const Case cases[] = {
      {"bestmove h9g7 ponder h0g2", true, Move{{7, 0}, {6, 2}, BLACK_KNIGHT, EMPTY}, "h0g2"},
      {"bestmove b2b9", true, Move{{1, 7}, {1, 0}, RED_CANNON, BLACK_KNIGHT}, ""},
      {"bestmove  h0g2   ponder  h9g7 ", true, Move{{7, 9}, {6, 7}, RED_KNIGHT, EMPTY}, "h9g7"},
      {"bestmove h0g2 ponder (none)", true, Move{{7, 9}, {6, 7}, RED_KNIGHT, EMPTY}, ""},
      {"bestmove h0g2 ponder", true, Move{{7, 9}, {6, 7}, RED_KNIGHT, EMPTY}, ""},
      {"bestmove (none)", false, {}, ""},
      {"bestmove none", false, {}, ""},
      {"bestmove 0000", false, {}, ""},
      {"bestmove", false, {}, ""},
      {"bestmove j0a0", false, {}, ""},
      {"bestmove a0a:", false, {}, ""},
      {"bestmove h0g", false, {}, ""},
      {"bestmove h0g2q", false, {}, ""},
      {"bestmove a10a9", false, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const size_t moves = events.moves().size();
    engine->requestMove(board, START_FEN);
    ASSERT_EQ(engine->getState(), UCCIEngine::THINKING);
    answer(c.line);
    EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
    ASSERT_EQ(events.moves().size(), moves + (c.delivered ? 1 : 0));
    if (c.delivered) {
      EXPECT_EQ(events.moves().back(), c.move);
    }
    EXPECT_EQ(engine->getPonderMove(), c.ponder);
  }
}

TEST_F(EngineProtocolTest, AnswersOutsideASearchAreNeverMoves) {
  startUci();
  io->emit("bestmove h0g2\n");
  io->emit("id name Marker\n");
  waitUntil([&] { return engine->getEngineName() == "Marker"; });
  EXPECT_TRUE(events.moves().empty());
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
  EXPECT_EQ(events.stateCount(UCCIEngine::IDLE), 1u);
}

TEST_F(EngineProtocolTest, StoppedSearchesAreDiscarded) {
  engine->setPonder(true);
  startUci();
  const Board board = startBoard();

  // A stopped search: its answer is for a position nobody wants a move for any more.
  engine->requestMove(board, START_FEN);
  size_t before = io->writtenCount();
  engine->stopSearch();
  engine->requestMove(board, START_FEN);  // refused until the stopped search answers
  EXPECT_EQ(writtenFrom(before), (std::vector<std::string>{"stop"}));
  answer("bestmove h0g2");
  EXPECT_TRUE(events.moves().empty());

  // A ponder miss.
  before = io->writtenCount();
  engine->startPonder(BLACK_TO_MOVE_FEN, board);
  EXPECT_EQ(engine->getState(), UCCIEngine::PONDERING);
  engine->stopPonder();
  engine->ponderHit();  // too late: the search is already stopping
  EXPECT_EQ(writtenFrom(before), (std::vector<std::string>{"position fen " + BLACK_TO_MOVE_FEN,
                                                           "go ponder depth 12", "stop"}));
  answer("bestmove h9g7");
  EXPECT_TRUE(events.moves().empty());

  // A ponder hit: the search goes on and its move counts.
  before = io->writtenCount();
  engine->startPonder(BLACK_TO_MOVE_FEN, board);
  engine->ponderHit();
  EXPECT_EQ(engine->getState(), UCCIEngine::THINKING);
  answer("bestmove h9g7");
  ASSERT_EQ(events.moves().size(), 1u);
  EXPECT_EQ(writtenFrom(before).back(), "ponderhit");
}

TEST_F(EngineProtocolTest, PonderNeedsThePonderSetting) {
  startUci();
  const size_t before = io->writtenCount();
  engine->startPonder(BLACK_TO_MOVE_FEN, startBoard());
  engine->ponderHit();
  engine->stopPonder();
  engine->stopSearch();
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
  EXPECT_EQ(io->writtenCount(), before);
}

TEST_F(EngineProtocolTest, PositionAndSearchCommands) {
  // An engine without strength options: the tiers become depth limits.
  startUci();
  struct Case {
    const char* what;
    int depth;
    int tier;
    std::string fen;
    std::vector<std::string> sent;
  };
  const std::string other = "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1";
  const Case cases[] = {
      {"time", 0, 4, START_FEN, {"position startpos", "go movetime 3000"}},
      {"depth capped by the tier", 12, 1, START_FEN, {"position startpos", "go depth 8"}},
      {"depth within the cap", 6, 1, START_FEN, {"position startpos", "go depth 6"}},
      {"tier depth", 0, 0, START_FEN, {"position startpos", "go depth 4"}},
      {"black to move", 0, 4, BLACK_TO_MOVE_FEN, {"position fen " + BLACK_TO_MOVE_FEN, "go movetime 3000"}},
      {"a halfmove clock", 0, 4, "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 4 3",
       {"position fen rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 4 3", "go movetime 3000"}},
      {"no counters", 0, 4, "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w",
       {"position startpos", "go movetime 3000"}},
      {"other placement", 0, 4, other, {"position fen " + other, "go movetime 3000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine->setDepth(c.depth);
    engine->setDifficulty(c.tier);
    const size_t before = io->writtenCount();
    engine->requestMove(startBoard(), c.fen);
    EXPECT_EQ(writtenFrom(before), c.sent);
    answer("bestmove (none)");
  }
  engine->setPonder(true);
  engine->setDifficulty(0);
  engine->setDepth(0);
  const size_t before = io->writtenCount();
  engine->startPonder(START_FEN, startBoard());  // a ponder position is always sent whole
  EXPECT_EQ(writtenFrom(before), (std::vector<std::string>{"position fen " + START_FEN, "go ponder depth 4"}));
}

TEST_F(EngineProtocolTest, RefusesTextThatCouldInjectCommands) {
  startUci({"option name Debug Log File type string default "});
  const size_t before = io->writtenCount();
  EXPECT_FALSE(engine->sendCommand("go\nquit"));
  EXPECT_FALSE(engine->sendCommand("go\rquit"));
  EXPECT_FALSE(engine->sendCommand(std::string("go\0quit", 7)));
  engine->setDebugLogFile("log.txt\nquit");
  engine->requestMove(startBoard(), START_FEN + "\nquit");
  engine->requestMove(startBoard(), "");
  EXPECT_EQ(io->writtenCount(), before);
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
  EXPECT_TRUE(engine->sendCommand("debug off"));
}

TEST_F(EngineProtocolTest, NulBytesAreDroppedAndHugeLinesCapped) {
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "uci") out.emit(std::string("id na\0me Nul\0Safe\nuciok\n", 24));
    if (line == "isready") out.emit("readyok\n");
  });
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT));
  EXPECT_EQ(engine->getEngineName(), "NulSafe");

  // A line beyond the cap is dropped whole; the lines around it still count.
  engine->requestMove(startBoard(), START_FEN);
  io->emit("info string " + std::string(ENGINE_MAX_LINE_BYTES, 'x'));
  io->emit(std::string(ENGINE_MAX_LINE_BYTES / 2, 'y') + "bestmove a9a8\nbestmove h0g2\n");
  ASSERT_TRUE(events.waitForMoves(1, WAIT));
  EXPECT_EQ(events.moves()[0].to, (Position{6, 7}));
}

TEST_F(EngineProtocolTest, InfoLinesAndFloods) {
  std::atomic<int> lines{0};
  std::atomic<int> parsed{0};
  engine->setInfoLineCallback([&](const std::string&) { ++lines; });
  engine->setInfoCallback([&](const EngineInfo& info) {
    if (info.depth == 7) ++parsed;
  });
  startUci();
  engine->requestMove(startBoard(), START_FEN);
  std::string flood;
  for (int i = 0; i < 20000; ++i) flood += "info depth 7 score cp 12 pv h0g2\n";
  io->emit(flood);
  io->emit("bestmove h0g2\n");
  ASSERT_TRUE(events.waitForMoves(1, WAIT));
  EXPECT_EQ(lines.load(), 20000);
  EXPECT_EQ(parsed.load(), 20000);
}

TEST_F(EngineProtocolTest, EngineThatExitsMidSearchIsAnError) {
  startUci();
  engine->requestMove(startBoard(), START_FEN);
  io->endOutput();
  ASSERT_TRUE(events.waitForState(UCCIEngine::ERROR_STATE, WAIT));
  EXPECT_EQ(engine->getState(), UCCIEngine::ERROR_STATE);
  engine->stop();
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
}

TEST_F(EngineProtocolTest, EngineErrorLine) {
  startUci();
  io->emit("error: something broke\n");
  ASSERT_TRUE(events.waitForState(UCCIEngine::ERROR_STATE, WAIT));
  // Only its owner restarts it; a late answer does not bring it back.
  io->emit("readyok\nbestmove h0g2\n");
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(engine->getState(), UCCIEngine::ERROR_STATE);
  EXPECT_TRUE(events.moves().empty());
  // A start in the error state replaces the old session.
  EXPECT_TRUE(engine->start("engine.exe"));
  EXPECT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, 2));
}

TEST_F(EngineProtocolTest, SilentHandshakeTimesOut) {
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(events.waitForState(UCCIEngine::ERROR_STATE, WAIT));
  EXPECT_GE(std::chrono::steady_clock::now() - begin, 290ms);
  engine->stop();
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
  EXPECT_GE(io->terminateCount(), 1);
}

TEST_F(EngineProtocolTest, WaitForReadyTimesOutAndStops) {
  startUci();
  io->setResponder(nullptr);
  const size_t states = events.states().size();
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(engine->waitForReady(200));
  const auto took = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(took, 190ms);
  EXPECT_LT(took, 3s);
  std::vector<State> all = events.states();
  EXPECT_EQ(std::vector<State>(all.begin() + static_cast<long>(states), all.end()),
            (std::vector<State>{UCCIEngine::ERROR_STATE, UCCIEngine::NOT_STARTED}));
  EXPECT_GE(io->terminateCount(), 1);
  EXPECT_FALSE(engine->waitForReady(200));  // refused: not running
}

TEST_F(EngineProtocolTest, WaitForReadyAnswered) {
  startUci();
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(engine->waitForReady(2000));
  EXPECT_EQ(io->countWritten("isready"), 21u);
}

TEST_F(EngineProtocolTest, NewGameStopsTheSearchFirst) {
  startUci();
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "stop") out.emit("bestmove h0g2\n");
    if (line == "isready") out.emit("readyok\n");
    if (line == "quit") out.endOutput();
  });
  engine->requestMove(startBoard(), START_FEN);
  const size_t before = io->writtenCount();
  engine->newGame();
  EXPECT_EQ(writtenFrom(before), (std::vector<std::string>{"stop", "ucinewgame", "isready"}));
  EXPECT_TRUE(events.moves().empty());
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);

  // A search that never ends: the engine is given up instead of waited for.
  io->setResponder(nullptr);
  engine->requestMove(startBoard(), START_FEN);
  engine->newGame();
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
}

TEST_F(EngineProtocolTest, StopSendsQuitAndIsBounded) {
  engine->stop();  // never started: nothing at all
  EXPECT_TRUE(events.states().empty());
  EXPECT_EQ(io->rawWriteCount(), 0);

  startUci();
  const size_t before = io->writtenCount();
  engine->stop();
  EXPECT_EQ(writtenFrom(before), (std::vector<std::string>{"quit"}));
  EXPECT_EQ(events.stateCount(UCCIEngine::NOT_STARTED), 1u);
  EXPECT_EQ(engine->getOptionCount(), 0);

  // An engine that ignores "quit" is terminated after the quit time-out.
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, 2));
  io->setResponder(nullptr);
  auto begin = std::chrono::steady_clock::now();
  engine->stop();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);

  // A process interface whose read ignores terminate: the thread is left behind.
  io->setResponder(::Tavrune::Test::uciEngine({}));
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, 3));
  io->setResponder(nullptr);
  io->setReadsIgnoreTerminate(true);
  begin = std::chrono::steady_clock::now();
  engine->stop();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
  engine.reset();
  // The abandoned thread holds the last references; it ends once its read returns.
  io->releaseReads();
  waitUntil([&] { return io.use_count() == 1; });
  EXPECT_EQ(io.use_count(), 1);
}

TEST_F(EngineProtocolTest, StartFailures) {
  std::vector<State> states;  // outlives the engine, whose destructor still reports
  UCCIEngine bare;
  bare.setStateCallback([&](State s) { states.push_back(s); });
  EXPECT_FALSE(bare.start("engine.exe"));
  EXPECT_EQ(bare.getState(), UCCIEngine::ERROR_STATE);
  EXPECT_EQ(states, (std::vector<State>{UCCIEngine::ERROR_STATE}));

  io->setStartFails(true);
  EXPECT_FALSE(engine->start("missing.exe"));
  EXPECT_EQ(engine->getState(), UCCIEngine::ERROR_STATE);
  io->setStartFails(false);
  startUci();
  EXPECT_FALSE(engine->start("engine.exe"));  // already running
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
  engine->setProcessManager(std::make_unique<ScriptedProcess>(std::make_shared<ScriptedEngineIo>()));
  engine->requestMove(startBoard(), START_FEN);  // still the first process
  EXPECT_EQ(io->countWritten("position startpos"), 1u);
}

// Callbacks run without any lock held, so they may drive the engine themselves, the way
// the main window starts the next request from the ready notice.
TEST_F(EngineProtocolTest, CallbacksMayCallBackIn) {
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "uci") out.emit("uciok\n");
    if (line == "isready") out.emit("readyok\n");
    if (line.rfind("go ", 0) == 0) out.emit("info depth 1\nbestmove h0g2 ponder h9g7\n");
    if (line == "quit") out.endOutput();
  });
  std::atomic<int> searches{0};
  std::atomic<bool> waitRefused{false};
  events.setStateHook([&](State state) {
    if (state != UCCIEngine::IDLE) return;
    waitRefused = !engine->waitForReady(1000);  // would wait for its own thread
    engine->setHash(32);                        // its wait is refused the same way
    (void)engine->getStatusText();
    if (searches++ < 5) engine->requestMove(startBoard(), START_FEN);
  });
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(events.waitForMoves(5, WAIT));
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, 6));
  EXPECT_TRUE(waitRefused.load());
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);

  // Stopping from a callback cannot join its own thread; the engine still stops.
  events.setStateHook(nullptr);
  events.setMoveHook([&](const Move&) { engine->stop(); });
  engine->requestMove(startBoard(), START_FEN);
  ASSERT_TRUE(events.waitForState(UCCIEngine::NOT_STARTED, WAIT));
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
  events.setMoveHook(nullptr);
  // The idle report of that answer is out of date by then and is not made.
  EXPECT_EQ(events.stateCount(UCCIEngine::IDLE), 6u);
  // And it can be started again afterwards.
  ASSERT_TRUE(engine->start("engine.exe"));
  EXPECT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, 7));
}

// Owner calls racing the read thread; meant for the ThreadSanitizer build.
TEST_F(EngineProtocolTest, OwnerAndReadThreadRace) {
  io->setResponder([](const std::string& line, ScriptedEngineIo& out) {
    if (line == "uci") out.emit("option name Hash type spin default 16 min 1 max 4096\nuciok\n");
    if (line == "isready") out.emit("readyok\n");
    if (line.rfind("go ", 0) == 0) out.emit("info depth 3 score cp 5\nbestmove h0g2\n");
    if (line == "quit") out.endOutput();
  });
  ASSERT_TRUE(engine->start("engine.exe"));
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT));
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      (void)engine->getStatusText();
      (void)engine->verifyOptions();
      (void)engine->getPonderMove();
      (void)engine->getState();
      engine->setMovetime(100);
      engine->setDifficulty(2);
    }
  });
  for (int i = 0; i < 200; ++i) {
    engine->requestMove(startBoard(), START_FEN);
    if (i % 3 == 0) engine->stopSearch();
    for (int spin = 0; spin < 2000 && engine->getState() != UCCIEngine::IDLE; ++spin) std::this_thread::sleep_for(100us);
    if (i % 50 == 0) engine->setHash(64 + i);
  }
  done = true;
  reader.join();
  engine->stop();
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
}

}  // namespace
}  // namespace Tavrune
