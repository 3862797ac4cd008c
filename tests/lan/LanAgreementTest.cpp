// Draw, undo, resignation and leaving between two real controllers: each is agreed by
// both sides or refused, and never changes one board alone.
#include <gtest/gtest.h>

#include "game/Board.h"
#include "lan/LanPeer.h"
#include "lan/ScriptedPeer.h"

namespace Tavrune::Test {
namespace {

using Direction = FaultyRelay::Direction;
using State = LANSessionState;

// Two requests of one kind that cross, in whatever order: each board changes once, both
// end equal, each player hears the agreement once, and no question about either request
// is left to put.
TEST(LanAgreement, CrossingRequestsSettleOnceOnEachSide) {
  enum class Order {
    AtOnce,                // neither has the other's request yet
    ClientAskedTheHostsFirst,  // the host's request waits as a question when the client asks
    ClientAnsweredFirst,   // and the client answers that question before the agreement arrives
  };
  struct Case {
    const char* name;
    LanRequestKind kind;
    Order order;
    int clientHearsAgreement;  // the client's own Yes is heard as its answer instead
  };
  const Case cases[] = {
      {"undo, at once", LanRequestKind::Undo, Order::AtOnce, 1},
      {"undo, host's question waiting", LanRequestKind::Undo, Order::ClientAskedTheHostsFirst, 1},
      {"undo, host's question answered", LanRequestKind::Undo, Order::ClientAnsweredFirst, 0},
      {"draw, at once", LanRequestKind::Draw, Order::AtOnce, 1},
      {"draw, host's question waiting", LanRequestKind::Draw, Order::ClientAskedTheHostsFirst, 1},
      {"draw, host's question answered", LanRequestKind::Draw, Order::ClientAnsweredFirst, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool undo = c.kind == LanRequestKind::Undo;
    RelayedGame g;
    ASSERT_TRUE(g.start());
    ASSERT_TRUE(g.playOpening(4));
    const auto request = [undo](LanPeer& peer) {
      return undo ? peer.controller.requestUndo() : peer.controller.requestDraw();
    };
    ASSERT_EQ(request(g.host), LanRequestResult::Sent);
    if (c.order != Order::AtOnce) {
      ASSERT_TRUE(pumpUntil({&g.client}, [&] { return g.client.controller.peerRequestOpen(c.kind); }));
    }
    ASSERT_EQ(request(g.client), LanRequestResult::Sent);
    if (c.order == Order::ClientAnsweredFirst) {
      ASSERT_EQ(undo ? g.client.controller.respondUndo(true) : g.client.controller.respondDraw(true),
                LanRequestResult::Sent);
    }
    const std::string agreed = undo ? "undoResponse:" : "drawResponse:";
    ASSERT_TRUE(g.pumpUntil([&] {
      return g.host.count(agreed) == 1 && g.client.count(agreed) == c.clientHearsAgreement;
    }));
    g.tickFor(1);  // the late acceptances have been handled (and dropped)
    for (LanPeer* peer : {&g.host, &g.client}) {
      EXPECT_EQ(peer->count(agreed + "1"), peer == &g.client ? c.clientHearsAgreement : 1);
      EXPECT_EQ(peer->count(agreed + "0"), 0);
      EXPECT_FALSE(peer->controller.peerRequestOpen(c.kind));
      if (undo) {
        EXPECT_EQ(peer->plies(), 2u);  // two plies each, not four
        EXPECT_EQ(peer->controller.getMoveSeq(), 2);
      } else {
        EXPECT_EQ(peer->game.getGameState(), DRAW);
        EXPECT_EQ(peer->controller.getState(), State::ENDED);
      }
    }
    EXPECT_EQ(g.host.fen(), g.client.fen());
  }
}

// Crossed undo requests settle by the host's automatic acceptance while the client's, on
// its way, answers a request the crossing closed: the host's next press waits until that
// answer is behind it, so it never takes two more plies back alone.
TEST(LanAgreement, AnAcceptanceOfASettledUndoRequestAnswersNoNewerOne) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_TRUE(g.playOpening(4));
  ASSERT_EQ(g.host.controller.requestUndo(), LanRequestResult::Sent);
  ASSERT_EQ(g.client.controller.requestUndo(), LanRequestResult::Sent);
  // Only the host has handled the other's request so far.
  ASSERT_TRUE(pumpUntil({&g.host}, [&] { return g.host.count("undoResponse:1") == 1; }));
  EXPECT_EQ(g.host.controller.requestUndo(), LanRequestResult::StillWaiting);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.count("undoResponse:1") == 1; }));
  // Once the peer has answered the heartbeat, a press is a new request again.
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.controller.requestUndo() == LanRequestResult::Sent; }));
  EXPECT_EQ(g.host.plies(), 2u);
  EXPECT_EQ(g.client.plies(), 2u);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.count("undoRequested") == 1; }));
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToClient, "UNDO_REQ"), 2);  // the first and this one
  EXPECT_EQ(g.host.fen(), g.client.fen());
}

