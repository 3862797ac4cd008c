// Liveness and reconnection between two real controllers whose lines pass a relay that
// loses, swallows or cuts them; time is the injected clock.
#include <gtest/gtest.h>

#include "lan/LanPeer.h"
#include "lan/ScriptedPeer.h"

namespace Tavrune::Test {
namespace {

using Direction = FaultyRelay::Direction;
using State = LANSessionState;

TEST(LanRecovery, UnacknowledgedMoveIsResentThreeTimesThenTheGameIsLost) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  g.relay->dropNext(Direction::ToClient, "MOVE", 4);
  ASSERT_TRUE(g.host.play(Move{{1, 9}, {2, 7}}));
  for (int second = 1; second <= 19; ++second) {
    g.tickFor(1);
    // Sent at 0 s, again at 5, 10 and 15 s; the peer's heartbeats keep the line alive.
    EXPECT_TRUE(g.pumpUntil([&] {
      return g.relay->arrivedCount(Direction::ToClient, "MOVE") == 1 + second / 5;
    })) << second;
  }
  EXPECT_EQ(g.host.controller.getState(), State::WAITING_ACK);
  g.tickFor(1);
  EXPECT_EQ(g.host.controller.getState(), State::ENDED);
  EXPECT_EQ(g.host.count("status:走棋确认超时，可等待对方重连"), 1);
  EXPECT_EQ(g.host.count("lost"), 1);
  EXPECT_TRUE(g.host.controller.canResume());
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToClient, "MOVE"), 4);
}

TEST(LanRecovery, SilenceWarnsOnceUntilAHeartbeatIsAnsweredAndEndsTheGameAtFifteenSeconds) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  g.relay->stall(true);
  g.tickFor(9);
  EXPECT_EQ(g.host.count("status:对方连接不稳定"), 0);
  g.relay->stall(false);
  g.tickFor(1);  // both warn at 10 s; the heartbeats of that tick are answered
  ASSERT_TRUE(g.pumpUntil([&] {
    return g.relay->forwardedCount(Direction::ToHost, "HEARTBEAT_ACK") == 1 &&
           g.relay->forwardedCount(Direction::ToClient, "HEARTBEAT_ACK") == 1;
  }));
  g.relay->stall(true);
  g.tickFor(9);
  for (LanPeer* peer : {&g.host, &g.client}) EXPECT_EQ(peer->count("status:对方连接不稳定"), 1);
  g.tickFor(1);  // 10 s after the answer: warned again
  g.tickFor(4);
  for (LanPeer* peer : {&g.host, &g.client}) {
    EXPECT_EQ(peer->count("status:对方连接不稳定"), 2);
    EXPECT_EQ(peer->controller.getState(), State::PLAYING);
  }
  g.tickFor(1);
  for (LanPeer* peer : {&g.host, &g.client}) {
    EXPECT_EQ(peer->controller.getState(), State::ENDED);
    EXPECT_EQ(peer->count("status:连接超时中断，可等待对方重连"), 1);
    EXPECT_TRUE(peer->controller.canResume());
  }
}

