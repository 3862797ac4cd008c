// A peer that breaks the protocol, played by a script over a plain socket: the local game
// changes only by a legal move of the peer's own pieces on the peer's turn, or a resync
// after a completed handshake.
#include <gtest/gtest.h>

#include "game/Board.h"
#include "lan/LanPeer.h"
#include "lan/ScriptedPeer.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;

// Waits until the peer has received `count` lines in all.
bool receivedLines(LanPeer& local, ScriptedPeer& peer, std::size_t count) {
  return pumpUntil({&local}, [&] { return peer.received().size() >= count; });
}

// The pieces of a host playing Black: lines out of turn, out of order, of the wrong
// pieces or before the handshake never touch its game.
TEST(LanHostilePeer, HostGameChangesOnlyByTheGuestsLegalMovesAfterTheHandshake) {
  ManualClock clock;
  LanPeer host(clock);
  ASSERT_TRUE(host.controller.createRoom("host", "black", 0));
  ScriptedPeer peer;
  ASSERT_TRUE(peer.connectTo(host.network.listeningPort()));
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("connected") == 1; }));

  // Before the handshake: a resync to an empty board, a resignation, answers to nothing.
  peer.send("SYNC:4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1:0\nRESIGN:\nUNDO_ACK:accept\nDRAW_ACK:accept\n");
  peer.send("HELLO:evil\x01name\x7f:red\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("ready:") == 1; }));
  host.queue.runPending();
  EXPECT_EQ(host.count("ready:2:evilname"), 1);
  EXPECT_EQ(host.fen(), STANDARD_START_FEN);
  EXPECT_EQ(host.count("lost") + host.count("resigned") + host.count("sync:"), 0);
  ASSERT_TRUE(receivedLines(host, peer, 1));
  EXPECT_EQ(peer.received()[0], "HELLO_ACK:host:red");

  struct Line {
    const char* text;
    const char* firstReply;  // the HEARTBEAT_ACK sent after it when nothing else is answered
  };
  const Line lines[] = {
      {"MOVE:1:0,0,0,1,8,0\n", "MOVE_ACK:1:reject:illegal_move"},  // the host's own rook
      {"MOVE:1:0,9,0,5,1,0\n", "MOVE_ACK:1:reject:illegal_move"},  // through its own pawn
      {"MOVE:5:7,9,6,7,2,0\n", "MOVE_ACK:5:reject:wrong_seq"},
      {"GARBAGE\nMOVE:1:9,9,9,9,1,0\nTAVRUNE_DISCOVER:x:8888\nHELLO:again:red\n", "HEARTBEAT_ACK:"},
      {"UNDO_ACK:accept\nDRAW_ACK:accept\n", "HEARTBEAT_ACK:"},  // no request of the host's is open
      {"MOVE:1:7,9,6,7,99,-5\n", "MOVE_ACK:1:ok"},  // legal; the piece codes are the peer's word
      {"MOVE:2:6,7,4,6,2,0\n", "MOVE_ACK:2:reject:not_your_turn"},
  };
  for (const Line& line : lines) {
    SCOPED_TRACE(line.text);
    const std::string fenBefore = host.fen();
    const std::size_t before = peer.received().size();
    peer.send(std::string(line.text) + "HEARTBEAT:\n");  // its answer ends the host's replies
    std::vector<std::string> replies;
    ASSERT_TRUE(pumpUntil({&host}, [&] {
      const auto all = peer.received();
      replies.assign(all.begin() + static_cast<long>(before), all.end());
      return !replies.empty() && replies.back() == "HEARTBEAT_ACK:";
    }));
    EXPECT_EQ(replies.front(), line.firstReply);
    if (std::string(line.firstReply).find(":ok") == std::string::npos) {
      EXPECT_EQ(host.fen(), fenBefore);
    }
  }
  EXPECT_EQ(host.count("applied:7,9,6,7,2,0"), 1);
  EXPECT_EQ(host.plies(), 1u);
  EXPECT_EQ(host.game.getMoveHistory()[0], (Move{{7, 9}, {6, 7}, RED_KNIGHT, EMPTY}));
  EXPECT_EQ(host.game.getGameState(), PLAYING);
}

// A program on the other end that never completes the handshake, even while it talks,
// lets go of the room or the joining player after 10 s, not resumable.
TEST(LanHostilePeer, HandshakeNotCompletedWithinTenSecondsEndsTheSession) {
  for (const bool asHost : {true, false}) {
    SCOPED_TRACE(asHost ? "host" : "client");
    ManualClock clock;
    LanPeer local(clock);
    ScriptedPeer peer;
    if (asHost) {
      ASSERT_TRUE(local.controller.createRoom("host", "red", 0));
      ASSERT_TRUE(peer.connectTo(local.network.listeningPort()));
    } else {
      const int port = peer.listen();
      ASSERT_TRUE(local.controller.joinRoom("guest", "red", "127.0.0.1", port));
      peer.send("HELLO:stray:red\n");  // a client takes no HELLO
    }
    ASSERT_TRUE(pumpUntil({&local}, [&] {
      return local.controller.getState() == LANSessionState::HANDSHAKING;
    }));
    clock.advance(9s);
    peer.send("HEARTBEAT:\n");
    ASSERT_TRUE(pumpUntil({&local}, [&] { return !peer.receivedWithKey("HEARTBEAT_ACK").empty(); }));
    local.controller.tick();
    EXPECT_EQ(local.controller.getState(), LANSessionState::HANDSHAKING);
    clock.advance(1s);
    local.controller.tick();
    EXPECT_EQ(local.controller.getState(), LANSessionState::ENDED);
    EXPECT_FALSE(local.controller.canResume());
    EXPECT_EQ(local.count("status:握手超时，连接已断开"), 1);
    EXPECT_EQ(local.count("lost"), 1);
    EXPECT_EQ(local.count("ready:"), 0);
    EXPECT_TRUE(pumpUntil({&local}, [&] { return peer.closed(); }));
    EXPECT_EQ(local.count("lost"), 1);  // the dropped connection is not reported again
  }
}

}  // namespace
}  // namespace Tavrune::Test