// The host's move is on its way when an undo is agreed, so the move is among the plies
// taken back: it is not sent again, and its answer settles it. The client had it (its
// acknowledgement is lost here), or it had taken its plies back first and refuses it.
TEST(LanAgreement, AMoveTakenBackByAnAgreedUndoIsNotResent) {
  const struct {
    const char* name;
    bool hostAsks;  // else the client asks and the host agrees
    std::size_t plies;
  } cases[] = {{"client asks, host agrees", false, 3}, {"host asks, client agrees", true, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RelayedGame g;
    ASSERT_TRUE(g.start());
    ASSERT_TRUE(g.playOpening(4));
    LanPeer& asker = c.hostAsks ? g.host : g.client;
    LanPeer& agreer = c.hostAsks ? g.client : g.host;
    ASSERT_EQ(asker.controller.requestUndo(), LanRequestResult::Sent);
    ASSERT_TRUE(pumpUntil({&agreer}, [&] { return agreer.count("undoRequested") == 1; }));
    if (!c.hostAsks) g.relay->dropNext(Direction::ToHost, "MOVE_ACK");
    ASSERT_TRUE(g.host.play(Move{{0, 6}, {0, 5}}));
    ASSERT_EQ(agreer.controller.respondUndo(true), LanRequestResult::Sent);
    ASSERT_TRUE(g.pumpUntil([&] {
      return asker.count("undoResponse:1") == 1 && g.host.plies() == c.plies && g.client.plies() == c.plies &&
             g.host.controller.getState() == State::PLAYING;
    }));
    g.tickFor(6);
    EXPECT_EQ(g.relay->arrivedCount(Direction::ToClient, "MOVE"), 3);
    for (LanPeer* peer : {&g.host, &g.client}) {
      EXPECT_EQ(peer->plies(), c.plies);
      EXPECT_EQ(peer->controller.getState(), State::PLAYING);
      EXPECT_EQ(peer->count("rejected:") + peer->count("status:"), 0);
    }
    EXPECT_EQ(g.host.fen(), g.client.fen());
  }
}

TEST(LanAgreement, RequestsAnswersResignationAndLeaving) {
  RelayedGame g;
  ASSERT_TRUE(g.start());
  ASSERT_TRUE(g.playOpening(1));
  // One ply: nothing is sent, and the caller is told why.
  EXPECT_EQ(g.host.controller.requestUndo(), LanRequestResult::TooFewPlies);
  EXPECT_EQ(g.client.controller.requestUndo(), LanRequestResult::TooFewPlies);
  g.tickFor(1);
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToHost, "UNDO_REQ") +
                g.relay->arrivedCount(Direction::ToClient, "UNDO_REQ"), 0);

  ASSERT_TRUE(g.client.play(OPENING[1]));
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.plies() == 2; }));
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.controller.getState() == State::PLAYING; }));
  // Pressed again before the answer: nothing more is sent, the request is still waiting.
  EXPECT_EQ(g.client.controller.requestUndo(), LanRequestResult::Sent);
  EXPECT_EQ(g.client.controller.requestUndo(), LanRequestResult::StillWaiting);
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("undoRequested") == 1; }));
  g.host.controller.respondUndo(true);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.count("undoResponse:1") == 1; }));
  EXPECT_EQ(g.host.plies(), 0u);
  EXPECT_EQ(g.client.plies(), 0u);
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToHost, "UNDO_REQ"), 1);

  EXPECT_EQ(g.host.controller.requestDraw(), LanRequestResult::Sent);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(g.host.controller.requestDraw(), LanRequestResult::StillWaiting);
  ASSERT_TRUE(g.pumpUntil([&] { return g.client.count("drawRequested") == 1; }));
  g.tickFor(1);
  EXPECT_EQ(g.relay->arrivedCount(Direction::ToClient, "DRAW_REQ"), 1);
  EXPECT_EQ(g.client.count("drawRequested"), 1);
  g.client.controller.respondDraw(false);
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("drawResponse:0") == 1; }));
  EXPECT_EQ(g.host.game.getGameState(), PLAYING);

  // An offer still open when the connection breaks cannot be accepted any more.
  g.client.controller.requestDraw();
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("drawRequested") == 1; }));
  g.relay->cut();
  ASSERT_TRUE(g.pumpUntil([&] { return g.host.count("lost") == 1; }));
  EXPECT_EQ(g.host.controller.respondDraw(true), LanRequestResult::NotNow);
  EXPECT_EQ(g.host.game.getGameState(), PLAYING);
  EXPECT_EQ(g.host.controller.requestDraw(), LanRequestResult::NotNow);
  EXPECT_EQ(g.host.controller.resign(), LanRequestResult::NotNow);

  RelayedGame second;
  ASSERT_TRUE(second.start());
  const int roomPort = second.host.network.listeningPort();
  second.client.controller.resign();
  ASSERT_TRUE(second.pumpUntil([&] { return second.host.count("resigned") == 1; }));
  for (LanPeer* peer : {&second.host, &second.client}) {
    EXPECT_EQ(peer->game.getGameState(), RED_WIN);
    EXPECT_EQ(peer->controller.getState(), State::ENDED);
  }
  // The room has ended: a guest arriving now is not taken in.
  LanPeer late(second.clock);
  ASSERT_TRUE(late.controller.joinRoom("late", "random", "127.0.0.1", roomPort));
  EXPECT_TRUE(pumpUntil({&late}, [&] { return late.count("connectFailed") == 1; }));
  EXPECT_EQ(late.controller.getState(), State::IDLE);
  second.client.controller.leaveRoom();
  ASSERT_TRUE(second.pumpUntil([&] { return second.host.count("lost") == 1; }));
  EXPECT_EQ(second.host.count("status:对方主动离开(manual_leave)"), 1);
  EXPECT_FALSE(second.host.controller.canResume());
  EXPECT_FALSE(second.host.controller.enterReconnectWait(45));
}

