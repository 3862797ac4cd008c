// Real Network objects and plain sockets on loopback, on ephemeral ports (ctest runs test
// programs in parallel). Also run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "core/ConfigLogCapture.h"
#include "lan/LanTestPeers.h"
#include "lan/LocalAddressChoice.h"
#include "support/TestPaths.h"

namespace Tavrune {

class NetworkTestAccess {
 public:
  static Sockets::Handle listener(Network& network) {
    std::lock_guard lock(network.listenMutex);
    return network.serverSocket;
  }
  static Sockets::Handle connectionSocket(Network& network) { return network.currentSocket(); }
};

namespace {

using namespace std::chrono_literals;
using ::Tavrune::Test::connectPair;
using ::Tavrune::Test::RawPeer;
using ::Tavrune::Test::RecordingEndpoint;
using ::Tavrune::Test::waitUntil;

TEST(Network, LinesCrossLoopbackInOrderOverBothFamilies) {
  for (const char* address : {"127.0.0.1", "[::1]"}) {
    SCOPED_TRACE(address);
    RecordingEndpoint host, guest;
    ASSERT_TRUE(connectPair(host, guest, address));
    EXPECT_TRUE(host.network.isServer());
    EXPECT_EQ(host.network.peerAddress(), std::string(address) == "[::1]" ? "::1" : "::ffff:127.0.0.1");
    EXPECT_EQ(guest.connectedCount(), 1);
    for (Network* end : {&host.network, &guest.network}) {
      EXPECT_TRUE(Sockets::hasNoDelay(NetworkTestAccess::connectionSocket(*end)));
    }

    // Two lines in one chunk, then one line cut across two chunks.
    ASSERT_TRUE(guest.network.sendMessage("HELLO:a:red\nHEARTBEAT:\nMOVE:1:7,9"));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(guest.network.sendMessage(",6,7,2,0\n"));
    ASSERT_TRUE(waitUntil([&] { return host.lines().size() >= 3; }, 5s));
    EXPECT_EQ(host.lines(), (std::vector<std::string>{"HELLO:a:red", "HEARTBEAT:", "MOVE:1:7,9,6,7,2,0"}));

    // Ten thousand lines each way at once, each side's arriving whole and in order.
    constexpr int count = 10000;
    const auto flood = [](Network& from, char tag) {
      for (int i = 0; i < count; ++i) ASSERT_TRUE(from.sendMessage(tag + std::to_string(i) + ":\n"));
    };
    std::thread hostSends(flood, std::ref(host.network), 'H');
    std::thread guestSends(flood, std::ref(guest.network), 'G');
    hostSends.join();
    guestSends.join();
    ASSERT_TRUE(waitUntil([&] { return guest.lines().size() >= count; }, 30s));
    ASSERT_TRUE(waitUntil([&] { return host.lines().size() >= count + 3; }, 30s));
    const std::vector<std::string> atGuest = guest.lines();
    const std::vector<std::string> atHost = host.lines();
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(atGuest[i], "H" + std::to_string(i) + ":");
      ASSERT_EQ(atHost[i + 3], "G" + std::to_string(i) + ":");
    }

    guest.network.disconnect();
    EXPECT_TRUE(waitUntil([&] { return host.disconnectedCount() >= 1; }, 5s));
    EXPECT_EQ(guest.disconnectedCount(), 1);
    EXPECT_FALSE(guest.network.sendMessage("HEARTBEAT:\n"));  // not connected: nothing queued
    host.network.stopServer();
    EXPECT_EQ(host.disconnectedCount(), 1);
  }
}

// Sends are queued: what was queued before a local close still leaves, in order, first.
TEST(Network, QueuedLinesLeaveBeforeALocalClose) {
  RecordingEndpoint host, guest;
  ASSERT_TRUE(connectPair(host, guest, "127.0.0.1"));
  constexpr int queued = 20;  // few enough to leave within the close's flush time on a busy machine
  for (int i = 0; i < queued; ++i) ASSERT_TRUE(guest.network.sendMessage("L" + std::to_string(i) + ":\n"));
  ASSERT_TRUE(guest.network.sendMessage("BYE:manual_leave\n"));
  guest.network.disconnect();
  ASSERT_TRUE(waitUntil([&] { return host.disconnectedCount() == 1; }, 10s));
  const std::vector<std::string> lines = host.lines();
  ASSERT_EQ(lines.size(), queued + 1u);
  for (int i = 0; i < queued; ++i) EXPECT_EQ(lines[i], "L" + std::to_string(i) + ":");
  EXPECT_EQ(lines.back(), "BYE:manual_leave");
}

TEST(Network, HostilePeersAreCutOffAndReportedOnce) {
  RecordingEndpoint host;
  ASSERT_TRUE(host.network.startServer(0));
  const int port = host.network.listeningPort();
  const auto accept = [&](RawPeer& peer) {
    bool accepted = false;
    std::thread waiter([&] { accepted = host.network.waitForClient(); });
    const bool connected = peer.connect("127.0.0.1", port);
    waiter.join();
    ASSERT_TRUE(connected && accepted);
    host.network.startReceiving();
  };

  // 70 KiB without a line feed: a farewell, the end of the stream, one report.
  RawPeer flooder;
  accept(flooder);
  ASSERT_TRUE(flooder.send("HEARTBEAT:\n" + std::string(70 * 1024, 'x')));
  std::string farewell;
  EXPECT_TRUE(flooder.readUntilClosed(farewell, 5s));
  EXPECT_EQ(farewell, "BYE:protocol_error\n");
  EXPECT_TRUE(waitUntil([&] { return host.disconnectedCount() >= 1; }, 2s));
  EXPECT_EQ(host.lines(), std::vector<std::string>{"HEARTBEAT:"});
  EXPECT_FALSE(host.network.isConnected());

  // A peer that closes: one report, and the owner's disconnect adds none.
  RawPeer quitter;
  accept(quitter);
  quitter.close();
  EXPECT_TRUE(waitUntil([&] { return host.disconnectedCount() >= 2; }, 5s));
  host.network.disconnect();
  EXPECT_EQ(host.disconnectedCount(), 2);

  // An owner giving a peer up waits for none of the connection's threads, not even one
  // held inside a callback; the farewell it queued still leaves first.
  RawPeer refused;
  accept(refused);
  std::atomic<bool> inCallback{false}, release{false}, dropped{false};
  host.network.setMessageCallback([&](const std::string&) {
    inCallback = true;
    while (!release) std::this_thread::sleep_for(1ms);
  });
  ASSERT_TRUE(refused.send("HEARTBEAT:\n"));
  ASSERT_TRUE(waitUntil([&] { return inCallback.load(); }, 5s));
  ASSERT_TRUE(host.network.sendMessage("BYE:protocol_error\n"));
  std::thread owner([&] {
    host.network.dropConnection(host.network.connectionNumber());
    dropped = true;
  });
  EXPECT_TRUE(waitUntil([&] { return dropped.load(); }, 5s));
  release = true;
  owner.join();
  host.network.setMessageCallback({});
  std::string told;
  EXPECT_TRUE(refused.readUntilClosed(told, 5s));
  EXPECT_EQ(told, "BYE:protocol_error\n");
  EXPECT_TRUE(waitUntil([&] { return host.disconnectedCount() >= 3; }, 5s));

  // A silent peer does not hold up stopping the server.
  RawPeer silent;
  accept(silent);
  const auto before = std::chrono::steady_clock::now();
  host.network.stopServer();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  EXPECT_EQ(host.disconnectedCount(), 4);
  std::string rest;
  EXPECT_TRUE(silent.readUntilClosed(rest, 2s));
}

TEST(Network, StopsAndReconnectionsRaceSafely) {
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    // stopServer during waitForClient ends the wait within one slice.
    RecordingEndpoint host;
    ASSERT_TRUE(host.network.startServer(0));
    std::atomic<bool> waitResult{true};
    std::chrono::steady_clock::time_point ended;
    std::thread waiter([&] {
      waitResult = host.network.waitForClient();
      ended = std::chrono::steady_clock::now();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20 * round));
    const auto stopped = std::chrono::steady_clock::now();
    host.network.stopServer();
    waiter.join();
    EXPECT_FALSE(waitResult);
    EXPECT_LT(ended - stopped, 800ms);

    // A guest disconnects itself from inside onDisconnected while the host replaces its
    // callbacks under a stream of lines and then closes.
    RecordingEndpoint server, guest;
    ASSERT_TRUE(connectPair(server, guest, "127.0.0.1"));
    guest.onDisconnect([&] { guest.network.disconnect(); });
    std::atomic<bool> swapping{true};
    std::thread swapper([&] {
      while (swapping) server.network.setMessageCallback([](const std::string&) {});
    });
    for (int i = 0; i < 200; ++i) guest.network.sendMessage("HEARTBEAT:\n");
    swapping = false;
    swapper.join();
    server.network.stopServer();
    EXPECT_TRUE(waitUntil([&] { return guest.disconnectedCount() >= 1; }, 5s));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(guest.disconnectedCount(), 1);
    EXPECT_EQ(server.disconnectedCount(), 1);

    // A reconnection while the old connection is half-open retires it, reported once.
    ASSERT_TRUE(server.network.startServer(0));
    RawPeer stale;
    std::thread first([&] { server.network.waitForClient(); });
    ASSERT_TRUE(stale.connect("127.0.0.1", server.network.listeningPort()));
    first.join();
    server.network.startReceiving();
    const std::uint64_t staleNumber = server.network.connectionNumber();
    std::thread second([&] { server.network.waitForClient(); });
    RecordingEndpoint fresh;
    ASSERT_TRUE(fresh.network.connectToServer("127.0.0.1", server.network.listeningPort()));
    second.join();
    EXPECT_EQ(server.network.connectionNumber(), staleNumber + 1);
    EXPECT_EQ(server.disconnectedCount(), 2);
    std::string rest;
    EXPECT_TRUE(stale.readUntilClosed(rest, 2s));
    server.network.startReceiving();
    fresh.network.startReceiving();
    ASSERT_TRUE(fresh.network.sendMessage("HEARTBEAT:\n"));
  }
}