// A cut in the middle of a game, while the client's move is on its way: both wait; a stray
// program that connects to the waiting host and never says HELLO is dropped after 10 s and
// the wait goes on; the client comes back and its move is played on both boards.
TEST(LanRecovery, CutConnectionResumesWithTheMoveCaughtByTheCut) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_TRUE(g.host.play(Move{{1, 9}, {2, 7}}));
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.controller.getState() == State::PLAYING; }));
  g.relay->dropNext(Direction::ToHost, "MOVE");  // the client's move never reaches the host
  ASSERT_TRUE(g.client.play(OPENING[1]));
  ASSERT_TRUE(g.pumpUntil([&] { return g.relay->arrivedCount(Direction::ToHost, "MOVE") == 1; }));
  g.relay->cut();
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
  EXPECT_EQ(g.client.count("status:连接异常中断，可等待对方重连"), 1);
  for (LanPeer* peer : {&g.host, &g.client}) EXPECT_TRUE(peer->network.peerAddress().empty());
  const std::string clientGame = g.client.fen();

  // A connection that queued while the host was still deciding is not the peer's return.
  ScriptedPeer queued;
  ASSERT_TRUE(queued.connectTo(g.host.network.listeningPort()));
  queued.send("HELLO:guest:resume\n");
  ASSERT_TRUE(g.host.controller.enterReconnectWait(45));
  EXPECT_TRUE(g.host.controller.enterReconnectWait(45));  // already waiting: nothing restarts
  EXPECT_EQ(g.host.controller.getState(), State::HOSTING);
  EXPECT_TRUE(g.pumpUntil([&] { return queued.closed(); }));
  EXPECT_TRUE(queued.received().empty());
  ScriptedPeer stray;
  ASSERT_TRUE(stray.connectTo(g.host.network.listeningPort()));
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.controller.getState() == State::HANDSHAKING; }));
  g.tickFor(10);
  EXPECT_EQ(g.host.controller.getState(), State::HOSTING);
  EXPECT_TRUE(g.pumpUntil([&] { return stray.closed(); }));
  // Only the returning player takes the seat: a stranger's HELLO, a game line before any
  // HELLO, and a stranger's BYE each end only their own connection.
  for (const char* line : {"HELLO:stranger:red\n", "MOVE:3:7,9,6,7,2,0\n", "BYE:stranger\n"}) {
    SCOPED_TRACE(line);
    ScriptedPeer stranger;
    ASSERT_TRUE(stranger.connectTo(g.host.network.listeningPort()));
    ASSERT_TRUE(g.pumpUntil([&] { return g.host.controller.getState() == State::HANDSHAKING; }));
    stranger.send(line);
    EXPECT_TRUE(g.pumpUntil([&] { return stranger.closed(); }));
    EXPECT_TRUE(stranger.received().empty());
    ASSERT_TRUE(g.pumpUntil([&] { return g.host.controller.getState() == State::HOSTING; }));
  }
  EXPECT_EQ(g.host.count("lost"), 1);
  EXPECT_EQ(g.host.count("connected"), 1);

  ASSERT_TRUE(g.client.controller.enterReconnectWait(45));
  EXPECT_EQ(g.client.controller.getState(), State::RECONNECTING);
  g.tickFor(1);
  ASSERT_TRUE(g.pumpUntil([&] {
    return g.client.count("acked:2") == 1 && g.host.controller.getState() == State::PLAYING;
  }));
  EXPECT_EQ(g.host.count("status:对手已重连，正在同步棋局"), 1);
  EXPECT_EQ(g.client.count("status:已重连，正在同步棋局"), 1);
  EXPECT_EQ(g.client.count("status:检测到棋局偏差"), 0);  // nothing was taken back
  EXPECT_EQ(g.host.count("applied:1,0,2,2"), 1);
  EXPECT_EQ(g.client.fen(), clientGame);
  EXPECT_EQ(g.host.fen(), clientGame);
  EXPECT_EQ(g.host.count("ready:") + g.client.count("ready:"), 2);  // no new game
  ASSERT_TRUE(g.host.play(Move{{7, 9}, {6, 7}}));
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.plies() == 3; }));
  EXPECT_EQ(g.host.fen(), g.client.fen());
}

