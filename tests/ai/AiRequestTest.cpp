// Move requests: local books, the online book and the engine in the order the book mode
// asks, answers to old requests dropped, and pondering only on legal predicted replies.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "ai/PveRig.h"
#include "ai/RulesEngine.h"
#include "books/BookFileWriter.h"
#include "books/BookLogCapture.h"
#include "books/FakeHttpClient.h"
#include "engine/EngineMoveText.h"
#include "support/TempFolder.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

using namespace std::chrono_literals;
using namespace std::string_literals;
using support::RulesEngine;

constexpr auto WAIT = 20s;  // only reached when a test fails

size_t searchesSent(const support::ScriptedEngineIo& io) {
  const std::vector<std::string> lines = io.written();
  return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.rfind("go ", 0) == 0 && line.rfind("go ponder", 0) != 0;
  });
}

std::string fenAfter(const std::vector<std::string>& moves) {
  Board board;
  board.setupInitialPosition();
  for (const std::string& text : moves) board.movePiece(support::moveFromText(board, text));
  return board.toFEN();
}

class AiRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.ai.setEnginePath("rules-engine");
    rig.ai.setProcessManagerFactory([this] { return engine.newProcess(); });
    rig.ai.setBookRandomSource([](uint64_t) { return 0; });  // the first candidate
  }

  // An ElephantEye book in a folder with a Chinese name: (position's moves, move, weight).
  void loadBook(const std::vector<std::tuple<std::vector<std::string>, std::string, uint16_t>>& entries) {
    std::vector<support::EleeyeRecord> records;
    for (const auto& [before, move, weight] : entries) records.push_back(support::eleeyeRecord(fenAfter(before), move, weight));
    const support::TempFolder folder("开局库");
    const std::string path = folder.utf8() + "/book.dat";
    ASSERT_TRUE(support::writeFile(path, support::eleeyeBytes(records)));
    ASSERT_TRUE(rig.ai.loadOpeningBook(path, 0));
  }

  void startEngineAndWait() {
    ASSERT_TRUE(rig.ai.initialize());
    ASSERT_TRUE(rig.waitForReadyReports(1, WAIT));
  }

  std::shared_ptr<support::ScriptedEngineIo> session() { return engine.lastSession(); }

  support::BookLogCapture log;
  RulesEngine engine;
  support::PveRig rig;
};

TEST_F(AiRequestTest, LocalBookAnswersAtOnceThenTheEngineSearches) {
  loadBook({{{}, "h2e2", 10}});
  startEngineAndWait();
  rig.startGame(BLACK, false);
  EXPECT_EQ(rig.queue.size(), 1u);  // handed over during the request itself
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  EXPECT_EQ(support::moveText(rig.aiMoves[0]), "h2e2");
  EXPECT_EQ(rig.thinkingAtDelivery(), std::vector<bool>{false});
  EXPECT_EQ(searchesSent(*session()), 0u);

  ASSERT_EQ(rig.playerMoves(support::moveFromText(rig.game.getBoard(), "h9g7")), PveController::REQUEST_STARTED);
  ASSERT_TRUE(rig.waitForAiMoves(2, WAIT));
  EXPECT_EQ(searchesSent(*session()), 1u);
  EXPECT_EQ(rig.refusedAiMoves, 0u);
}

TEST_F(AiRequestTest, BookModeDecidesWhetherTheEngineIsAsked) {
  struct Case {
    int32_t mode;
    bool withBook;
    size_t searches;
  } const cases[] = {{BOOK_LOCAL_FIRST, true, 0}, {BOOK_LOCAL_FIRST, false, 1}, {BOOK_ENGINE_ONLY, true, 1}};
  for (const Case& c : cases) {
    RulesEngine own;
    support::PveRig fresh;
    fresh.ai.setProcessManagerFactory([&own] { return own.newProcess(); });
    fresh.ai.setOpeningBookMode(c.mode);
    if (c.withBook) {
      const support::TempFolder folder("开局库-book");
      const std::string path = folder.utf8() + "/book.dat";
      ASSERT_TRUE(support::writeFile(path, support::eleeyeBytes({support::eleeyeRecord(STANDARD_START_FEN, "b2e2", 1)})));
      ASSERT_TRUE(fresh.ai.loadOpeningBook(path, 0));
    }
    fresh.startGame(BLACK);
    ASSERT_TRUE(fresh.waitForAiMoves(1, WAIT)) << c.mode;
    ASSERT_TRUE(fresh.waitForReadyReports(1, WAIT)) << c.mode;  // a book move may come first
    EXPECT_EQ(searchesSent(*own.lastSession()), c.searches) << "mode " << c.mode << " book " << c.withBook;
  }
}

