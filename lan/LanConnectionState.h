#pragma once
// What belongs to one connection with the peer, as opposed to the game the session carries
// across a cut. The session makes a new one whenever it adopts a connection, host or guest,
// first or returning, so no count or expectation of an earlier connection reaches the next.
#include <bitset>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "lan/LanProtocol.h"

namespace Tavrune {

struct LanConnectionState {
  using TimePoint = std::chrono::steady_clock::time_point;

  // The transport's number of the connection; 0 for none.
  uint64_t number = 0;
  // The kinds of line ignored on this connection, each logged once.
  std::bitset<static_cast<std::size_t>(LanMessageType::UNKNOWN) + 1> ignoredKinds;
  // The transport's count of bytes queued on this connection once our answer to the peer's
  // last SYNC_REQ was: a new request before they have left means a peer that asks and does
  // not read.
  uint64_t syncAnswerQueuedThrough = 0;
  // The peer's SYNC is due (our request, its refusal of our move, or the host's answer to
  // our return); the first that comes settles it.
  bool syncAwaited = false;
  TimePoint syncRequestedAt;
  // Client: resumed, the host's first SYNC is still to come.
  bool resumeSyncDue = false;
  // Client, joined afresh: nothing has been heard since HELLO_ACK, so a SYNC now is
  // the host seating a returning player; held until the window has set up the game.
  bool rejoinSyncMayFollow = false;
  std::optional<LanMessage> heldRejoinSync;
  // Requests asked and not yet answered, either way.
  bool remoteUndoRequested = false;
  bool remoteDrawRequested = false;
  bool localUndoRequested = false;
  bool localDrawRequested = false;
  // The peer asked again before the answer; logged once per open request.
  bool remoteUndoRepeated = false;
  bool remoteDrawRepeated = false;
  TimePoint handshakeStartedAt;
  TimePoint lastHeartbeatSent;
  TimePoint lastReceived;
  bool unstableWarned = false;
  // The peer's moves and requests that came while a SYNC was due, in arrival order: handled
  // once the wait ends, against the board the SYNC left.
  std::vector<LanMessage> heldLines;
  // Our move taken off the board before its answer came; the answer still settles it. An
  // agreed undo took it with the peer's ply before it, so a refusal takes back one more.
  int32_t takenBackMoveSeq = 0;
  bool takenBackByUndo = false;
  int takenBackResends = 0;
  // The peer's answers still due to resends of our last settled move, whose number a
  // later move may take again, and whether the peer accepted its first copy.
  int32_t resentSeq = 0;
  int answersToResendsOwed = 0;
  bool resentMoveAccepted = false;
  // Heartbeats sent and answered on this connection. After a crossing settled our undo
  // request, an acceptance of it may still be on its way: no acceptance is taken until the
  // peer has answered the heartbeat sent then.
  uint64_t heartbeatsSent = 0;
  uint64_t heartbeatsAnswered = 0;
  uint64_t undoFenceLiftsAt = 0;
  // The peer's plies an undo agreed here took back: until the peer has answered the
  // heartbeat sent before our agreement (or, for a crossing, has accepted ours), a MOVE
  // equal to one of them is a resend sent before our acknowledgement of it arrived.
  std::vector<std::pair<int32_t, Move>> takenBackPeerPlies;
  uint64_t resendFenceLiftsAt = 0;
  bool resendFenceLiftsOnAcceptance = false;
  // A SYNC the peer sent before it took those plies back was not adopted: its game is asked
  // for again once it has.
  bool syncAfterAgreedUndo = false;
};

}  // namespace Tavrune
