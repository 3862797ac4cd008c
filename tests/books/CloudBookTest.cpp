// The online book over a client that answers from memory: reply forms, the query it
// sends, and results of cancelled or superseded queries being dropped.
#include <gtest/gtest.h>

#include "books/BookFileWriter.h"
#include "books/BookLogCapture.h"
#include "books/CloudReplyCases.h"
#include "books/CloudResults.h"
#include "books/FakeHttpClient.h"
#include "engine/CloudBook.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;

constexpr const char* AFTER_H2E2 =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1";

TEST(CloudBook, EveryReplyFormBecomesAHitOrAMiss) {
  const Board opening = boardFromFen(STANDARD_START_FEN);
  for (const CloudReplyCase& c : cloudReplyCases()) {
    SCOPED_TRACE(c.body);
    CloudResults results;
    BookLogCapture log;
    {
      CloudBook book("http://127.0.0.1:9");
      book.setHttpClient(std::make_shared<FakeHttpClient>(c.body));
      book.query(opening, results.callback());
      ASSERT_TRUE(results.waitFor(1));
    }
    const CloudResult result = results.all().front();
    EXPECT_EQ(results.all().size(), 1u);
    EXPECT_NE(result.thread, std::this_thread::get_id());
    EXPECT_EQ(result.hit, c.hit);
    EXPECT_EQ(result.move.from, c.from);
    EXPECT_EQ(result.move.to, c.to);
    EXPECT_EQ(result.move.piece, c.piece);
    EXPECT_TRUE(log.contains(c.logLine)) << log.all();
    EXPECT_EQ(!log.warnings().empty(), c.warns) << log.all();
  }
}

TEST(CloudBook, OverlongReplyIsAMissEvenWhenItBeginsWithAMove) {
  CloudResults results;
  BookLogCapture log;
  {
    CloudBook book;
    book.setHttpClient(std::make_shared<FakeHttpClient>(
        "move:h2e2" + std::string(CloudBook::MAX_REPLY_BYTES, ' ')));
    book.query(boardFromFen(STANDARD_START_FEN), results.callback());
    ASSERT_TRUE(results.waitFor(1));
  }
  EXPECT_FALSE(results.all().front().hit);
  EXPECT_TRUE(log.contains("CloudBook: Reply too long")) << log.all();
}

TEST(CloudBook, QueryCarriesTheFenWithSpacesEscapedAndTheTimeOut) {
  CloudResults results;
  auto client = std::make_shared<FakeHttpClient>("nobestmove");
  CloudBook book("http://127.0.0.1:8080/prefix");
  book.setHttpClient(client);
  book.query(boardFromFen(AFTER_H2E2), results.callback());
  ASSERT_TRUE(results.waitFor(1));
  ASSERT_EQ(client->urls().size(), 1u);
  EXPECT_EQ(client->urls()[0],
            "http://127.0.0.1:8080/prefix/chessdb.php?action=querybest&board="
            "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR%20b%20-%20-%201%201");
  EXPECT_EQ(client->lastTimeoutMs(), 3000u);
  EXPECT_EQ(CloudBook().queryUrl(boardFromFen(STANDARD_START_FEN)).rfind(
                "http://www.chessdb.cn/chessdb.php?action=querybest&board=rnbakabnr/", 0),
            0u);
}

TEST(CloudBook, WithoutAClientAnswersAMissAtOnceOnTheCallingThread) {
  CloudResults results;
  BookLogCapture log;
  CloudBook book;
  book.query(boardFromFen(STANDARD_START_FEN), results.callback());
  ASSERT_EQ(results.all().size(), 1u);
  EXPECT_FALSE(results.all()[0].hit);
  EXPECT_EQ(results.all()[0].thread, std::this_thread::get_id());
  EXPECT_FALSE(results.all()[0].move.from.isValid());
  EXPECT_TRUE(log.contains("CloudBook: No HTTP client set"));
}

TEST(CloudBook, CancelledQueryDeliversNothing) {
  CloudResults results;
  auto client = std::make_shared<FakeHttpClient>("", true);
  BookLogCapture log;
  CloudBook book;
  book.setHttpClient(client);
  book.query(boardFromFen(STANDARD_START_FEN), results.callback());
  book.cancel();
  EXPECT_EQ(client->cancels(), 1);
  client->release("move:h2e2");  // too late: the cancel has answered already
  EXPECT_FALSE(results.waitFor(1, 300ms));
  EXPECT_TRUE(log.contains("CloudBook: Query cancelled"));
}

TEST(CloudBook, SupersededQueryOnTheSameClientDeliversNothing) {
  CloudResults results;
  auto client = std::make_shared<FakeHttpClient>("", true);
  CloudBook book;
  book.setHttpClient(client);
  book.query(boardFromFen(STANDARD_START_FEN), results.callback());
  book.query(boardFromFen(AFTER_H2E2), results.callback());
  client->release("move:h2e2");  // the first query's reply, arriving late
  client->release("move:h9g7");
  ASSERT_TRUE(results.waitFor(1));
  EXPECT_FALSE(results.waitFor(2, 300ms));
  EXPECT_TRUE(results.all()[0].hit);
  EXPECT_EQ(results.all()[0].move.from, Position(7, 0));
  EXPECT_EQ(results.all()[0].move.piece, BLACK_KNIGHT);
}

TEST(CloudBook, NewClientCancelsTheOldOneAndItsLateReplyIsDropped) {
  CloudResults results;
  auto first = std::make_shared<FakeHttpClient>("", true);
  auto second = std::make_shared<FakeHttpClient>("move:h2e2");
  CloudBook book;
  book.setHttpClient(first);
  book.query(boardFromFen(STANDARD_START_FEN), results.callback());
  book.setHttpClient(second);
  EXPECT_EQ(first->cancels(), 1);
  book.query(boardFromFen(STANDARD_START_FEN), results.callback());
  ASSERT_TRUE(results.waitFor(1));
  EXPECT_FALSE(results.waitFor(2, 300ms));
  EXPECT_TRUE(results.all()[0].hit);
}

TEST(CloudBook, DestroyedBookCancelsItsClientAndALaterReplyIsHarmless) {
  CloudResults results;
  auto client = std::make_shared<FakeHttpClient>("", true);
  {
    CloudBook book;
    book.setHttpClient(client);
    book.query(boardFromFen(STANDARD_START_FEN), results.callback());
  }
  EXPECT_EQ(client->cancels(), 1);
  client->release("move:h2e2");
  EXPECT_FALSE(results.waitFor(1, 300ms));
}

}  // namespace
}  // namespace Tavrune::Test
