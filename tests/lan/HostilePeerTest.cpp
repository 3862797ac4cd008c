// A peer that breaks the protocol, played by a script over a plain socket: the local game
// changes only by a legal move of the peer's own pieces on the peer's turn, or a resync
// after a completed handshake.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>

#include "game/Board.h"
#include "lan/LanPeer.h"
#include "lan/LanTestPeers.h"
#include "lan/ScriptedPeer.h"

namespace Tavrune::Test {
namespace {

using namespace std::chrono_literals;

// Waits until the peer has received `count` lines in all.
bool receivedLines(LanPeer& local, ScriptedPeer& peer, std::size_t count) {
  return pumpUntil({&local}, [&] { return peer.received().size() >= count; });
}

// The pieces of a host playing Black: lines out of turn, out of order or of the wrong
// pieces never touch its game.
TEST(LanHostilePeer, HostGameChangesOnlyByTheGuestsLegalMovesAfterTheHandshake) {
  ManualClock clock;
  LanPeer host(clock);
  ASSERT_TRUE(host.controller.createRoom("host", "black", 0));
  ScriptedPeer peer;
  ASSERT_TRUE(peer.connectTo(host.network.listeningPort()));
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.controller.getState() == LANSessionState::HANDSHAKING; }));
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

// Where a session stands when the peer's lines of the table below arrive.
enum class At {
  RoomBeforeHello, GuestHandshaking, Playing, WaitingAck, WaitingSync, MatedStillPlaying,
  EndedByResignation, EndedByDraw, ReconnectionWait,
};

// Brings `local` there with `peer` on the other end.
bool reach(At at, LanPeer& local, std::unique_ptr<ScriptedPeer>& peer) {
  const auto handshaking = [&] {
    return pumpUntil({&local}, [&] { return local.controller.getState() == LANSessionState::HANDSHAKING; });
  };
  const auto settledIn = [&](LANSessionState state) {
    return pumpUntil({&local}, [&] { return local.controller.getState() == state; });
  };
  peer = std::make_unique<ScriptedPeer>();
  if (at == At::RoomBeforeHello) {
    return local.controller.createRoom("host", "red", 0) && peer->connectTo(local.network.listeningPort()) &&
           handshaking();
  }
  if (at == At::GuestHandshaking) {
    return local.controller.joinRoom("guest", "red", "127.0.0.1", peer->listen()) && handshaking() &&
           pumpUntil({&local}, [&] { return !peer->receivedWithKey("HELLO").empty(); });
  }
  if (!hostScriptedGuest(local, *peer, "HELLO:peer:black\n")) return false;  // the host plays Red
  switch (at) {
    case At::WaitingAck:
    case At::WaitingSync:
      if (!local.play(Move{{1, 9}, {2, 7}})) return false;
      if (at == At::WaitingAck) return settledIn(LANSessionState::WAITING_ACK);
      peer->send("MOVE_ACK:1:reject:wrong_seq\n");  // its SYNC is now due
      return settledIn(LANSessionState::WAITING_SYNC);
    case At::MatedStillPlaying:
      local.game.setGameState(RED_WIN);  // as the board leaves it after a mate
      return true;
    case At::EndedByResignation:
      peer->send("RESIGN:\n");
      return settledIn(LANSessionState::ENDED);
    case At::EndedByDraw:
      local.controller.requestDraw();
      peer->send("DRAW_ACK:accept\n");
      return settledIn(LANSessionState::ENDED);
    case At::ReconnectionWait:
      peer = std::make_unique<ScriptedPeer>();  // the guest's connection breaks; a stranger comes
      return pumpUntil({&local}, [&] { return local.count("lost") == 1; }) &&
             local.controller.enterReconnectWait(45) && peer->connectTo(local.network.listeningPort()) &&
             handshaking();
    default:
      return true;
  }
}