// The old connection's thread stops the server from a callback while a new client's
// hand-over is waiting for that very thread: neither waits for the other.
TEST(Network, StopFromTheRetiredConnectionDuringAHandOverEnds) {
  Network server;
  ASSERT_TRUE(server.startServer(0));
  const int port = server.listeningPort();
  RawPeer stale, fresh;
  std::thread first([&] { server.waitForClient(); });
  ASSERT_TRUE(stale.connect("127.0.0.1", port));
  first.join();
  std::atomic<bool> inCallback{false};
  server.setMessageCallback([&](const std::string&) {
    inCallback = true;
    std::this_thread::sleep_for(300ms);  // long enough for the new client to arrive
    server.stopServer();
  });
  server.startReceiving();
  ASSERT_TRUE(stale.send("HEARTBEAT:\n"));
  ASSERT_TRUE(waitUntil([&] { return inCallback.load(); }, 5s));
  std::atomic<bool> handedOver{true};
  std::thread second([&] { handedOver = server.waitForClient(); });
  ASSERT_TRUE(fresh.connect("127.0.0.1", port));
  second.join();
  EXPECT_FALSE(handedOver);
  EXPECT_FALSE(server.isConnected());
  EXPECT_EQ(server.listeningPort(), 0);
}

TEST(Network, SecondListenerOnAUsedPortFails) {
  const std::string logFolder = ::Tavrune::Test::binaryDir() + "/tests/lan/network-test-log";
  ::Tavrune::Test::ConfigLogCapture log(logFolder);
  Network first, second;
  ASSERT_TRUE(first.startServer(0));
  const int port = first.listeningPort();
  EXPECT_TRUE(Sockets::hasExclusiveAddress(NetworkTestAccess::listener(first)));
  EXPECT_FALSE(second.startServer(port));
  EXPECT_TRUE(log.contains("[Network] Failed to bind to port " + std::to_string(port) + ": "));
  EXPECT_EQ(second.listeningPort(), 0);
  EXPECT_FALSE(second.waitForClient());
}

