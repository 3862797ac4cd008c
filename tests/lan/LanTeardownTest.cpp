// Leaving and destroying a session at awkward moments, repeated for ThreadSanitizer:
// nothing hangs, nothing runs on a controller that is gone.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "lan/LanPeer.h"
#include "lan/ScriptedPeer.h"
#include "lan/SilentAddress.h"

namespace Tavrune::Test {
namespace {

enum class Moment { Hosting, Handshaking, Burst, Connecting };

TEST(LanTeardown, LeaveAndDestructionWhileWaitingHandshakingFloodedOrConnecting) {
  for (const Moment moment : {Moment::Hosting, Moment::Handshaking, Moment::Burst, Moment::Connecting}) {
    for (int round = 0; round < 6; ++round) {
      SCOPED_TRACE(static_cast<int>(moment) * 100 + round);
      ManualClock clock;
      PostedQueue queue;  // outlives the controller: its late work must find it gone
      GameEngine game;
      Network network;
      auto controller = std::make_unique<LANGameController>(
          &game, &network, [&](LANGameController::Task work) { queue.post(std::move(work)); },
          clock.source());
      ScriptedPeer peer;
      std::thread flood;
      SilentAddress silent;
      if (moment == Moment::Connecting) {
        ASSERT_TRUE(controller->joinRoom("guest", "red", "127.0.0.1", silent.port()));
      } else if (moment == Moment::Burst) {
        ASSERT_TRUE(controller->joinRoom("guest", "red", "127.0.0.1", peer.listen()));
        flood = std::thread([&] {
          for (int i = 0; i < 300; ++i) peer.send("HEARTBEAT:\nSYNC_REQ:1\nHELLO_ACK:h:red\n");
        });
        // Connected and handed lines over, and more are on their way.
        queue.runUntil([&] { return controller->getState() == LANSessionState::HANDSHAKING; },
                       std::chrono::seconds(5));
      } else {
        ASSERT_TRUE(controller->createRoom("host", "red", 0));
        if (moment == Moment::Handshaking) {
          ASSERT_TRUE(peer.connectTo(network.listeningPort()));
          ASSERT_TRUE(queue.runUntil([&] {
            return controller->getState() == LANSessionState::HANDSHAKING;
          }, std::chrono::seconds(5)));
          peer.send("HEARTBEAT:\n");
        }
      }
      if (round % 2 == 0) {
        controller->leaveRoom();
        EXPECT_EQ(controller->getState(), LANSessionState::IDLE);
        controller->leaveRoom();
      }
      controller.reset();
      if (flood.joinable()) flood.join();
      queue.runPending();
      EXPECT_EQ(game.getMoveHistory().size(), 0u);
    }
  }
}

TEST(LanTeardown, LeaveAndDestructionWhileReconnectingOrSearching) {
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    RelayedGame g;
    ASSERT_TRUE(g.start());
    g.relay->cut();
    ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
    ASSERT_TRUE(g.host.controller.enterReconnectWait(45));
    ASSERT_TRUE(g.client.controller.enterReconnectWait(45));
    if (round >= 2) g.tickFor(1);  // the client is back and handshaking
    if (round % 2 == 0) {
      g.client.controller.leaveRoom();
      g.host.controller.leaveRoom();
    }
  }
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    ManualClock clock;
    LanPeer host(clock);
    auto searcher = std::make_unique<LanPeer>(clock);
    ASSERT_TRUE(host.controller.createRoom("host", "random", 0));
    ASSERT_TRUE(searcher->controller.startRoomSearch());
    if (round >= 2) pumpUntil({searcher.get()}, [&] { return searcher->count("room:") > 0; });
    if (round % 2 == 0) searcher->controller.leaveRoom();
    searcher.reset();
  }
}

}  // namespace
}  // namespace Tavrune::Test