// Every kind of line, sent a hundred times in every phase of a session: acted on only where
// the protocol expects it and once, each window event at most once, and the board changed
// only by a line that applies there. A BYE ends only its own connection, which the session
// closes at once.
TEST(LanHostilePeer, EveryLineIsActedOnOnlyWhereItBelongsAndOnce) {
  const std::pair<std::string, std::string> lines[] = {
      {"HELLO", "HELLO:stranger:red\n"},
      {"HELLO_ACK", "HELLO_ACK:stranger:black\n"},
      {"MOVE", "MOVE:1:1,0,2,2,9,0\n"},
      {"MOVE_ACK", "MOVE_ACK:1:ok\n"},
      {"SYNC_REQ", "SYNC_REQ:0\n"},
      // A whole legal game: taken, it would put Red's cannon on the centre file.
      {"SYNC", LanProtocol::makeSync("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1",
                                     {Move{{7, 7}, {4, 7}, RED_CANNON, EMPTY}})},
      {"RESIGN", "RESIGN:\n"},
      {"UNDO_REQ", "UNDO_REQ:\n"},
      {"UNDO_ACK", "UNDO_ACK:accept\n"},
      {"DRAW_REQ", "DRAW_REQ:\n"},
      {"DRAW_ACK", "DRAW_ACK:accept\n"},
      {"HEARTBEAT", "HEARTBEAT:\n"},
      {"HEARTBEAT_ACK", "HEARTBEAT_ACK:\n"},
      {"BYE", "BYE:stranger\n"},
      {"TAVRUNE_DISCOVER", "TAVRUNE_DISCOVER:x:8888\n"},
      {"unparsable", "GARBAGE\n"},
      // A return to a game that a room whose program was restarted no longer has.
      {"HELLO resume", "HELLO:stranger:resume\n"},
  };
  const std::pair<At, const char*> phases[] = {
      {At::RoomBeforeHello, "room before HELLO"},       {At::GuestHandshaking, "guest handshaking"},
      {At::Playing, "playing"},                         {At::WaitingAck, "waiting for an acknowledgement"},
      {At::WaitingSync, "waiting for a SYNC"},          {At::MatedStillPlaying, "mated, session playing"},
      {At::EndedByResignation, "ended by resignation"}, {At::EndedByDraw, "ended by a draw"},
      {At::ReconnectionWait, "a stranger during the reconnection wait"},
  };
  for (const auto& [at, phaseName] : phases) {
    for (const auto& [kind, line] : lines) {
      SCOPED_TRACE(std::string(phaseName) + ", " + kind);
      ManualClock clock;
      LanPeer local(clock);
      std::unique_ptr<ScriptedPeer> peer;
      ASSERT_TRUE(reach(at, local, peer));
      local.clearEvents();
      const std::string fenBefore = local.fen();
      const GameState resultBefore = local.game.getGameState();
      const bool inGame = at == At::Playing || at == At::WaitingAck || at == At::WaitingSync;
      const bool handshaking = at == At::RoomBeforeHello || at == At::GuestHandshaking || at == At::ReconnectionWait;
      // A room takes nothing but a HELLO from a stranger, and during a wait only the
      // returning player's.
      const bool roomEnds = (at == At::RoomBeforeHello && kind != "HELLO") || at == At::ReconnectionWait;
      const bool endsConnection = kind == "BYE" || roomEnds;

      std::string hundred;
      for (int i = 0; i < 100; ++i) hundred += line;
      if (endsConnection || handshaking) {
        // Nothing is answered before a handshake: the end of the connection marks the end.
        peer->send(hundred);
        if (!endsConnection) peer.reset();
        ASSERT_TRUE(pumpUntil({&local}, [&] { return local.network.peerAddress().empty(); }));
        if (endsConnection) {
          EXPECT_TRUE(pumpUntil({&local}, [&] { return peer->closed(); }));
        }
      } else {
        // The answer to a last HEARTBEAT marks the end, unless the flood ended the connection.
        const std::size_t acks = peer->receivedWithKey("HEARTBEAT_ACK").size() + (kind == "HEARTBEAT" ? 101 : 1);
        peer->send(hundred + "HEARTBEAT:\n");
        ASSERT_TRUE(pumpUntil({&local}, [&] {
          return peer->receivedWithKey("HEARTBEAT_ACK").size() == acks || peer->closed();
        }));
      }
      local.queue.runPending();

      std::map<std::string, int> events;
      for (const std::string& event : local.events()) ++events[event.substr(0, event.find(':'))];
      for (const auto& [event, count] : events) EXPECT_LE(count, 1) << event;
      // A handshake sets the game up; the SYNC that is due is taken.
      const bool mayChangeBoard = (at == At::RoomBeforeHello && kind == "HELLO") ||
                                  (at == At::GuestHandshaking && kind == "HELLO_ACK") ||
                                  (at == At::WaitingSync && kind == "SYNC");
      EXPECT_TRUE(mayChangeBoard || local.fen() == fenBefore);
      EXPECT_EQ(local.game.getGameState(), inGame && kind == "RESIGN" ? RED_WIN : resultBefore);
      if (kind == "BYE" && !handshaking) {
        EXPECT_EQ(local.count("status:对方主动离开(stranger)"), 1);
        EXPECT_EQ(local.count("lost"), 1);
      }
      if (at == At::RoomBeforeHello || at == At::ReconnectionWait) {
        const bool joined = at == At::RoomBeforeHello && kind == "HELLO";
        EXPECT_EQ(local.controller.getState(), joined ? LANSessionState::ENDED : LANSessionState::HOSTING);
      }
    }
  }
}