// The other moves a cut can catch, settled when the client comes back: the host's is played
// on the client's board as a move; a client's whose acknowledgement was lost stays, with
// nothing more said; a client's that the host's game cannot take any more is taken back,
// and the client is told.
TEST(LanRecovery, AMoveCaughtByACutIsSettledWhenTheClientReturns) {
  const Move hostFirst{{1, 9}, {2, 7}}, clientFirst{{1, 0}, {2, 2}}, hostSecond{{7, 9}, {6, 7}};
  struct Case {
    const char* name;
    bool hostMoves;
    Direction lostWay;
    const char* lostKey;
    bool hostTakesBackItsMove;  // while both wait
    std::size_t plies;          // on both boards once settled
    std::vector<std::string> clientHears;  // its notices after the cut's
  };
  const Case cases[] = {
      {"host's move", true, Direction::ToClient, "MOVE", false, 3, {"status:已重连，正在同步棋局"}},
      {"client's acknowledgement", false, Direction::ToClient, "MOVE_ACK", false, 2,
       {"status:已重连，正在同步棋局"}},
      {"client's move, host's game changed", false, Direction::ToHost, "MOVE", true, 0,
       {"status:已重连，正在同步棋局", "status:检测到棋局偏差，已自动同步", "status:你的上一步未送达，请重新走棋"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RelayedGame g;
    ASSERT_TRUE(g.start());
    ASSERT_TRUE(g.host.play(hostFirst));
    ASSERT_TRUE(g.pumpUntil([&] { return g.client.plies() == 1 && g.host.controller.getState() == State::PLAYING; }));
    if (c.hostMoves) {
      ASSERT_TRUE(g.client.play(clientFirst));
      ASSERT_TRUE(g.pumpUntil([&] { return g.host.plies() == 2 && g.client.controller.getState() == State::PLAYING; }));
    }
    const int arrived = g.relay->arrivedCount(c.lostWay, c.lostKey);
    g.relay->dropNext(c.lostWay, c.lostKey);
    ASSERT_TRUE(c.hostMoves ? g.host.play(hostSecond) : g.client.play(clientFirst));
    ASSERT_TRUE(g.pumpUntil([&] { return g.relay->arrivedCount(c.lostWay, c.lostKey) == arrived + 1; }));
    g.relay->cut();
    ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
    if (c.hostTakesBackItsMove) g.host.game.undoMove();
    ASSERT_TRUE(g.host.controller.enterReconnectWait(45));
    ASSERT_TRUE(g.client.controller.enterReconnectWait(45));
    for (LanPeer* peer : {&g.host, &g.client}) peer->clearEvents();
    g.tickFor(1);
    ASSERT_TRUE(g.pumpUntil([&] {
      return g.client.controller.getState() == State::PLAYING && g.host.controller.getState() == State::PLAYING &&
             g.client.plies() == c.plies && g.host.plies() == c.plies;
    }));
    g.tickFor(1);  // the answer to the client's request for the host's game, too
    EXPECT_EQ(g.client.fen(), g.host.fen());
    std::vector<std::string> heard;
    for (const std::string& event : g.client.events()) {
      if (event.rfind("status:", 0) == 0) heard.push_back(event);
    }
    EXPECT_EQ(heard, c.clientHears);
    // The host's move is heard as a move; nothing is played twice.
    EXPECT_EQ(g.client.count("applied:7,9,6,7"), c.hostMoves ? 1 : 0);
    EXPECT_EQ(g.host.count("applied:"), 0);
  }
}

// Both wait after a cut, and the client returns: its steps until the host's game arrives.
// After the host's first move, the client's reply never reaches the host and the
// connection breaks: the move is in doubt.
void catchTheClientsMoveInACut(RelayedGame& g) {
  ASSERT_TRUE(g.playOpening(1));
  g.relay->dropNext(Direction::ToHost, "MOVE");
  ASSERT_TRUE(g.client.play(OPENING[1]));
  ASSERT_TRUE(g.pumpUntil([&] { return g.relay->arrivedCount(Direction::ToHost, "MOVE") == 1; }));
  g.relay->cut();
}

void returnAfterACut(RelayedGame& g) {
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
  g.host.clearEvents();
  g.client.clearEvents();
  ASSERT_TRUE(g.host.controller.enterReconnectWait(45));
  ASSERT_TRUE(g.client.controller.enterReconnectWait(45));
  g.clock.advance(std::chrono::seconds(2));
  g.client.controller.tick();
  ASSERT_TRUE(pumpUntil({&g.client}, [&] { return g.client.controller.getState() == State::HANDSHAKING; }));
}

// The host moves the moment the client is back, before the client has its game: the
// client waits for the game the host sends with its answer and asks for no second copy,
// which would leave that move out; the move is on both boards and play goes on. A request
// open at the cut is forgotten there, and asked again it is put to the player again.
TEST(LanRecovery, AHostsMoveRightAfterTheReturnIsOnBothBoards) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_TRUE(g.playOpening(2));
  ASSERT_EQ(g.host.controller.requestUndo(), LanRequestResult::Sent);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.controller.peerRequestOpen(LanRequestKind::Undo); }));
  g.relay->cut();
  returnAfterACut(g);
  EXPECT_FALSE(g.client.controller.peerRequestOpen(LanRequestKind::Undo));
  ASSERT_TRUE(pumpUntil({&g.host}, [&] { return g.host.controller.getState() == State::PLAYING; }));
  ASSERT_TRUE(g.host.play(OPENING[2]));
  ASSERT_TRUE(g.pumpUntil([&] {
    return g.client.plies() == 3 && g.host.controller.getState() == State::PLAYING &&
           g.client.controller.getState() == State::PLAYING;
  }));
  g.tickFor(2);
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToHost, "SYNC_REQ"), 0);
  EXPECT_EQ(g.client.count("status:检测到棋局偏差"), 0);
  EXPECT_EQ(g.client.fen(), g.host.fen());
  ASSERT_TRUE(g.client.play(OPENING[3]));
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.plies() == 4; }));
  EXPECT_EQ(g.client.fen(), g.host.fen());
  ASSERT_EQ(g.host.controller.requestUndo(), LanRequestResult::Sent);
  EXPECT_TRUE(g.pumpUntil([&] { return g.client.count("undoRequested") == 1; }));
}

