// Two real session controllers, each with its own game, over real loopback sockets: the
// handshake's sides, whole games kept identical, and recovery from a lost acknowledgement.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "lan/FaultyRelay.h"
#include "lan/LanPeer.h"

namespace Tavrune::Test {
namespace {

using Direction = FaultyRelay::Direction;
using namespace std::chrono_literals;

// Creating a room broadcasts it: never outside a namespace of the test's own.
class OwnNetworkNamespace : public ::testing::Environment {
  void SetUp() override {
    const char* inside = std::getenv("TAVRUNE_NETNS");
    if (inside == nullptr || std::string(inside) != "1") {
      FAIL() << "creates rooms, which broadcast: run through tools/netns-run.sh only";
    }
  }
};
const auto* const requireNamespace = ::testing::AddGlobalTestEnvironment(new OwnNetworkNamespace);

struct SideCase {
  const char* hostSide;
  const char* clientSide;
  const char* hostName;
  PieceColor clientGets;  // NONE: either, as long as both agree
};

TEST(LanSession, HandshakeGivesBothPlayersOppositeSidesAndTheHostsName) {
  const SideCase cases[] = {
      {"red", "red", "host", BLACK},
      {"black", "random", "host", RED},
      {"random", "black", "host", BLACK},
      {"red", "black", "host", BLACK},
      {"red", "blue", "host", BLACK},   // an unexpected text comes back and reads as Black
      {"black", "red", "a:b", RED},     // a ':' in the host's name no longer shifts the side
      {"random", "random", "host", NONE},
  };
  ManualClock clock;
  for (const SideCase& c : cases) {
    SCOPED_TRACE(std::string(c.hostSide) + "/" + c.clientSide + "/" + c.hostName);
    LanPeer host(clock), client(clock);
    ASSERT_TRUE(host.controller.createRoom(c.hostName, c.hostSide, 0));
    ASSERT_FALSE(host.controller.createRoom(c.hostName, c.hostSide, 0));  // at once
    ASSERT_TRUE(client.controller.joinRoom("guest", c.clientSide, "127.0.0.1",
                                           host.network.listeningPort()));
    ASSERT_TRUE(pumpUntil({&host, &client}, [&] {
      return host.count("ready:") == 1 && client.count("ready:") == 1;
    }));
    const std::string expectedName = std::string(c.hostName) == "a:b" ? "a\uFF1Ab" : c.hostName;
    std::string clientReady;
    for (const std::string& e : client.events()) {
      if (e.rfind("ready:", 0) == 0) clientReady = e;
    }
    const PieceColor clientSide = clientReady.rfind("ready:1:", 0) == 0 ? RED : BLACK;
    EXPECT_EQ(clientReady, "ready:" + std::to_string(clientSide) + ":" + expectedName);
    EXPECT_EQ(host.count("ready:" + std::to_string(otherColor(clientSide)) + ":guest"), 1);
    if (c.clientGets != NONE) {
      EXPECT_EQ(clientSide, c.clientGets);
    }
  }
}

// Plays random legal moves, each side in turn, and checks after every ply that both games
// agree and the ply numbers match the history; the mover verifies every tenth ply.
TEST(LanSession, RandomGamesStayIdenticalOnBothSides) {
  ManualClock clock;
  std::mt19937 random(20261207);
  for (int round = 0; round < 2; ++round) {
    LanPeer host(clock), client(clock);
    ASSERT_TRUE(startGame(host, client));
    int ply = 0;
    for (; ply < 200 && host.game.getGameState() == PLAYING; ++ply) {
      LanPeer& mover = host.controller.canSendMove() ? host : client;
      LanPeer& other = &mover == &host ? client : host;
      const auto moves = mover.game.getBoard().getLegalMoves(mover.game.getCurrentPlayer());
      ASSERT_FALSE(moves.empty());
      const int syncsBefore = mover.count("sync:1");
      ASSERT_TRUE(mover.play(moves[random() % moves.size()])) << "ply " << ply;
      const bool tenth = (ply + 1) % 10 == 0;
      ASSERT_TRUE(pumpUntil({&host, &client}, [&] {
        return other.plies() == mover.plies() &&
               mover.controller.getState() == LANSessionState::PLAYING &&
               (!tenth || mover.count("sync:1") == syncsBefore + 1);
      })) << "ply " << ply;
      ASSERT_EQ(host.fen(), client.fen()) << "ply " << ply;
      ASSERT_EQ(host.controller.getMoveSeq(), static_cast<int32_t>(host.plies()));
      ASSERT_EQ(client.controller.getMoveSeq(), static_cast<int32_t>(client.plies()));
    }
    EXPECT_EQ(host.game.getGameState(), client.game.getGameState());
    EXPECT_EQ(host.count("rejected:") + client.count("rejected:"), 0);
    EXPECT_EQ(host.count("sync:0") + client.count("sync:0"), 0);
  }
}

TEST(LanSession, LostAcknowledgementIsRepairedByThePeersPosition) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  g.relay->dropNext(Direction::ToHost, "MOVE_ACK");
  ASSERT_TRUE(g.host.play(Move{{1, 9}, {2, 7}}));
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.plies() == 1; }));
  g.clock.advance(5s);
  g.host.controller.tick();  // resent; the peer already has it: "wrong_seq" and its SYNC
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("sync:") == 1; }));
  EXPECT_EQ(g.relay->forwardedCount(Direction::ToClient, "MOVE"), 2);
  EXPECT_EQ(g.host.count("rejected:1:wrong_seq"), 1);
  EXPECT_EQ(g.host.count("status:检测到棋局偏差，已自动同步"), 1);
  EXPECT_EQ(g.host.count("sync:1"), 1);
  // The SYNC came with the refusal: asking for another would only bring a second copy.
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToClient, "SYNC_REQ"), 0);
  EXPECT_EQ(g.host.fen(), g.client.fen());
  EXPECT_EQ(g.host.plies(), 1u);
  EXPECT_EQ(g.host.controller.getMoveSeq(), 1);
  EXPECT_EQ(g.host.controller.getState(), LANSessionState::PLAYING);
  // Play goes on.
  ASSERT_TRUE(g.client.play(Move{{1, 0}, {2, 2}}));
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.plies() == 2; }));
  EXPECT_EQ(g.host.fen(), g.client.fen());
}