// The online book first, then the local book, then the engine; a fresh client per query.
TEST_F(AiRequestTest, OnlineBookThenLocalBookThenEngine) {
  struct Case {
    std::string reply;  // the service ends each reply with a NUL
    bool withBook;
    const char* expectedLog;
    const char* expectedMove;  // empty: the engine's choice
  };
  const Case cases[] = {
      {"move:h2e2\0"s, false, "AI::startThinking: Cloud book hit!", "h2e2"},
      {"nobestmove\0"s, true, "AI::startThinking: Local book hit (cloud fallback)!", "b2e2"},
      {"move:e0e2\0"s, false, "AI::startThinking: All books miss, starting engine search", ""},  // illegal
      {"", false, "AI::startThinking: All books miss, starting engine search", ""},  // no answer
  };
  for (const Case& c : cases) {
    RulesEngine own;
    support::PveRig fresh;
    std::atomic<int> clients{0};
    log.clear();
    fresh.ai.setProcessManagerFactory([&own] { return own.newProcess(); });
    fresh.ai.setOpeningBookMode(BOOK_ONLINE_FIRST);
    fresh.ai.setHttpClientFactory([&clients, reply = c.reply] {
      ++clients;
      return std::make_shared<support::FakeHttpClient>(reply);
    });
    if (c.withBook) {
      const support::TempFolder folder("开局库-book");
      const std::string path = folder.utf8() + "/book.dat";
      ASSERT_TRUE(support::writeFile(path, support::eleeyeBytes({support::eleeyeRecord(STANDARD_START_FEN, "b2e2", 1)})));
      ASSERT_TRUE(fresh.ai.loadOpeningBook(path, 0));
    }
    fresh.startGame(BLACK);
    ASSERT_TRUE(fresh.waitForAiMoves(1, WAIT)) << c.reply;
    EXPECT_TRUE(log.contains(c.expectedLog)) << c.reply;
    if (*c.expectedMove) {
      EXPECT_EQ(support::moveText(fresh.aiMoves[0]), c.expectedMove);
    }

    const std::vector<Move> replies = fresh.game.getBoard().getLegalMoves(BLACK);
    fresh.playerMoves(replies.front());
    ASSERT_TRUE(fresh.waitForAiMoves(2, WAIT)) << c.reply;
    EXPECT_EQ(clients.load(), 2) << c.reply;
    EXPECT_EQ(fresh.refusedAiMoves, 0u) << c.reply;
  }
}

// The engine is still starting when the online book misses: the search waits for it and
// the engine is then busy, not reported ready.
TEST_F(AiRequestTest, OnlineFallbackSearchWaitsForAStartingEngine) {
  rig.ai.setOpeningBookMode(BOOK_ONLINE_FIRST);
  rig.ai.setHttpClientFactory([] { return std::make_shared<support::FakeHttpClient>("nobestmove\0"s); });
  engine.setHoldReady(true);
  rig.startGame(BLACK);
  ASSERT_TRUE(rig.queue.runUntil([&] { return log.contains("Engine not ready for fallback search"); }, WAIT));
  EXPECT_TRUE(rig.ai.isThinking());
  engine.releaseReady();
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  EXPECT_EQ(searchesSent(*session()), 1u);
  EXPECT_TRUE(rig.readyReports.empty() || !rig.readyReports.front());
}

// The engine finishes its handshake while its round of start attempts is still inside the
// start: a request that met the starting engine runs on the ready report, whether the turn
// flow owed it or the online book's fallback search did.
TEST_F(AiRequestTest, RequestMetByAStartingEngineRunsOnceTheEngineIsIdle) {
  for (const bool online : {false, true}) {
    RulesEngine own;
    support::PveRig fresh;
    auto client = std::make_shared<support::FakeHttpClient>(std::string(), true);
    fresh.ai.setProcessManagerFactory([&own] { return own.newProcess(); });
    fresh.ai.setOpeningBookMode(online ? BOOK_ONLINE_FIRST : BOOK_ENGINE_ONLY);
    fresh.ai.setHttpClientFactory([client] { return client; });
    own.setHoldStart(true);
    fresh.startGame(BLACK);
    const bool ready = fresh.waitForReadyReports(1, WAIT);
    if (online) client->release("nobestmove\0"s);  // the fallback search meets the unfinished round
    const bool answered = ready && fresh.waitForAiMoves(1, WAIT);
    own.setHoldStart(false);  // before any assertion: the AI's destructor waits for its start
    EXPECT_TRUE(ready && answered) << online;
  }
}

