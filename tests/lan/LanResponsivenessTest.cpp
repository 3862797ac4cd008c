// Nothing a peer or the network does holds up the thread that owns the game: connects run
// beside it, a flood is handed over in batches and answers leave through a writer.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "lan/LanPeer.h"
#include "lan/LanTestPeers.h"
#include "lan/ScriptedPeer.h"
#include "lan/SilentAddress.h"

namespace Tavrune::Test {
namespace {

using State = LANSessionState;

// Posts work behind the session's and runs the queue until it has run.
bool handlesPostedWork(LanPeer& peer) {
  bool ran = false;
  peer.queue.post([&ran] { ran = true; });
  return pumpUntil({&peer}, [&] { return ran; });
}

// Joining, or returning to, a host that does not answer: posted work is handled while the
// connect waits, and the connect goes on once the host lets it in, without another tick.
TEST(LanResponsiveness, ConnectsToAHostThatDoesNotAnswerRunBesideTheGame) {
  for (const bool returning : {false, true}) {
    SCOPED_TRACE(returning ? "reconnection" : "join");
    ManualClock clock;
    LanPeer guest(clock);
    std::unique_ptr<SilentAddress> host;
    if (returning) {
      auto room = std::make_unique<ScriptedPeer>();
      const int port = room->listen();
      ASSERT_TRUE(guest.controller.joinRoom("guest", "red", "127.0.0.1", port));
      room->send("HELLO_ACK:room:red\n");
      ASSERT_TRUE(pumpUntil({&guest}, [&] { return guest.count("ready:") == 1; }));
      room.reset();
      ASSERT_TRUE(pumpUntil({&guest}, [&] { return guest.count("lost") == 1; }));
      host = std::make_unique<SilentAddress>(port);
      ASSERT_TRUE(guest.controller.enterReconnectWait(45));
      guest.controller.tick();
      EXPECT_EQ(guest.controller.getState(), State::RECONNECTING);
    } else {
      host = std::make_unique<SilentAddress>();
      ASSERT_TRUE(guest.controller.joinRoom("guest", "red", "127.0.0.1", host->port()));
      EXPECT_EQ(guest.controller.getState(), State::CONNECTING);
    }
    ASSERT_TRUE(handlesPostedWork(guest));
    EXPECT_EQ(guest.controller.getState(), returning ? State::RECONNECTING : State::CONNECTING);
    host->letIn();
    EXPECT_TRUE(pumpUntil({&guest}, [&] { return guest.controller.getState() == State::HANDSHAKING; }));
    EXPECT_EQ(guest.count("connectFailed"), 0);
  }
}

// A guest that floods the room with lines and never reads its answers: the host's own work
// is handled while the flood goes on, and the guest is dropped. One that keeps asking for
// the game without taking it breaks the protocol: it is not waited for.
TEST(LanResponsiveness, AFloodingPeerThatNeverReadsIsDropped) {
  const struct {
    const char* line;
    int perBurst;
    int pauseMs;  // slow enough for the host to keep up: what it makes of them decides
    bool breaksTheProtocol;
  } cases[] = {
      {"HEARTBEAT:\n", 1000, 0, false},
      {"SYNC_REQ:0\n", 20, 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ManualClock clock;
    LanPeer host(clock);
    ASSERT_TRUE(host.controller.createRoom("host", "red", 0));
    RawPeer peer;
    ASSERT_TRUE(peer.connect("127.0.0.1", host.network.listeningPort()));
    ASSERT_TRUE(peer.send("HELLO:flood:black\n"));
    ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("ready:") == 1; }));
    std::string burst;
    for (int i = 0; i < c.perBurst; ++i) burst += c.line;
    std::atomic<bool> stop{false};
    std::thread flood([&] {
      while (!stop && peer.send(burst)) std::this_thread::sleep_for(std::chrono::milliseconds(c.pauseMs));
    });
    EXPECT_TRUE(handlesPostedWork(host));
    EXPECT_TRUE(pumpUntil({&host}, [&] { return host.count("lost") == 1; }, std::chrono::seconds(30)));
    stop = true;
    flood.join();  // its sends fail once the host has closed the connection
    EXPECT_EQ(host.controller.getState(), State::ENDED);
    if (c.breaksTheProtocol) {
      EXPECT_FALSE(host.controller.canResume());
      EXPECT_EQ(host.count("status:"), 0);
    }
  }
}

}  // namespace
}  // namespace Tavrune::Test
