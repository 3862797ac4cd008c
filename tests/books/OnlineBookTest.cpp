// The online book end to end: CloudBook over WinHttpClient against a loopback server that
// answers per query, fails, stays silent, or stops in the middle of a reply.
#include <gtest/gtest.h>

#include <atomic>

#include "books/BookFileWriter.h"
#include "books/BookLogCapture.h"
#include "books/CloudReplyCases.h"
#include "books/CloudResults.h"
#include "books/LoopbackHttpServer.h"
#include "engine/CloudBook.h"
#include "platform/WinHttpClient.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* AFTER_H2E2 =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1";
constexpr long long DEADLINE_MARGIN_MS = 1500;

long long msSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class OnlineBookTest : public ::testing::Test {
 protected:
  // Like the AI: a fresh client before every query.
  void query(CloudBook& book, const std::string& fen, CloudResults& results) {
    book.setHttpClient(std::make_shared<WinHttpClient>());
    book.query(boardFromFen(fen), results.callback());
  }

  LoopbackHttpServer server;
};

TEST_F(OnlineBookTest, EveryReplyFormThroughTheRealClient) {
  const std::vector<CloudReplyCase> cases = cloudReplyCases();
  for (size_t i = 0; i < cases.size(); ++i) {
    const CloudReplyCase& c = cases[i];
    SCOPED_TRACE(c.body);
    const std::string route = "/form" + std::to_string(i);
    server.route(route, LoopbackHttpServer::reply(c.body, c.body.rfind("<html>", 0) == 0 ? 404 : 200));
    CloudResults results;
    BookLogCapture log;
    {
      CloudBook book(server.baseUrl() + route);
      query(book, STANDARD_START_FEN, results);
      ASSERT_TRUE(results.waitFor(1));
    }
    const CloudResult result = results.all().front();
    EXPECT_EQ(results.all().size(), 1u);
    EXPECT_EQ(result.hit, c.hit);
    EXPECT_EQ(result.move.from, c.from);
    EXPECT_EQ(result.move.to, c.to);
    EXPECT_EQ(result.move.piece, c.piece);
    EXPECT_TRUE(log.contains(c.logLine)) << log.all();
  }
  const std::vector<std::string> heads = server.requestHeads();
  ASSERT_FALSE(heads.empty());
  EXPECT_EQ(heads[0].rfind("GET /form0/chessdb.php?action=querybest&board=rnbakabnr/9/1c5c1/"
                           "p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR%20w%20-%20-%200%201 HTTP/1.1",
                           0),
            0u)
      << heads[0];
}

TEST_F(OnlineBookTest, UnreachableOrSilentServiceIsAMissWithinTheQueryTimeOut) {
  server.route("/silent", LoopbackHttpServer::stall());
  server.route("/trickle", LoopbackHttpServer::trickle("move:h2e2" + std::string(300, ' '), 50ms));
  const std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::closedPort());
  for (const std::string& service :
       {closed, server.baseUrl() + "/silent", server.baseUrl() + "/trickle"}) {
    SCOPED_TRACE(service);
    CloudResults results;
    BookLogCapture log;
    const auto start = Clock::now();
    {
      CloudBook book(service);
      query(book, STANDARD_START_FEN, results);
      ASSERT_TRUE(results.waitFor(1));
    }
    EXPECT_LT(msSince(start), CloudBook::QUERY_TIMEOUT_MS + DEADLINE_MARGIN_MS);
    EXPECT_FALSE(results.all().front().hit);
    EXPECT_TRUE(log.contains("CloudBook: Empty response (timeout or network error)")) << log.all();
  }
}

TEST_F(OnlineBookTest, CancelDuringTheReadDeliversNothingAndReleasesAtOnce) {
  std::atomic<bool> partSent{false};
  server.route("/partial",
               LoopbackHttpServer::partialThenStall("move:h2", 10, [&] { partSent = true; }));
  CloudResults results;
  BookLogCapture log;
  auto book = std::make_unique<CloudBook>(server.baseUrl() + "/partial");
  query(*book, STANDARD_START_FEN, results);
  const auto waitStart = Clock::now();
  while (!partSent && Clock::now() - waitStart < 10s) std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(partSent.load());

  const auto start = Clock::now();
  book->cancel();
  book.reset();  // releasing the client waits for its worker, which the cancel ended
  EXPECT_LT(msSince(start), DEADLINE_MARGIN_MS);
  EXPECT_FALSE(results.waitFor(1, 300ms));
  EXPECT_TRUE(log.contains("CloudBook: Query cancelled")) << log.all();
}

TEST_F(OnlineBookTest, SupersededQueryIsDroppedAndTheNewOneAnswers) {
  // Per-query answers: silence for Red to move, a knight move for Black.
  server.route("/book", [](LoopbackHttpServer::Exchange& exchange) {
    if (exchange.target().find("%20w%20") != std::string::npos) {
      exchange.waitForStop(30s);
    } else {
      exchange.send(LoopbackHttpServer::response(std::string("move:h9g7\0", 10)));
    }
  });
  CloudResults results;
  CloudBook book(server.baseUrl() + "/book");
  query(book, STANDARD_START_FEN, results);
  ASSERT_TRUE(server.waitForRequests(1, 10s));
  const auto start = Clock::now();
  query(book, AFTER_H2E2, results);  // replacing the client abandons the silent query
  EXPECT_LT(msSince(start), DEADLINE_MARGIN_MS);
  ASSERT_TRUE(results.waitFor(1));
  EXPECT_FALSE(results.waitFor(2, 300ms));
  const CloudResult result = results.all().front();
  EXPECT_TRUE(result.hit);
  EXPECT_EQ(result.move.from, Position(7, 0));
  EXPECT_EQ(result.move.to, Position(6, 2));
  EXPECT_EQ(result.move.piece, BLACK_KNIGHT);
}

}  // namespace
}  // namespace Tavrune::Test