// The client's move is in doubt when the connection breaks, and breaks again before the
// host's game arrives: the move stays in doubt and is settled at the next return.
TEST(LanRecovery, AMoveInDoubtOutlivesASecondCut) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_NO_FATAL_FAILURE(catchTheClientsMoveInACut(g));
  // The host's game is lost on the way, and so would be a second copy asked for.
  g.relay->dropNext(Direction::ToClient, "SYNC");
  g.relay->dropNext(Direction::ToHost, "SYNC_REQ");
  returnAfterACut(g);
  ASSERT_TRUE(g.pumpUntil([&] { return g.relay->arrivedCount(Direction::ToClient, "SYNC") == 1; }));
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.controller.getState() == State::WAITING_SYNC; }));
  g.relay->cut();
  returnAfterACut(g);
  ASSERT_TRUE(g.pumpUntil([&] {
    return g.host.plies() == 2 && g.client.controller.getState() == State::PLAYING &&
           g.host.controller.getState() == State::PLAYING;
  }));
  EXPECT_EQ(g.host.count("applied:1,0,2,2"), 1);
  EXPECT_EQ(g.client.count("status:检测到棋局偏差"), 0);
  EXPECT_EQ(g.client.count("status:你的上一步未送达"), 0);
  EXPECT_EQ(g.client.fen(), g.host.fen());
}

// The host's game sent at the return is lost, and the client's wait for it runs out with its
// move caught by the cut still unsettled: it asks again, and the answer settles the move.
TEST(LanRecovery, AReturnsSyncLaterThanTheFallBackIsAskedForAgain) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_NO_FATAL_FAILURE(catchTheClientsMoveInACut(g));
  g.relay->dropNext(Direction::ToClient, "SYNC");
  returnAfterACut(g);
  ASSERT_TRUE(g.pumpUntil([&] {
    return g.relay->arrivedCount(Direction::ToClient, "SYNC") == 1 && g.client.controller.getState() == State::WAITING_SYNC;
  }));
  g.tickFor(10);
  ASSERT_TRUE(g.pumpUntil([&] {
    return g.host.plies() == 2 && g.client.controller.getState() == State::PLAYING &&
           g.host.controller.getState() == State::PLAYING;
  }));
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToHost, "SYNC_REQ"), 1);
  EXPECT_EQ(g.host.count("applied:1,0,2,2"), 1);
  EXPECT_EQ(g.client.fen(), g.host.fen());
}

