// Room discovery on the real discovery port. It broadcasts, so it runs only inside the
// loopback-only network namespace of tools/netns-run.sh and refuses to run elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lan/LanTestPeers.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using ::Tavrune::Test::waitUntil;

constexpr int PORT = Network::DEFAULT_DISCOVERY_PORT;

// Records each datagram a Network's discovery thread hands over, with its arrival time.
struct Listener {
  Listener() {
    network.setDiscoveryCallback([this](const std::string& text, const std::string& sender) {
      std::lock_guard lock(mutex);
      texts.push_back(text);
      senders.push_back(sender);
      times.push_back(Clock::now());
    });
  }
  ~Listener() { network.stopDiscovery(); }
  std::size_t count() {
    std::lock_guard lock(mutex);
    return texts.size();
  }
  std::vector<std::string> textsSoFar() {
    std::lock_guard lock(mutex);
    return texts;
  }
  std::mutex mutex;
  std::vector<std::string> texts, senders;
  std::vector<Clock::time_point> times;
  Network network;
};

class Discovery : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* inside = std::getenv("TAVRUNE_NETNS");
    if (inside == nullptr || std::string(inside) != "1") {
      FAIL() << "broadcasts: run through tools/netns-run.sh only";
    }
  }
};

TEST_F(Discovery, PeriodicSenderKeepsItsPatternAndBothSocketsHearIt) {
  Listener host, searcher;
  ASSERT_TRUE(host.network.startDiscovery(PORT));
  ASSERT_TRUE(searcher.network.startDiscovery(PORT));  // a second socket on the same port
  EXPECT_FALSE(host.network.startDiscovery(PORT));     // still the first discovery
  EXPECT_EQ(host.network.getLocalIPAddress(), "127.0.0.1");

  const std::string reply = "TAVRUNE_REPLY:room:127.0.0.1:8888\n";
  const Clock::time_point start = Clock::now();
  host.network.startPeriodicBroadcast(reply, 1500);
  // Eight fast rounds, one at 2000 ms, one at 3500 ms; each round goes to two destinations.
  ASSERT_TRUE(waitUntil([&] { return searcher.count() >= 20; }, 30s)) << searcher.count();
  host.network.stopPeriodicBroadcast();

  std::vector<Clock::time_point> rounds;
  {
    std::lock_guard lock(searcher.mutex);
    for (std::size_t i = 0; i < searcher.texts.size(); ++i) {
      EXPECT_EQ(searcher.texts[i], reply);
      EXPECT_EQ(searcher.senders[i], "127.0.0.1");
      if (i % 2 == 0) rounds.push_back(searcher.times[i]);
    }
  }
  const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
  // A busy machine only ever delays a round: each gap keeps its floor, and most fast gaps,
  // though not every one, stay near their 250 ms.
  EXPECT_LT(ms(rounds[0] - start), 1000);
  std::vector<long long> fast;
  for (std::size_t i = 1; i < 9; ++i) fast.push_back(ms(rounds[i] - rounds[i - 1]));
  for (long long gap : fast) EXPECT_GE(gap, 100);
  std::sort(fast.begin(), fast.end());
  EXPECT_LE(fast[fast.size() / 2], 600);
  EXPECT_GE(ms(rounds[9] - rounds[8]), 1200);
  EXPECT_GE(host.count(), 10u);  // the host hears its own rounds too

  // One datagram to the broadcast address reaches both, cut at its first zero byte.
  ASSERT_TRUE(searcher.network.sendDiscoverBroadcast(std::string("TAVRUNE_DISCOVER::8888\n\0junk", 28),
                                                     Network::BROADCAST_ADDRESS, 0));
  ASSERT_TRUE(waitUntil([&] { return host.textsSoFar().back() == "TAVRUNE_DISCOVER::8888\n"; }, 3s));
}

TEST_F(Discovery, StoppingDuringTheFastStartEndsAtOnce) {
  Listener host, searcher;
  ASSERT_TRUE(searcher.network.startDiscovery(PORT));
  ASSERT_TRUE(host.network.startDiscovery(PORT));
  host.network.startPeriodicBroadcast("TAVRUNE_DISCOVER::8888\n", 1000);
  ASSERT_TRUE(waitUntil([&] { return searcher.count() >= 2; }, 3s));
  const Clock::time_point before = Clock::now();
  host.network.stopDiscovery();
  EXPECT_LT(Clock::now() - before, 350ms);
  // What the host sent before it stopped is read before a datagram sent after it.
  ASSERT_TRUE(searcher.network.sendDiscoverBroadcast("fence\n", "127.0.0.1", PORT));
  ASSERT_TRUE(waitUntil([&] { return searcher.textsSoFar().back() == "fence\n"; }, 5s));
  const std::size_t heard = searcher.count();
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(searcher.count(), heard);
  EXPECT_FALSE(host.network.sendDiscoverBroadcast("x\n", "127.0.0.1", PORT));
  EXPECT_TRUE(host.network.startDiscovery(PORT));  // and it can start again
}

}  // namespace
}  // namespace Tavrune