TEST_F(AiRequestTest, AnswersToStoppedOrSupersededRequestsAreDropped) {
  std::vector<std::shared_ptr<support::FakeHttpClient>> clients;
  rig.ai.setOpeningBookMode(BOOK_ONLINE_FIRST);
  rig.ai.setHttpClientFactory([&clients] {
    clients.push_back(std::make_shared<support::FakeHttpClient>(std::string(), true));
    return clients.back();
  });
  rig.startGame(BLACK, false);
  rig.ai.stopThinking();
  clients[0]->release("move:h2e2\0"s);

  Board board = rig.game.getBoard();
  ASSERT_TRUE(rig.ai.startThinking(board, RED));
  ASSERT_TRUE(rig.ai.startThinking(board, RED));  // supersedes the one before
  ASSERT_EQ(clients.size(), 3u);
  clients[1]->release("move:h2e2\0"s);
  clients[2]->release("move:b2e2\0"s);
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  rig.queue.runUntil([] { return false; }, 300ms);
  ASSERT_EQ(rig.aiMoves.size(), 1u);
  EXPECT_EQ(support::moveText(rig.aiMoves[0]), "b2e2");
  EXPECT_EQ(rig.refusedAiMoves, 0u);
}

// A book move predicts the reply; the AI ponders on it and a hit goes on with ponderhit.
// After the engine's own answer it ponders on the engine's prediction, not the book's.
TEST_F(AiRequestTest, BookMovePredictsTheReplyToPonderOn) {
  loadBook({{{}, "h2e2", 10}, {{"h2e2"}, "h9g7", 3}, {{"h2e2"}, "b9c7", 9}});
  rig.ai.setPonderEnabled(true);
  startEngineAndWait();
  rig.startGame(BLACK, false);
  ASSERT_TRUE(rig.waitForAiMoves(1, WAIT));
  EXPECT_TRUE(log.contains("AI::startThinking: Book ponder move = b9c7"));
  ASSERT_TRUE(session()->waitForWritten("position fen " + fenAfter({"h2e2", "b9c7"}), WAIT));
  const Board& board = rig.game.getBoard();
  EXPECT_TRUE(rig.ai.isPonderHit(support::moveFromText(board, "b9c7")));
  EXPECT_FALSE(rig.ai.isPonderHit(support::moveFromText(board, "h9g7")));

  ASSERT_EQ(rig.playerMoves(support::moveFromText(board, "b9c7")), PveController::PONDER_HIT);
  ASSERT_TRUE(rig.waitForAiMoves(2, WAIT));
  EXPECT_EQ(session()->countWritten("ponderhit"), 1u);
  EXPECT_EQ(searchesSent(*session()), 0u);

  // The rules engine expects the first legal reply.
  Board after = rig.game.getBoard();
  after.movePiece(after.getLegalMoves(BLACK).front());
  ASSERT_TRUE(session()->waitForWritten("position fen " + after.toFEN(), WAIT));
}

TEST_F(AiRequestTest, PonderingNeverSendsAnIllegalPredictedReply) {
  const char* const illegal[] = {"a0a0", "e0e1", "a9a5"};  // same point, Red's king, blocked rook
  for (const char* text : illegal) {
    RulesEngine own;
    support::PveRig fresh;
    own.setPonderText(text);
    fresh.ai.setProcessManagerFactory([&own] { return own.newProcess(); });
    fresh.ai.setPonderEnabled(true);
    fresh.startGame(BLACK);
    ASSERT_TRUE(fresh.waitForAiMoves(1, WAIT)) << text;
    const std::vector<std::string> lines = own.lastSession()->written();
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(),
                             [](const std::string& line) { return line.rfind("go ponder", 0) == 0; }))
        << text;
    EXPECT_FALSE(fresh.ai.isPondering()) << text;
  }
  EXPECT_TRUE(log.contains("AI: Predicted reply is not legal here, not pondering: a9a5"));
}

}  // namespace
}  // namespace Tavrune