// A connection that ends before the handshake, says anything but HELLO to a room, or
// stays silent for 10 s (a joining player's room even while it talks): a room goes on
// waiting without a word and takes the next guest; a joining player is told, and nothing
// is offered for resumption.
TEST(LanHostilePeer, ConnectionsThatNeverCompleteTheHandshake) {
  enum class Peer { Closes, SaysBye, StaysSilent, SendsAnOverlongLine, SendsAHeartbeat };
  struct Case {
    const char* name;
    bool asHost;
    Peer peerDoes;       // silent: for 10 s
    const char* notice;  // nullptr: none
  };
  const Case cases[] = {
      {"room, connect and close", true, Peer::Closes, nullptr},
      {"room, a stranger's BYE", true, Peer::SaysBye, nullptr},
      {"room, silent", true, Peer::StaysSilent, nullptr},
      {"room, a line past 64 KiB", true, Peer::SendsAnOverlongLine, nullptr},
      {"room, a heartbeat before HELLO", true, Peer::SendsAHeartbeat, nullptr},
      {"guest, room closes", false, Peer::Closes, nullptr},
      {"guest, room silent", false, Peer::StaysSilent, "status:握手超时，连接已断开"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ManualClock clock;
    LanPeer local(clock);
    auto peer = std::make_unique<ScriptedPeer>();
    if (c.asHost) {
      ASSERT_TRUE(local.controller.createRoom("host", "red", 0));
      ASSERT_TRUE(peer->connectTo(local.network.listeningPort()));
    } else {
      ASSERT_TRUE(local.controller.joinRoom("guest", "red", "127.0.0.1", peer->listen()));
      peer->send("HELLO:stray:red\n");  // a client takes no HELLO
    }
    ASSERT_TRUE(pumpUntil({&local}, [&] {
      return local.controller.getState() == LANSessionState::HANDSHAKING;
    }));
    if (c.peerDoes == Peer::Closes) {
      peer.reset();
    } else if (c.peerDoes == Peer::SaysBye) {
      peer->send("BYE:stranger\n");
      EXPECT_TRUE(pumpUntil({&local}, [&] { return peer->closed(); }));
    } else if (c.peerDoes == Peer::SendsAnOverlongLine || c.peerDoes == Peer::SendsAHeartbeat) {
      peer->send(c.peerDoes == Peer::SendsAHeartbeat ? std::string("HEARTBEAT:\n") : std::string(70 * 1024, 'x') + "\n");
      EXPECT_TRUE(pumpUntil({&local}, [&] { return peer->closed(); }));
    } else {
      clock.advance(9s);
      if (!c.asHost) peer->send("HEARTBEAT:\n");  // a guest does not end its join for it
      local.controller.tick();
      EXPECT_EQ(local.controller.getState(), LANSessionState::HANDSHAKING);
      clock.advance(1s);
      local.controller.tick();
      EXPECT_TRUE(pumpUntil({&local}, [&] { return peer->closed(); }));
    }
    const LANSessionState after = c.asHost ? LANSessionState::HOSTING : LANSessionState::ENDED;
    ASSERT_TRUE(pumpUntil({&local}, [&] { return local.controller.getState() == after; }));
    EXPECT_TRUE(local.network.peerAddress().empty());  // its socket and threads are gone
    EXPECT_FALSE(local.controller.canResume());
    EXPECT_EQ(local.count("status:"), c.notice ? 1 : 0);
    if (c.notice) {
      EXPECT_EQ(local.count(c.notice), 1);
    }
    EXPECT_EQ(local.count("lost"), c.asHost ? 0 : 1);
    EXPECT_EQ(local.count("connected"), 0);  // no handshake, nobody connected
    if (c.asHost) {
      LanPeer guest(clock);
      ASSERT_TRUE(guest.controller.joinRoom("guest", "black", "127.0.0.1", local.network.listeningPort()));
      ASSERT_TRUE(pumpUntil({&local, &guest}, [&] { return local.count("ready:") == 1 && guest.count("ready:") == 1; }));
      EXPECT_EQ(local.count("connected"), 1);
      EXPECT_EQ(local.count("status:") + local.count("lost"), 0);
    }
  }
}

// A peer cut off in a game for breaking the protocol is not waited for: the game ends
// without the notice of a broken network, and its connection is closed.
TEST(LanHostilePeer, APeerCutOffForBreakingTheProtocolIsNotWaitedFor) {
  std::string flood;
  for (int i = 0; i < 1100; ++i) flood += LanProtocol::makeDrawRequest();
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"a line past 64 KiB", std::string(70 * 1024, 'x') + "\n"},
      {"more lines than may wait", flood},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ManualClock clock;
    LanPeer host(clock);
    ScriptedPeer peer;
    ASSERT_TRUE(hostScriptedGuest(host, peer, "HELLO:rude:black\n"));
    peer.send(c.text);
    // Not handled meanwhile: the flood waits whole.
    ASSERT_TRUE(waitUntil([&] { return peer.closed(); }, 10s));
    ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("lost") == 1; }));
    EXPECT_EQ(host.controller.getState(), LANSessionState::ENDED);
    EXPECT_FALSE(host.controller.canResume());
    EXPECT_EQ(host.count("status:"), 0);
    EXPECT_EQ(peer.receivedWithKey("BYE"), std::vector<std::string>{"BYE:protocol_error"});
    EXPECT_TRUE(host.network.peerAddress().empty());
  }
}