// The host (Red) and a scripted guest play `plies` of these moves, each acknowledged.
const Move SCRIPTED_GAME[] = {OPENING[0], OPENING[1], OPENING[2], OPENING[3], {{0, 6}, {0, 5}}};
std::string movedText(int ply) { return LanProtocol::moveToText(SCRIPTED_GAME[ply - 1]); }
// The peer's game after the script's first `plies`.
std::string scriptedSync(int plies) {
  Board board;
  board.setupInitialPosition();
  const std::vector<Move> moves(SCRIPTED_GAME, SCRIPTED_GAME + plies);
  for (Move move : moves) {
    move.piece = board.getPiece(move.from);
    board.movePiece(move);
  }
  return LanProtocol::makeSync(board.toFEN(), moves);
}

void playScripted(LanPeer& host, ScriptedPeer& peer, int plies) {
  ASSERT_TRUE(hostScriptedGuest(host, peer, "HELLO:older:black\n"));
  EXPECT_EQ(host.count("ready:1:older"), 1);
  for (int i = 0; i < plies; ++i) {
    if (i % 2 == 0) {
      ASSERT_TRUE(host.play(SCRIPTED_GAME[i]));
      ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("MOVE").size() == i / 2 + 1u; }));
      peer.send("MOVE_ACK:" + std::to_string(i + 1) + ":ok\n");
    } else {
      peer.send("MOVE:" + std::to_string(i + 1) + ":" + movedText(i + 1) + "\n");
    }
    ASSERT_TRUE(pumpUntil({&host}, [&] {
      return host.plies() == i + 1u && host.controller.getState() == State::PLAYING;
    }));
  }
}

