// The engine driver against a real engine, Fairy-Stockfish, in both dialects: UCI with
// 0-based ranks (as Pikafish writes them) and the UCCI fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "EngineEvents.h"
#include "EngineLaunch.h"
#include "RecordingProcess.h"
#include "engine/EngineMoveText.h"
#include "engine/UCCIEngine.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;
using ::Tavrune::Test::EngineEvents;
using ::Tavrune::Test::RelayMode;

constexpr auto WAIT = 30s;  // only reached when a test fails
constexpr int MAX_PLIES = 150;

class RealEngineTest : public ::testing::TestWithParam<RelayMode> {
 protected:
  void SetUp() override {
    std::string missing;
    std::optional<::Tavrune::Test::EngineLaunch> launch = ::Tavrune::Test::realEngine(GetParam(), missing);
    if (!launch) TAVRUNE_SKIP_OR_FAIL_IN_CI(missing);
    commandLine = launch->commandLine;
    engine = std::make_unique<UCCIEngine>();
    engine->setProcessManager(std::make_unique<::Tavrune::Test::RecordingProcess>(std::move(launch->process), record));
    EngineTimeouts timeouts;
    timeouts.handshake = 20s;  // a cold Wine starts programs slowly
    engine->setTimeouts(timeouts);
    engine->setHash(16);
    engine->setThreads(1);
    engine->setPonder(true);
    events.attach(*engine);
  }
  void TearDown() override { engine.reset(); }

  void startEngine() {
    ASSERT_TRUE(engine->start(commandLine));
    ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT)) << "handshake";
  }

  // Asks for a move on `board` and checks it with the rules before returning it.
  Move searchAndCheck(const Board& board) {
    const size_t before = events.moves().size();
    engine->requestMove(board, board.toFEN());
    EXPECT_TRUE(events.waitForMoves(before + 1, WAIT)) << board.toFEN();
    if (events.moves().size() <= before) return Move{};
    Move move = events.moves().back();
    EXPECT_TRUE(board.isValidMove(move)) << EngineMoveText::format(move) << " in " << board.toFEN();
    EXPECT_EQ(move.piece, board.getPiece(move.from));
    EXPECT_EQ(move.captured, board.getPiece(move.to));
    // The driver is idle before it hands over the move, so the next request may follow.
    EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
    return move;
  }

  std::string commandLine;
  std::shared_ptr<::Tavrune::Test::ProcessRecord> record = std::make_shared<::Tavrune::Test::ProcessRecord>();
  EngineEvents events;
  std::unique_ptr<UCCIEngine> engine;
};

Board startBoard() {
  Board board;
  board.fromFEN(STANDARD_START_FEN);
  return board;
}

TEST_P(RealEngineTest, HandshakeAndDeclaredOptionsOnly) {
  startEngine();
  EXPECT_EQ(engine->getEngineName().rfind("Fairy-Stockfish", 0), 0u) << engine->getEngineName();
  std::vector<std::string> sent = record->lines();
  if (GetParam() == RelayMode::UcciFallback) {
    EXPECT_EQ(engine->getProtocol(), EngineProtocol::UCCI);
    EXPECT_EQ(engine->getOptionCount(), 0);
    EXPECT_EQ(sent, (std::vector<std::string>{"uci", "ucci"}));
    return;
  }
  EXPECT_EQ(engine->getProtocol(), EngineProtocol::UCI);
  EXPECT_TRUE(engine->hasEloOptions());
  EXPECT_TRUE(engine->hasOption("Skill Level"));
  EXPECT_FALSE(engine->hasOption("Repetition Rule"));
  int options = 0;
  for (const std::string& line : sent) {
    if (line.rfind("setoption name ", 0) != 0) continue;
    ++options;
    const std::string name = line.substr(15, line.find(" value ") - 15);
    EXPECT_TRUE(engine->hasOption(name)) << line;
  }
  EXPECT_GE(options, 5);  // Threads, Hash, Ponder, Move Overhead, nodestime, strength
  EXPECT_EQ(sent.back(), "isready");
  EXPECT_NE(std::find(sent.begin(), sent.end(), "setoption name UCI_LimitStrength value true"), sent.end());
  EXPECT_EQ(engine->verifyOptions().find("Hash"), std::string::npos);  // applied as set
}