// The client's tenth ply makes it ask for a SYNC while the host's reply and a draw offer are
// on their way: the answer leaves that unacknowledged ply out, the client holds the ply and
// the offer until the SYNC is in, then plays the ply and puts the offer to its player.
TEST(LanSession, SyncAnsweredWhileAMoveAwaitsItsAcknowledgementLeavesThatPlyOut) {
  ManualClock clock;
  LanPeer host(clock), client(clock);
  ASSERT_TRUE(startGame(host, client, "red", "black"));
  // Ply n takes the left knight of Red (even n) or Black out, then home again.
  const auto ply = [](int n) {
    const Move out{{1, n % 2 == 0 ? 9 : 0}, {2, n % 2 == 0 ? 7 : 2}};
    return n / 2 % 2 == 0 ? out : Move{out.to, out.from};
  };
  const auto settled = [&](std::size_t plies) {
    return pumpUntil({&host, &client}, [&] {
      return host.plies() == plies && client.plies() == plies &&
             host.controller.getState() == LANSessionState::PLAYING &&
             client.controller.getState() == LANSessionState::PLAYING;
    });
  };
  for (int n = 0; n < 9; ++n) {
    ASSERT_TRUE((n % 2 == 0 ? host : client).play(ply(n)));
    ASSERT_TRUE(settled(n + 1u)) << "ply " << n;
  }
  ASSERT_TRUE(client.play(ply(9)));
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.plies() == 10; }));  // acknowledged
  ASSERT_TRUE(host.play(ply(10)));
  ASSERT_EQ(host.controller.requestDraw(), LanRequestResult::Sent);
  ASSERT_TRUE(settled(11));
  ASSERT_TRUE(pumpUntil({&host, &client}, [&] { return client.count("drawRequested") == 1; }));
  EXPECT_EQ(host.count("rejected:"), 0);
  EXPECT_EQ(host.count("drawResponse:"), 0);
  EXPECT_EQ(client.count("sync:1"), 1);
  EXPECT_EQ(host.fen(), client.fen());
  EXPECT_EQ(client.controller.getMoveSeq(), 11);
}