TEST(Network, ConnectFailuresComeBackQuickly) {
  Network network;
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(network.connectToServer("no-such-host.invalid", 8888));
  Network listener;  // a port just freed: nothing listens there
  ASSERT_TRUE(listener.startServer(0));
  const int port = listener.listeningPort();
  listener.stopServer();
  EXPECT_FALSE(network.connectToServer("127.0.0.1", port));
  EXPECT_LT(std::chrono::steady_clock::now() - before, 8s);
  EXPECT_FALSE(network.isConnected());

  // A host that never accepts: once its queue is full a connect is never answered, and the
  // attempt gives up after its time-out instead of the system's much longer one.
  Network busy;
  ASSERT_TRUE(busy.startServer(0));
  std::vector<std::unique_ptr<RawPeer>> queued;
  do {
    queued.push_back(std::make_unique<RawPeer>());
  } while (queued.size() < 16 && queued.back()->connect("127.0.0.1", busy.listeningPort()));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(network.connectToServer("127.0.0.1", busy.listeningPort()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4500ms);
}

TEST(Network, LocalAddressSkipsWhatPeersCannotReach) {
  using Adapter = Sockets::AdapterRecord;
  const struct {
    std::vector<Adapter> adapters;
    const char* expected;
  } cases[] = {
      {{}, "127.0.0.1"},
      {{{false, false, {"192.168.1.4"}}, {true, true, {"10.0.0.1"}}}, "127.0.0.1"},
      {{{true, false, {"169.254.3.3", "0.1.2.3", "127.0.0.1", "192.168.1.4", "10.0.0.9"}}}, "192.168.1.4"},
      {{{true, false, {}}, {true, false, {"10.0.0.9"}}, {true, false, {"192.168.1.4"}}}, "10.0.0.9"},
      {{{true, false, {"169.254.0.5"}}}, "127.0.0.1"},
  };
  for (const auto& c : cases) EXPECT_EQ(chooseLocalAddress(c.adapters), c.expected);

  const std::string real = Network().getLocalIPAddress();
  unsigned a, b, c, d;
  char tail;
  EXPECT_EQ(std::sscanf(real.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail), 4) << real;
  EXPECT_NE(real.rfind("169.254.", 0), 0u) << real;
}

}  // namespace
}  // namespace Tavrune