// The host agrees to an undo of its move and the peer's before it; the peer's resend of
// that move, sent before our acknowledgement reached it, comes after the agreement. It is
// answered as the first copy was, not played as the peer's next move; the same move played
// once the peer has heard of the undo is.
TEST(LanAgreement, AResendOfAMoveTheAgreedUndoTookBackIsNotPlayedAgain) {
  ManualClock clock;
  LanPeer host(clock);
  ScriptedPeer peer;
  ASSERT_NO_FATAL_FAILURE(playScripted(host, peer, 5));
  peer.send("UNDO_REQ:\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("undoRequested") == 1; }));
  ASSERT_EQ(host.controller.respondUndo(true), LanRequestResult::Sent);
  peer.send("MOVE:4:" + movedText(4) + "\nHEARTBEAT:\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return !peer.receivedWithKey("HEARTBEAT_ACK").empty(); }));
  EXPECT_EQ(host.plies(), 3u);
  EXPECT_EQ(peer.receivedWithKey("MOVE_ACK").size(), 3u);  // moves 2 and 4, and the resend as the first
  peer.send("HEARTBEAT_ACK:\nMOVE:4:" + movedText(4) + "\n");
  EXPECT_TRUE(pumpUntil({&host}, [&] { return host.plies() == 4u && peer.receivedWithKey("MOVE_ACK").size() == 4u; }));
}

// The host's move is resent while the link stalls; the peer asks for an undo and the host
// agrees, taking that move back. What the peer sent before it had the agreement (its answers
// to both copies, its game) does not bring the move back: after a first copy accepted the
// resend's refusal tells nothing new; after a first copy refused the peer's game is asked
// for again once it has the agreement.
TEST(LanAgreement, AnAgreedUndoStandsAgainstTheGameThePeerSentBeforeItHadTheAgreement) {
  for (const bool firstAccepted : {true, false}) {
    SCOPED_TRACE(firstAccepted ? "first copy accepted" : "first copy refused");
    ManualClock clock;
    LanPeer host(clock);
    ScriptedPeer peer;
    ASSERT_NO_FATAL_FAILURE(playScripted(host, peer, 4));
    ASSERT_TRUE(host.play(SCRIPTED_GAME[4]));
    clock.advance(std::chrono::seconds(6));
    host.controller.tick();
    peer.send("UNDO_REQ:\n");
    ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("undoRequested") == 1; }));
    ASSERT_EQ(host.controller.respondUndo(true), LanRequestResult::Sent);
    // The tick's heartbeat and the agreement's, after the move and its resend.
    ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("HEARTBEAT").size() == 2; }));
    const int peersPlies = firstAccepted ? 5 : 4, plies = peersPlies - 2;
    const std::string refusal =
        std::string("MOVE_ACK:5:reject:") + (firstAccepted ? "wrong_seq\n" : "illegal_move\n") + scriptedSync(peersPlies);
    peer.send((firstAccepted ? "MOVE_ACK:5:ok\n" : refusal) + refusal + "HEARTBEAT_ACK:\nHEARTBEAT_ACK:\n");
    if (!firstAccepted) {
      ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("SYNC_REQ").size() == 1; }));
      peer.send(scriptedSync(plies));  // once it has the agreement
    }
    peer.send("HEARTBEAT:\n");
    ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("HEARTBEAT_ACK").size() == 1; }));
    EXPECT_EQ(host.plies(), static_cast<std::size_t>(plies));
    EXPECT_EQ(host.count("status:检测到棋局偏差"), 0);
    // Whoever is to move may move.
    if (plies % 2 == 0) {
      EXPECT_TRUE(host.controller.canSendMove());
    } else {
      peer.send("MOVE:" + std::to_string(plies + 1) + ":" + movedText(plies + 1) + "\n");
      EXPECT_TRUE(pumpUntil({&host}, [&] { return host.plies() == plies + 1u; }));
    }
  }
}