// With the host playing Black the guest answers the host's check of every tenth ply. A
// second game in one run, and the game after a return, go over new connections whose byte
// counts start again: the guest's new answers are not taken for old ones the host never read.
TEST(LanSession, TheGuestsLaterConnectionsGoPastTheTenthPlyWithTheHostPlayingBlack) {
  for (const bool returning : {false, true}) {
    SCOPED_TRACE(returning ? "a return after 31 plies" : "a second game");
    ManualClock clock;
    LanPeer host(clock), guest(clock);
    std::unique_ptr<FaultyRelay> relay;
    const auto start = [&] {
      host.clearEvents();
      guest.clearEvents();
      if (!host.controller.createRoom("host", "black", 0)) return false;
      relay = std::make_unique<FaultyRelay>(host.network.listeningPort());
      return guest.controller.joinRoom("guest", "red", "127.0.0.1", relay->port()) &&
             pumpUntil({&host, &guest}, [&] { return host.count("ready:") == 1 && guest.count("ready:") == 1; });
    };
    // Ply n takes the left knight of Red (even n) or Black out, then home again.
    const auto play = [&](int from, int to) {
      for (int n = from; n < to; ++n) {
        const Move out{{1, n % 2 == 0 ? 9 : 0}, {2, n % 2 == 0 ? 7 : 2}};
        if (!(n % 2 == 0 ? guest : host).play(n / 2 % 2 == 0 ? out : Move{out.to, out.from})) return false;
        const bool settled = pumpUntil({&host, &guest}, [&] {
          return host.plies() == n + 1u && guest.plies() == n + 1u &&
                 host.controller.getState() == LANSessionState::PLAYING &&
                 guest.controller.getState() == LANSessionState::PLAYING;
        });
        if (!settled) return false;
      }
      return true;
    };
    ASSERT_TRUE(start());
    ASSERT_TRUE(play(0, returning ? 31 : 12));
    if (returning) {
      relay->cut();
      ASSERT_TRUE(pumpUntil({&host, &guest}, [&] { return host.count("lost") == 1 && guest.count("lost") == 1; }));
      ASSERT_TRUE(host.controller.enterReconnectWait(45));
      ASSERT_TRUE(guest.controller.enterReconnectWait(45));
      clock.advance(2s);
      guest.controller.tick();
      ASSERT_TRUE(pumpUntil({&host, &guest}, [&] { return guest.count("sync:1") == 1; }));
      host.clearEvents();
      guest.clearEvents();
      ASSERT_TRUE(play(31, 41));
    } else {
      host.controller.leaveRoom();
      guest.controller.leaveRoom();
      ASSERT_TRUE(start());
      ASSERT_TRUE(play(0, 12));
    }
    EXPECT_EQ(host.count("sync:1"), 1);  // the host's check of ply 10 or 40, answered
    EXPECT_EQ(host.count("status:") + guest.count("status:") + guest.count("lost"), 0);
    EXPECT_EQ(host.fen(), guest.fen());
  }
}

TEST(LanSession, RoomSearchFindsTheRoomUnderItsAddressAndJoinsIt) {
  ManualClock clock;
  LanPeer host(clock), searcher(clock);
  ASSERT_TRUE(host.controller.createRoom("房主:一", "random", 0));
  const int port = host.network.listeningPort();
  ASSERT_TRUE(searcher.controller.startRoomSearch());
  const std::string room = "room:房主\uFF1A一:127.0.0.1:" + std::to_string(port);
  ASSERT_TRUE(pumpUntil({&host, &searcher}, [&] { return searcher.count(room) >= 1; }));
  searcher.controller.stopRoomSearch();
  EXPECT_EQ(searcher.count("room:"), searcher.count(room));  // its own requests are no rooms
  ASSERT_TRUE(searcher.controller.joinRoom("guest", "random", "127.0.0.1", port));
  ASSERT_TRUE(pumpUntil({&host, &searcher}, [&] {
    return host.count("ready:") == 1 && searcher.count("ready:") == 1;
  }));
}

}  // namespace
}  // namespace Tavrune::Test
