// Liveness and reconnection: heartbeats, silence, the handshake's time-out and the wait for
// a lost peer to come back.
#include "lan/LANGameController.h"

#include <utility>

#include "core/Log.h"
#include "lan/LanTimings.h"
#include "lan/Network.h"

namespace Tavrune {

using State = LANSessionState;

void LANGameController::tick() {
  AfterUnlock after;
  {
    std::lock_guard<std::mutex> guard(mutex);
    if (state == State::IDLE || state == State::ENDED) return;
    const uint64_t connection = link.number;
    if (waitingReconnect && now() >= reconnectDeadline) {
      reconnectDeadlinePassed();
    } else {
      if ((state == State::PLAYING || state == State::WAITING_ACK) &&
          now() - link.lastHeartbeatSent >= LanTimings::HEARTBEAT_INTERVAL) {
        sendHeartbeat();
      }
      checkHandshakeTimeout();
      // A new attempt waits for the next tick, after the connection given up here is closed.
      if (link.number == connection) {
        checkConnectionHealth();
        if (state == State::WAITING_ACK) checkMoveAck();
      }
    }
    // Whatever this tick gave up (a silent peer, a handshake that never came) is closed.
    after = takeDeferred();
  }
  // Outside the lock: both wait for threads whose work may want it.
  finishUnlocked(after);
}

// A connection that never completes the handshake (a stray program on the game port) must
// not hold the room or the joining player for ever. A host's room and a reconnection wait
// go on without it; a first join ends, not resumable.
void LANGameController::checkHandshakeTimeout() {
  if (state != State::HANDSHAKING) return;
  if (now() - link.handshakeStartedAt < LanTimings::HANDSHAKE_TIMEOUT) return;
  if (abandonHandshake()) {
    logWarning("LANGameController: 握手超时，继续等待");
    return;
  }
  logWarning("LANGameController: 握手超时，断开连接");
  handleConnectionLost("握手超时，连接已断开");
  resumable = false;
}

bool LANGameController::abandonHandshake() {
  if (state != State::HANDSHAKING || !(isHost || waitingReconnect)) return false;
  retireConnection();
  if (isHost) {
    state = State::HOSTING;
    deferred.restartWaitThread = true;
    deferred.waitForResume = waitingReconnect;
  } else {
    state = State::RECONNECTING;
  }
  return true;
}

void LANGameController::checkConnectionHealth() {
  if (inGame()) {
    const auto silence = now() - link.lastReceived;
    if (silence >= LanTimings::LOST_SILENCE) {
      logWarning("LANGameController: 心跳超时，判定断线");
      handleConnectionLost("连接超时中断，可等待对方重连");
      return;
    }
    if (silence >= LanTimings::UNSTABLE_SILENCE && !link.unstableWarned) {
      link.unstableWarned = true;
      logWarning("LANGameController: 对方连接不稳定");
      fire(callbacks.statusText, std::string("对方连接不稳定"));
    }
    if (state == State::WAITING_SYNC && now() - link.syncRequestedAt >= LanTimings::SYNC_TIMEOUT) {
      logWarning("LANGameController: WAITING_SYNC 超时，回退到 PLAYING");
      // A SYNC that comes after this is no longer an answer, the game has moved on; but the
      // return's, which a stalled link may bring late, is still taken when it comes.
      const bool doubtLeft = link.resumeSyncDue && moveInDoubt;
      const uint64_t connection = link.number;
      endSyncWait();
      releaseHeldLines(false);
      if (doubtLeft && link.number == connection && state == State::PLAYING) {
        // Our move caught by the cut is still unsettled: the host's game is asked for again,
        // and its answer settles the move as the return's SYNC would have.
        link.resumeSyncDue = true;
        requestSync();
        logInfo("LANGameController: 重连同步未到，再次请求同步");
      }
    }
    return;
  }
  if (state == State::RECONNECTING && waitingReconnect) tryReconnect();
}

void LANGameController::tryReconnect() {
  if (now() >= reconnectDeadline) {
    reconnectDeadlinePassed();
    return;
  }
  if (connecting) return;
  if (now() - lastReconnectAttempt < LanTimings::RECONNECT_ATTEMPT_INTERVAL) return;
  lastReconnectAttempt = now();
  startConnectAttempt();
}

void LANGameController::reconnectDeadlinePassed() {
  resumable = waitingReconnect = resuming = false;
  state = State::ENDED;
  retireConnection();
  cancelConnect();
  closeRoom();
  fire(callbacks.statusText, std::string("重连等待超时"));
  fire(callbacks.connectionLost);
}

bool LANGameController::enterReconnectWait(int seconds) {
  bool host = false;
  {
    std::lock_guard<std::mutex> guard(mutex);
    if (!resumable) return false;
    // Already waiting: a second wait thread would join the first, blocked in accept.
    if (waitingReconnect) return true;
    waitingReconnect = resuming = true;
    const int wait = seconds < 1 ? LanTimings::DEFAULT_RECONNECT_WAIT_SECONDS : seconds;
    reconnectDeadline = now() + std::chrono::seconds(wait);
    lastReconnectAttempt = TimePoint{};  // the client's first attempt comes at the next tick
    host = isHost;
    state = host ? State::HOSTING : State::RECONNECTING;
    fire(callbacks.statusText, std::string("已进入等待重连模式"));
  }
  // Outside the lock: a wait thread still handing over would need it. The room's server is
  // still listening; whoever queued before the wait began is not the returning player.
  if (host) {
    network->dropQueuedClients();
    startWaitThread(true);
  }
  return true;
}

void LANGameController::declineReconnect() {
  std::lock_guard<std::mutex> guard(mutex);
  if (state == State::RECONNECTING || (state == State::HOSTING && resuming)) state = State::ENDED;
  resumable = waitingReconnect = resuming = false;
  cancelConnect();
  closeRoom();
}

void LANGameController::handleConnectionLost(const std::string& notice, bool peerMayReturn) {
  if (state == State::IDLE || state == State::ENDED) return;
  // Whatever the transport still delivers from this connection is stale from now on.
  retireConnection();
  if (localLeft || peerLeft || !peerMayReturn) {
    state = State::ENDED;
    resumable = waitingReconnect = resuming = moveInDoubt = false;
  } else {
    // A finished game has nothing to resume.
    resumable = gameStarted && !gameOver();
    // The host may or may not have it: its SYNC tells, once the client is back. A move
    // still in doubt from an earlier cut stays so until a SYNC settles it.
    moveInDoubt = resumable && !isHost && (moveInDoubt || movePending());
    waitingReconnect = resuming = false;
    state = State::ENDED;
    if (!notice.empty()) fire(callbacks.statusText, notice);
  }
  // A pending move's answer cannot come on a later connection: a return's SYNC settles it.
  pendingMove.seq = 0;
  if (!resumable) closeRoom();
  fire(callbacks.connectionLost);
}

void LANGameController::sendHeartbeat() {
  send(LanProtocol::makeHeartbeat());
  link.lastHeartbeatSent = now();
  ++link.heartbeatsSent;
}

void LANGameController::onHeartbeatAck() {
  ++link.heartbeatsAnswered;
  if (peerYetToUndo() || !std::exchange(link.syncAfterAgreedUndo, false)) return;
  // The peer has our agreement now: its game, sent before and not adopted, is asked for
  // again (a SYNC due already brings it).
  if (state == State::PLAYING || state == State::WAITING_ACK) requestSync();
}

void LANGameController::closeRoom() {
  if (isHost) network->stopListening();
}

}  // namespace Tavrune