// While the host waits for the peer's game, the peer's crossing undo request and its
// acceptance of ours are held; its SYNC, sent after both, already has the plies taken
// back, so none go back again and no question is left to put.
TEST(LanAgreement, AnUndoSettledBeforeTheAwaitedSyncIsCarriedOutByItAlone) {
  ManualClock clock;
  LanPeer host(clock);
  ScriptedPeer peer;
  ASSERT_NO_FATAL_FAILURE(playScripted(host, peer, 4));
  ASSERT_TRUE(host.play(SCRIPTED_GAME[4]));
  ASSERT_EQ(host.controller.requestUndo(), LanRequestResult::Sent);
  peer.send("MOVE_ACK:5:reject:wrong_seq\nUNDO_REQ:\nUNDO_ACK:accept\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.controller.getState() == State::WAITING_SYNC; }));
  peer.send(scriptedSync(2));  // the peer took back two
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("sync:") == 1; }));
  EXPECT_EQ(host.count("undoResponse:1"), 1);
  EXPECT_EQ(host.count("undoRequested"), 0);
  EXPECT_EQ(host.plies(), 2u);
  EXPECT_EQ(host.controller.getMoveSeq(), 2);
  EXPECT_TRUE(peer.receivedWithKey("UNDO_ACK").empty());
}

// Against a peer that settles simultaneous undo requests twice (four plies back), the
// boards stay two plies apart until the next move's "wrong_seq" and SYNC repair them.
TEST(LanAgreement, DoubleUndoOfAnOlderPeerIsRepairedByTheNextMove) {
  ManualClock clock;
  LanPeer host(clock);
  ScriptedPeer peer;
  ASSERT_NO_FATAL_FAILURE(playScripted(host, peer, 4));
  host.controller.requestUndo();
  peer.send("UNDO_REQ:\nUNDO_ACK:accept\n");  // its own request, then its acceptance of ours
  ASSERT_TRUE(pumpUntil({&host}, [&] { return !peer.receivedWithKey("UNDO_ACK").empty(); }));
  peer.send("HEARTBEAT:\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return !peer.receivedWithKey("HEARTBEAT_ACK").empty(); }));
  EXPECT_EQ(host.plies(), 2u);  // the peer is back at the opening

  ASSERT_TRUE(host.play(OPENING[2]));
  ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("MOVE").size() == 3; }));
  peer.send("MOVE_ACK:3:reject:wrong_seq\n" + LanProtocol::makeSync(STANDARD_START_FEN, {}));
  ASSERT_TRUE(pumpUntil({&host}, [&] { return host.count("sync:") == 1; }));
  EXPECT_EQ(host.count("sync:1"), 1);
  EXPECT_EQ(host.count("status:检测到棋局偏差，已自动同步"), 1);
  EXPECT_EQ(host.plies(), 0u);
  EXPECT_EQ(host.fen(), STANDARD_START_FEN);
  EXPECT_EQ(host.controller.getMoveSeq(), 0);
  peer.send("HEARTBEAT:\n");
  ASSERT_TRUE(pumpUntil({&host}, [&] { return peer.receivedWithKey("HEARTBEAT_ACK").size() == 2; }));
  EXPECT_TRUE(peer.receivedWithKey("SYNC_REQ").empty());  // the SYNC came with the refusal
}

}  // namespace
}  // namespace Tavrune::Test
