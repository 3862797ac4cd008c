// WinHttpClient against a real HTTP server on loopback: bodies, failures, the overall
// deadline against a silent or trickling server, and cancel during a read.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "books/BookLogCapture.h"
#include "books/HttpReplies.h"
#include "books/LoopbackHttpServer.h"
#include "platform/WinHttpClient.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The deadline must hold however WinINet's own time-outs behave; this margin covers
// thread start-up and a loaded machine, far below a trickle's ten seconds.
constexpr long long DEADLINE_MARGIN_MS = 1500;

class WinHttpClientTest : public ::testing::Test {
 protected:
  LoopbackHttpServer server;
};

TEST_F(WinHttpClientTest, BodiesArriveWholeUpToTheFirstNulAndTheCap) {
  using namespace std::string_literals;
  const std::string atCap(WinHttpClient::MAX_BODY_BYTES, 'x');
  struct Case {
    const char* route;
    LoopbackHttpServer::Handler handler;
    std::string body;
  } cases[] = {
      {"/plain", LoopbackHttpServer::reply("move:h2e2"), "move:h2e2"},
      {"/nul", LoopbackHttpServer::reply("move:h2e2\0ignored"s), "move:h2e2"},
      {"/empty", LoopbackHttpServer::reply(""), ""},
      {"/large", LoopbackHttpServer::reply(atCap), atCap},
      {"/over", LoopbackHttpServer::reply(atCap + "y"), ""},
      // The status is not examined: an error page is a body like any other.
      {"/missing", LoopbackHttpServer::reply("Not Found", 404), "Not Found"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.route);
    server.route(c.route, c.handler);
    HttpReplies replies;
    {
      WinHttpClient client;
      client.getAsync(server.baseUrl() + c.route + "/chessdb.php?board=x%20w", 5000,
                      replies.callback());
      ASSERT_TRUE(replies.waitFor(1));
    }
    EXPECT_EQ(replies.count(), 1);
    EXPECT_EQ(replies.body(), c.body);
  }
  const std::vector<std::string> heads = server.requestHeads();
  ASSERT_FALSE(heads.empty());
  EXPECT_EQ(heads[0].rfind("GET /plain/chessdb.php?board=x%20w HTTP/1.1\r\n", 0), 0u) << heads[0];
  EXPECT_NE(heads[0].find("User-Agent: TavruneCloudBook"), std::string::npos) << heads[0];
}

TEST_F(WinHttpClientTest, ClosedPortFailsWithAnEmptyBody) {
  BookLogCapture log;
  HttpReplies replies;
  {
    WinHttpClient client;
    client.getAsync("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::closedPort()) + "/x",
                    3000, replies.callback());
    ASSERT_TRUE(replies.waitFor(1));
  }
  EXPECT_EQ(replies.body(), "");
  EXPECT_EQ(replies.count(), 1);
  EXPECT_TRUE(log.contains("WinHttpClient: InternetOpenUrl failed, error: ")) << log.all();
}

TEST_F(WinHttpClientTest, SilentOrTricklingServerEndsByTheOverallDeadline) {
  server.route("/stall", LoopbackHttpServer::stall());
  server.route("/trickle", LoopbackHttpServer::trickle(std::string(200, 'm'), 50ms));
  for (const char* route : {"/stall", "/trickle"}) {
    SCOPED_TRACE(route);
    HttpReplies replies;
    constexpr uint32_t timeoutMs = 1000;
    const auto start = Clock::now();
    auto client = std::make_unique<WinHttpClient>();
    client->getAsync(server.baseUrl() + route, timeoutMs, replies.callback());
    ASSERT_TRUE(replies.waitFor(1));
    EXPECT_EQ(replies.body(), "");
    EXPECT_LT(replies.msSince(start), timeoutMs + DEADLINE_MARGIN_MS);
    // The client is released at once; nothing waits for the blocked read.
    const auto released = Clock::now();
    client.reset();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - released).count(),
              DEADLINE_MARGIN_MS);
    EXPECT_EQ(replies.count(), 1);
  }
}

TEST_F(WinHttpClientTest, CancelDuringAReadEndsTheRequestAtOnce) {
  std::atomic<bool> partSent{false};
  server.route("/partial",
               LoopbackHttpServer::partialThenStall("move:", 10, [&] { partSent = true; }));
  HttpReplies replies;
  WinHttpClient client;
  client.getAsync(server.baseUrl() + "/partial", 20000, replies.callback());
  const auto waitStart = Clock::now();
  while (!partSent && Clock::now() - waitStart < 10s) std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(partSent.load());
  std::this_thread::sleep_for(100ms);  // let the client block in its read

  const auto cancelled = Clock::now();
  client.cancel();
  ASSERT_TRUE(replies.waitFor(1));
  EXPECT_EQ(replies.body(), "");
  EXPECT_LT(replies.msSince(cancelled), DEADLINE_MARGIN_MS);
  server.stop();  // the abandoned read, if still blocked, ends now
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(replies.count(), 1);
}

TEST_F(WinHttpClientTest, DestroyingTheClientDuringASilentRequestReturnsPromptly) {
  server.route("/stall", LoopbackHttpServer::stall());
  HttpReplies replies;
  auto client = std::make_unique<WinHttpClient>();
  client->getAsync(server.baseUrl() + "/stall", 20000, replies.callback());
  ASSERT_TRUE(server.waitForRequests(1, 10s));
  const auto start = Clock::now();
  client.reset();
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
            DEADLINE_MARGIN_MS);
  EXPECT_EQ(replies.count(), 1);
  EXPECT_EQ(replies.body(), "");
}

TEST_F(WinHttpClientTest, RequestsOnOneClientRunOneAfterAnother) {
  server.route("/first", LoopbackHttpServer::reply("one"));
  server.route("/second", LoopbackHttpServer::reply("two"));
  HttpReplies first;
  HttpReplies second;
  WinHttpClient client;
  client.getAsync(server.baseUrl() + "/first", 5000, first.callback());
  client.getAsync(server.baseUrl() + "/second", 5000, second.callback());
  ASSERT_TRUE(second.waitFor(1));
  EXPECT_EQ(first.count(), 1);
  EXPECT_EQ(first.body(), "one");
  EXPECT_EQ(second.body(), "two");
}

// A closed port answers at once, while getAsync may still be starting the worker: a
// callback that reuses or releases the client must find it whole all the same.
TEST_F(WinHttpClientTest, CallbackMayStartTheNextRequestOrReleaseTheClient) {
  server.route("/b", LoopbackHttpServer::reply("b"));
  const std::string refused = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::closedPort()) + "/a";
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    HttpReplies chained;
    HttpReplies released;
    auto holder = std::make_shared<WinHttpClient>();
    WinHttpClient* client = holder.get();  // the callbacks own it from here on
    const std::string next = round % 2 == 0 ? refused : server.baseUrl() + "/b";
    client->getAsync(refused, 5000, [&, next](const std::string&) {
      // From the worker thread: the client cannot join itself, so it must not try.
      holder->getAsync(next, 5000, [&](const std::string& body) {
        holder.reset();  // the last owner lets go on the client's own worker
        released.callback()(body);
      });
      chained.callback()("");
    });
    ASSERT_TRUE(chained.waitFor(1));
    ASSERT_TRUE(released.waitFor(1));
    EXPECT_EQ(released.body(), round % 2 == 0 ? "" : "b");
  }
}

}  // namespace
}  // namespace Tavrune::Test