// The host's move never reaches the client: the link stalls, then breaks. At the return the
// host's game, sent right after its answer, comes only after the client's wait for it has
// run out: it is still taken, the move is heard on the client's board, and play goes on.
TEST(LanRecovery, AReturnsSyncLaterThanTheFallBackIsStillTaken) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_TRUE(g.playOpening(4));
  g.relay->hold(Direction::ToClient);
  ASSERT_TRUE(g.host.play(Move{{0, 6}, {0, 5}}));
  ASSERT_TRUE(g.pumpUntil([&] { return g.relay->arrivedCount(Direction::ToClient, "MOVE") == 3; }));
  g.relay->cut();
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
  g.relay->hold(Direction::ToClient, "SYNC");
  returnAfterACut(g);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.controller.getState() == State::WAITING_SYNC; }));
  g.tickFor(10);
  ASSERT_EQ(g.client.controller.getState(), State::PLAYING);
  g.relay->release(Direction::ToClient);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.plies() == 5; }));
  EXPECT_EQ(g.client.count("applied:0,6,0,5"), 1);
  EXPECT_EQ(g.client.fen(), g.host.fen());
  ASSERT_TRUE(g.client.play(Move{{0, 3}, {0, 4}}));
  EXPECT_TRUE(g.pumpUntil([&] { return g.host.plies() == 6; }));
}

// The host's game sent at the return does not check out (its moves do not lead to its
// position): none of it is played or said, and the client's game stays as it was.
TEST(LanRecovery, AReturnsSyncThatDoesNotCheckOutLeavesTheGameAsItWas) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_TRUE(g.playOpening(2));
  g.relay->dropNext(Direction::ToClient, "MOVE");
  ASSERT_TRUE(g.host.play(OPENING[2]));
  ASSERT_TRUE(g.pumpUntil([&] { return g.relay->arrivedCount(Direction::ToClient, "MOVE") == 2; }));
  g.relay->cut();
  const std::string clientGame = g.client.fen();
  std::string bad = LanProtocol::makeSync(STANDARD_START_FEN, g.host.game.getMoveHistory());
  if (!bad.empty() && bad.back() == '\n') bad.pop_back();
  g.relay->replaceNext(Direction::ToClient, "SYNC", bad);
  returnAfterACut(g);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.count("sync:") == 1; }));
  EXPECT_EQ(g.client.count("sync:0"), 1);
  EXPECT_EQ(g.client.count("applied:"), 0);
  EXPECT_EQ(g.client.fen(), clientGame);
  EXPECT_EQ(g.client.plies(), 2u);
}

// The client's first attempt reaches the host before the host has decided to wait: it is
// queued there and dropped when the wait begins. The client tries again rather than losing
// the game a second time.
TEST(LanRecovery, ClientQueuedBeforeTheHostWaitsTriesAgain) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  g.relay->cut();
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
  ASSERT_TRUE(g.client.controller.enterReconnectWait(45));
  g.tickFor(1);
  ASSERT_TRUE(g.pumpUntil([&] { return g.relay->forwardedCount(Direction::ToHost, "HELLO") == 2; }));
  EXPECT_EQ(g.client.controller.getState(), State::HANDSHAKING);
  ASSERT_TRUE(g.host.controller.enterReconnectWait(45));
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.controller.getState() != State::HANDSHAKING; }));
  EXPECT_EQ(g.client.controller.getState(), State::RECONNECTING);
  EXPECT_EQ(g.client.count("connected"), 1);  // the dropped try connected no one
  g.tickFor(2);
  ASSERT_TRUE(g.pumpUntil([&] {
    return g.client.controller.getState() == State::PLAYING && g.host.controller.getState() == State::PLAYING;
  }));
  EXPECT_EQ(g.client.count("lost"), 1);
  EXPECT_EQ(g.host.count("status:对手已重连，正在同步棋局"), 1);
  // Once per completed handshake, the first and the resumed one, on both sides.
  EXPECT_EQ(g.client.count("connected"), 2);
  EXPECT_EQ(g.host.count("connected"), 2);
}