// A SYNC the host sent before it saw the guest's move (a returning guest hears the host's
// own SYNC, then the answer to its request) does not take that move off the guest's board:
// the host's acknowledgement settles it, and both boards hold it.
// The guest joins a scripted host, which seats it as Red.
void joinScriptedHost(LanPeer& guest, ScriptedPeer& host) {
  ASSERT_TRUE(guest.controller.joinRoom("guest", "red", "127.0.0.1", host.listen()));
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return !host.receivedWithKey("HELLO").empty(); }));
  host.send("HELLO_ACK:host:red\n");
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return guest.controller.getState() == LANSessionState::PLAYING; }));
}

TEST(LanHostilePeer, AnOlderSyncLeavesTheMoveAwaitingItsAcknowledgement) {
  ManualClock clock;
  LanPeer guest(clock);
  ScriptedPeer host;
  ASSERT_NO_FATAL_FAILURE(joinScriptedHost(guest, host));

  ASSERT_TRUE(guest.play(Move{{7, 9}, {6, 7}}));
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return !host.receivedWithKey("MOVE").empty(); }));
  // Not the first line after the answer, which would be a returning player's game.
  host.send("HEARTBEAT:\nSYNC:" + std::string(STANDARD_START_FEN) + ":0\nHEARTBEAT:\n");
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return host.receivedWithKey("HEARTBEAT_ACK").size() == 2; }));
  EXPECT_EQ(guest.plies(), 1u);
  host.send("MOVE_ACK:1:ok\n");
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return guest.count("acked:1") == 1; }));
  EXPECT_EQ(guest.plies(), 1u);
  EXPECT_EQ(guest.controller.getState(), LANSessionState::PLAYING);
}

// A player whose program was restarted joins afresh and may move on its new board before
// the host's game, sent right after its answer, is handled: that game replaces the move,
// and the host's refusal of it, with the game again, leaves both boards equal.
// A restarted guest joins and plays its first move; the host's game, `sync`, follows.
void rejoinAfterAFirstMove(LanPeer& guest, ScriptedPeer& host, const std::string& sync) {
  ASSERT_NO_FATAL_FAILURE(joinScriptedHost(guest, host));
  ASSERT_TRUE(guest.play(Move{{1, 9}, {2, 7}}));
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return !host.receivedWithKey("MOVE").empty(); }));
  host.send(sync);
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return guest.count("status:已重新加入对局") == 1; }));
}

TEST(LanHostilePeer, AReturningGameThatComesAfterTheRestartedGuestsFirstMoveReplacesIt) {
  ManualClock clock;
  LanPeer guest(clock);
  ScriptedPeer host;
  GameEngine hostGame;
  hostGame.newGame(MODE_LAN);
  ASSERT_TRUE(hostGame.forceMove(Move{{7, 9}, {6, 7}}) && hostGame.forceMove(Move{{1, 0}, {2, 2}}));
  const std::string sync = LanProtocol::makeSync(hostGame.getBoard().toFEN(), hostGame.getMoveHistory());
  ASSERT_NO_FATAL_FAILURE(rejoinAfterAFirstMove(guest, host, sync));
  host.send("MOVE_ACK:1:reject:wrong_seq\n" + sync);
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return guest.count("sync:") == 2; }));
  EXPECT_EQ(guest.fen(), hostGame.getBoard().toFEN());
  EXPECT_EQ(guest.plies(), 2u);
  EXPECT_EQ(guest.controller.getMoveSeq(), 2);
  EXPECT_TRUE(guest.controller.canSendMove());
}