TEST_P(RealEngineTest, SearchByDepthAndByTime) {
  startEngine();
  engine->setDepth(3);
  searchAndCheck(startBoard());
  EXPECT_FALSE(engine->getPonderMove().empty());

  // Black to move from the standard placement: the FEN must reach the engine whole.
  Board black;
  black.fromFEN("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1");
  Move reply = searchAndCheck(black);
  EXPECT_EQ(getPieceColor(reply.piece), BLACK);

  engine->setDepth(0);
  engine->setDifficulty(TIER_EXPERT);
  engine->setMovetime(150);
  const auto begin = std::chrono::steady_clock::now();
  searchAndCheck(startBoard());
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 10s);
}

TEST_P(RealEngineTest, PonderHitAndMiss) {
  startEngine();
  engine->setDepth(4);
  Board board = startBoard();
  const Move first = searchAndCheck(board);
  const std::optional<Move> predicted = EngineMoveText::parse(engine->getPonderMove());
  ASSERT_TRUE(predicted.has_value()) << "no ponder move";
  board.movePiece(first);
  Move reply = *predicted;
  ASSERT_TRUE(board.isValidMove(reply));
  board.movePiece(reply);

  // Hit: the ponder search becomes the real one and its move counts.
  const size_t moves = events.moves().size();
  engine->startPonder(board.toFEN(), board);
  ASSERT_EQ(engine->getState(), UCCIEngine::PONDERING);
  std::this_thread::sleep_for(50ms);
  engine->ponderHit();
  ASSERT_TRUE(events.waitForMoves(moves + 1, WAIT));
  const Move afterHit = events.moves().back();
  EXPECT_TRUE(board.isValidMove(afterHit)) << EngineMoveText::format(afterHit);
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);

  // Miss: the ponder search is stopped and its answer thrown away.
  const size_t idle = events.stateCount(UCCIEngine::IDLE);
  engine->startPonder(board.toFEN(), board);
  ASSERT_EQ(engine->getState(), UCCIEngine::PONDERING);
  engine->stopPonder();
  ASSERT_TRUE(events.waitForState(UCCIEngine::IDLE, WAIT, idle + 1));
  EXPECT_EQ(events.moves().size(), moves + 1);
}

TEST_P(RealEngineTest, NewGameAndCleanStop) {
  startEngine();
  engine->newGame();
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);

  // A long search is stopped first; its move never arrives.
  engine->setMovetime(20000);
  engine->setDifficulty(TIER_EXPERT);
  engine->requestMove(startBoard(), STANDARD_START_FEN);
  std::this_thread::sleep_for(100ms);
  const auto begin = std::chrono::steady_clock::now();
  engine->newGame();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 5s);
  EXPECT_EQ(engine->getState(), UCCIEngine::IDLE);
  EXPECT_TRUE(events.moves().empty());

  const auto stopBegin = std::chrono::steady_clock::now();
  engine->stop();
  EXPECT_LT(std::chrono::steady_clock::now() - stopBegin, EngineTimeouts{}.quit) << "the engine did not obey quit";
  EXPECT_EQ(engine->getState(), UCCIEngine::NOT_STARTED);
}

// The engine plays itself at a low depth; every move it delivers must be legal. At full
// strength: a limited strength picks moves at random, and a quick mate would cut the game short.
TEST_P(RealEngineTest, SelfPlayDeliversOnlyLegalMoves) {
  startEngine();
  engine->setDifficulty(TIER_EXPERT);
  engine->setDepth(2);
  Board board = startBoard();
  int plies = 0;
  while (plies < MAX_PLIES && board.getGameState() == PLAYING &&
         !board.getLegalMoves(board.getCurrentPlayer()).empty()) {
    const Move move = searchAndCheck(board);
    if (HasFailure()) return;
    board.movePiece(move);
    ++plies;
  }
  RecordProperty("plies", plies);
  EXPECT_GE(plies, 20) << board.toFEN();
  // At the end the engine has no move, or the ply limit was reached.
  if (plies < MAX_PLIES) {
    EXPECT_NE(board.getGameState(), PLAYING);
  }
}

INSTANTIATE_TEST_SUITE_P(BothDialects, RealEngineTest,
                         ::testing::Values(RelayMode::UciXiangqi, RelayMode::UcciFallback),
                         [](const ::testing::TestParamInfo<RelayMode>& info) {
                           return info.param == RelayMode::UciXiangqi ? std::string("Uci") : std::string("Ucci");
                         });

}  // namespace
}  // namespace Tavrune