// The host declines to wait; the client's wait meets something that accepts the connection
// but never answers: each such handshake is dropped after 10 s and retried, until the
// deadline ends the session.
TEST(LanRecovery, ClientWaitEndsAtTheDeadline) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  g.relay->cut();
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
  g.host.controller.declineReconnect();
  g.relay->blackhole(true);
  EXPECT_FALSE(g.host.controller.canResume());
  EXPECT_FALSE(g.host.controller.enterReconnectWait(45));
  ASSERT_TRUE(g.client.controller.enterReconnectWait(0));  // 45 s
  EXPECT_TRUE(g.client.controller.enterReconnectWait(100));  // a second call changes nothing
  bool sawHandshake = false;
  for (int second = 1; second < 45; ++second) {
    // A wait that is not handshaking tries the next tick: its last try is long past.
    const bool tries = g.client.controller.getState() == State::RECONNECTING;
    g.tickFor(1);
    if (tries) {
      ASSERT_TRUE(g.pumpUntil([&] { return g.client.controller.getState() == State::HANDSHAKING; })) << second;
    }
    const State state = g.client.controller.getState();
    ASSERT_TRUE(state == State::RECONNECTING || state == State::HANDSHAKING) << second;
    sawHandshake = sawHandshake || state == State::HANDSHAKING;
  }
  EXPECT_TRUE(sawHandshake);
  EXPECT_GE(g.relay->linksAccepted(), 3);  // one attempt, then a new one after each 10 s
  g.tickFor(1);
  EXPECT_EQ(g.client.controller.getState(), State::ENDED);
  EXPECT_EQ(g.client.count("status:重连等待超时"), 1);
  EXPECT_EQ(g.client.count("lost"), 2);
  EXPECT_FALSE(g.client.controller.canResume());
}

// The guest's program is closed mid-game and started again; the host waits. The new program
// joins afresh under the same name: the host seats it on its side, whatever side it asks
// for, and sends its game, which the new program takes once the window has set its game up.
// Play goes on from whoever is to move.
TEST(LanRecovery, AGuestWhoseProgramWasClosedRejoinsByName) {
  for (const int plies : {2, 3}) {
    SCOPED_TRACE(plies % 2 == 0 ? "host to move" : "guest to move");
    RelayedGame g;
    ASSERT_TRUE(g.start());
    ASSERT_TRUE(g.playOpening(plies));
    g.relay->cut();
    ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1 && g.client.count("lost") == 1; }));
    ASSERT_TRUE(g.host.controller.enterReconnectWait(45));
    LanPeer restarted(g.clock);
    ASSERT_TRUE(restarted.controller.joinRoom("guest", "red", "127.0.0.1", g.relay->port()));
    ASSERT_TRUE(pumpUntil({&g.host, &restarted}, [&] { return restarted.count("sync:") == 1; }));
    EXPECT_EQ(restarted.count("sync:1"), 1);
    EXPECT_EQ(restarted.count("ready:2:host"), 1);
    EXPECT_EQ(restarted.count("status:已重新加入对局"), 1);
    EXPECT_EQ(g.host.count("status:对手已重连，正在同步棋局"), 1);
    EXPECT_EQ(g.host.count("ready:"), 1);  // the host keeps its game
    EXPECT_EQ(restarted.fen(), g.host.fen());
    EXPECT_EQ(restarted.plies(), static_cast<std::size_t>(plies));
    EXPECT_EQ(restarted.controller.getMoveSeq(), plies);
    LanPeer& mover = plies % 2 == 0 ? g.host : restarted;
    LanPeer& other = plies % 2 == 0 ? restarted : g.host;
    ASSERT_TRUE(mover.play(OPENING[plies]));
    ASSERT_TRUE(pumpUntil({&g.host, &restarted}, [&] {
      return other.plies() == plies + 1u && mover.controller.getState() == State::PLAYING;
    }));
    EXPECT_EQ(restarted.fen(), g.host.fen());
  }
}

}  // namespace
}  // namespace Tavrune::Test