// Back at the opening, the guest plays its first move again before the answer to the one the
// host's game replaced: that answer settles the replaced move (the host has it, so its game
// is asked for), not the new move of the same number.
TEST(LanHostilePeer, TheAnswerToAMoveTheReturningGameReplacedIsNotTheNextMovesAnswer) {
  ManualClock clock;
  LanPeer guest(clock);
  ScriptedPeer host;
  ASSERT_NO_FATAL_FAILURE(rejoinAfterAFirstMove(guest, host, LanProtocol::makeSync(STANDARD_START_FEN, {})));
  ASSERT_TRUE(guest.play(Move{{7, 9}, {6, 7}}));
  host.send("MOVE_ACK:1:ok\nHEARTBEAT:\n");
  ASSERT_TRUE(pumpUntil({&guest}, [&] { return !host.receivedWithKey("HEARTBEAT_ACK").empty(); }));
  EXPECT_EQ(guest.count("acked:"), 0);
  EXPECT_EQ(host.receivedWithKey("SYNC_REQ").size(), 1u);
}

// Lines that cross a SYNC settle only their own move: a second answer to a move already
// acknowledged (its resend's refusal) makes the SYNC it announces expected, and a resend of
// a move the SYNC brings, held while the SYNC was due, is acknowledged and not played again.
TEST(LanHostilePeer, AnswersAndResendsThatCrossASyncSettleOnlyTheirMove) {
  ManualClock clock;
  LanPeer host(clock);
  ScriptedPeer peer;
  ASSERT_TRUE(hostScriptedGuest(host, peer, "HELLO:peer:black\n"));
  const std::string black = "MOVE:2:" + LanProtocol::moveToText(Move{{1, 0}, {2, 2}}) + "\n";
  ASSERT_TRUE(host.play(Move{{1, 9}, {2, 7}}));
  peer.send("MOVE_ACK:1:ok\n" + black);
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.plies() == 2 && host.count("acked:1") == 1; }));
  const std::string game = LanProtocol::makeSync(host.fen(), host.game.getMoveHistory());
  peer.send("MOVE_ACK:1:reject:wrong_seq\n" + game);
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("sync:") == 1; }));
  EXPECT_EQ(host.count("sync:1"), 1);

  ASSERT_TRUE(host.play(Move{{7, 9}, {6, 7}}));
  peer.send("MOVE_ACK:3:reject:wrong_seq\n" + black + game + "HEARTBEAT:\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return !peer.receivedWithKey("HEARTBEAT_ACK").empty(); }));
  EXPECT_EQ(host.count("sync:1"), 2);
  EXPECT_EQ(peer.receivedWithKey("MOVE_ACK"), (std::vector<std::string>{"MOVE_ACK:2:ok", "MOVE_ACK:2:ok"}));
  EXPECT_TRUE(peer.receivedWithKey("SYNC").empty());
  EXPECT_EQ(host.plies(), 2u);
  EXPECT_EQ(host.count("rejected:"), 1);
  EXPECT_EQ(host.controller.getState(), LANSessionState::PLAYING);

  // A move refused after its resend went: the resend's answer does not answer the next
  // move, which has the same number.
  ASSERT_TRUE(host.play(Move{{7, 9}, {6, 7}}));
  clock.advance(6s);
  host.controller.tick();
  ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("MOVE").size() == 4; }));
  peer.send("MOVE_ACK:3:reject:not_your_turn\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("rejected:") == 2; }));
  ASSERT_TRUE(host.play(Move{{0, 6}, {0, 5}}));
  peer.send("MOVE_ACK:3:reject:not_your_turn\nHEARTBEAT:\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("HEARTBEAT_ACK").size() == 2; }));
  EXPECT_EQ(host.plies(), 3u);
  EXPECT_EQ(host.controller.getState(), LANSessionState::WAITING_ACK);
  peer.send("MOVE_ACK:3:ok\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("acked:3") == 1; }));
}

}  // namespace
}  // namespace Tavrune::Test
