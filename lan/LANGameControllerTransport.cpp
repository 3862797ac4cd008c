// The session's binding to the transport: received lines and loss reports reach the game
// through the inbox, on the executor's thread, and only from the current connection.
#include "lan/LANGameController.h"

#include <utility>
#include <vector>

#include "core/Log.h"
#include "lan/LanTimings.h"
#include "lan/Network.h"

namespace Tavrune {

using State = LANSessionState;

void LANGameController::post(Task work) {
  std::weak_ptr<Lifetime> alive = lifetime;
  executor([alive, work = std::move(work)] {
    if (alive.lock()) work();
  });
}

void LANGameController::bindNetworkCallbacks() {
  network->setMessageCallback([this](const std::string& line) {
    if (!queueInbound(Inbound{network->connectionNumber(), false, false, line})) {
      logError("LANGameController: 对方消息过多，断开连接");
      network->refusePeer();
    }
  });
  network->setDisconnectedCallback([this](Network::Ending ending) {
    queueInbound(Inbound{network->connectionNumber(), true, ending == Network::Ending::Refused, {}});
  });
}

// On the transport's threads. One hand-over is posted at a time, so a flood can neither
// bury the window's own messages nor fill its queue.
bool LANGameController::queueInbound(Inbound item) {
  bool postNow = false;
  {
    std::lock_guard<std::mutex> guard(inboxMutex);
    if (!item.lost) {
      if (inboxLines >= LanTimings::MAX_UNHANDLED_LINES) return false;
      ++inboxLines;
    }
    inbox.push_back(std::move(item));
    postNow = !std::exchange(inboxPosted, true);
  }
  if (postNow) post([this] { drainInbox(); });
  return true;
}

// A batch at a time, in arrival order (a loss report after the lines before it); the
// rest follows behind whatever else was posted meanwhile.
void LANGameController::drainInbox() {
  std::vector<Inbound> batch;
  bool more = false;
  {
    std::lock_guard<std::mutex> guard(inboxMutex);
    while (!inbox.empty() && batch.size() < LanTimings::LINES_PER_BATCH) {
      if (!inbox.front().lost) --inboxLines;
      batch.push_back(std::move(inbox.front()));
      inbox.pop_front();
    }
    more = !inbox.empty();
    inboxPosted = more;
  }
  for (const Inbound& item : batch) {
    if (item.lost) {
      handleDisconnectFrom(item.connection, item.refused);
    } else {
      handleLineFrom(item.connection, item.line);
    }
  }
  if (more) post([this] { drainInbox(); });
}

void LANGameController::unbindNetworkCallbacks() {
  network->setMessageCallback({});
  network->setDisconnectedCallback({});
  network->setDiscoveryCallback({});
}

// The caller holds the lock and has set the state, so the connection's first line finds
// the session ready for it. Whatever the last connection counted or expected stays behind.
void LANGameController::adoptConnection(uint64_t connection) {
  link = LanConnectionState{};
  link.number = connection;
  link.handshakeStartedAt = link.lastReceived = link.lastHeartbeatSent = now();
  network->startReceiving();
}

void LANGameController::handleLineFrom(uint64_t connection, const std::string& line) {
  const std::optional<LanMessage> message = LanProtocol::parse(line);
  std::unique_lock<std::mutex> guard(mutex);
  if (connection != link.number || link.number == 0) return;
  if (message) {
    dispatch(*message);
  } else {
    logWarning("LANGameController: 无法解析消息: " + line);
    // A room takes nothing but a HELLO from a stranger, garbage least of all.
    if (phase() == LanMessageRules::Phase::HostHandshake) dropHandshakingPeer("握手完成前收到无法解析的消息");
  }
  const bool stopDiscovery = std::exchange(discoveryToStop, false);
  const AfterUnlock after = takeDeferred();
  guard.unlock();
  // Outside the lock: stopping discovery waits for its thread, whose callbacks may lock.
  if (stopDiscovery) network->stopDiscovery();
  finishUnlocked(after);
}

void LANGameController::handleDisconnectFrom(uint64_t connection, bool refused) {
  AfterUnlock after;
  {
    std::lock_guard<std::mutex> guard(mutex);
    if (connection == link.number && link.number != 0) {
      if (abandonHandshake()) {
        // Closed before the handshake: a port scan or a guest that gave up leaves the room
        // waiting; a host that began its wait dropped a guest queued before it, who tries
        // again.
        logWarning("LANGameController: 握手前连接已关闭，继续等待");
      } else if (refused) {
        // Cut off for breaking the protocol: nothing broke that a wait could mend.
        logWarning("LANGameController: 对方违反协议，连接已断开，不等待重连");
        handleConnectionLost("", false);
      } else {
        handleConnectionLost(gameStarted ? "连接异常中断，可等待对方重连" : "");
      }
    }
    after = takeDeferred();
  }
  // Also a connection the session no longer talks over: only this one goes.
  after.closeConnection = connection;
  finishUnlocked(after);
}

void LANGameController::retireConnection() {
  if (link.number != 0) deferred.closeConnection = link.number;
  // A connection's end settles nothing: every request still open on either side, and any
  // SYNC still due, is forgotten with it.
  link = LanConnectionState{};
}

// Outside the lock, as closing waits for the connection's threads; before a room waits
// again, so that only this connection goes.
void LANGameController::finishUnlocked(const AfterUnlock& after) {
  if (after.closeConnection != 0) network->dropConnection(after.closeConnection);
  if (after.restartWaitThread) startWaitThread(after.waitForResume);
}

void LANGameController::onMessage(const std::string& line) {
  const std::optional<LanMessage> message = LanProtocol::parse(line);
  if (!message) {
    logWarning("LANGameController: 无法解析消息: " + line);
    return;
  }
  std::unique_lock<std::mutex> guard(mutex);
  dispatch(*message);
  const AfterUnlock after = takeDeferred();
  guard.unlock();
  finishUnlocked(after);
}

void LANGameController::onNetworkDisconnected() {
  std::lock_guard<std::mutex> guard(mutex);
  handleConnectionLost(gameStarted ? "连接异常中断，可等待对方重连" : "");
}

LanMessageRules::Phase LANGameController::phase() const {
  using Phase = LanMessageRules::Phase;
  switch (state) {
    case State::HANDSHAKING: return isHost ? Phase::HostHandshake : Phase::GuestHandshake;
    case State::PLAYING:
    case State::WAITING_ACK:
    case State::WAITING_SYNC: return gameOver() ? Phase::GameOver : Phase::Playing;
    case State::ENDED: return Phase::Ended;
    default: return Phase::NoPeer;
  }
}

void LANGameController::ignoreLine(LanMessageType type, const char* why) {
  const auto kind = static_cast<std::size_t>(type);
  if (kind >= link.ignoredKinds.size() || link.ignoredKinds.test(kind)) return;
  link.ignoredKinds.set(kind);
  const char* key = LanProtocol::keyText(type);
  logWarning(std::string("LANGameController: 忽略对方的 ") + (*key != '\0' ? key : "未知消息") + " (" + why +
             ")，此连接上同类消息不再记录");
}

void LANGameController::dropHandshakingPeer(const std::string& why) {
  logWarning("LANGameController: " + why + "，断开此连接");
  if (!abandonHandshake()) handleConnectionLost("");
}

void LANGameController::refuseBreach(const char* why) {
  logError(std::string("LANGameController: ") + why + "，断开连接");
  send(LanProtocol::makeBye(Network::PROTOCOL_ERROR_REASON));
  handleConnectionLost("", false);
}

void LANGameController::dispatch(const LanMessage& message) {
  link.lastReceived = now();
  link.unstableWarned = false;
  // A returning player whose program was restarted joins afresh; the host's game follows
  // its answer at once, before any other line of the host's.
  if (std::exchange(link.rejoinSyncMayFollow, false) && message.type == LanMessageType::SYNC &&
      LanMessageRules::verdict(message.type, phase()) == LanMessageRules::Verdict::Act) {
    holdRejoinSync(message);
    return;
  }
  handle(message);
}

void LANGameController::handle(const LanMessage& message) {
  switch (LanMessageRules::verdict(message.type, phase())) {
    case LanMessageRules::Verdict::Ignore:
      ignoreLine(message.type, LanMessageRules::phaseName(phase()));
      return;
    case LanMessageRules::Verdict::EndConnection: {
      const char* key = LanProtocol::keyText(message.type);
      dropHandshakingPeer(std::string("握手完成前对方发来 ") + (*key != '\0' ? key : "未知消息"));
      return;
    }
    case LanMessageRules::Verdict::Act: break;
  }
  if (!holdWhileSyncDue(message)) act(message);
}

void LANGameController::act(const LanMessage& message) {
  switch (message.type) {
    case LanMessageType::HELLO: onHello(message); break;
    case LanMessageType::HELLO_ACK: onHelloAck(message); break;
    case LanMessageType::MOVE: onMove(message); break;
    case LanMessageType::MOVE_ACK: onMoveAck(message); break;
    case LanMessageType::SYNC_REQ: onSyncRequest(message); break;
    case LanMessageType::SYNC: onSync(message); break;
    case LanMessageType::RESIGN: onResign(); break;
    case LanMessageType::UNDO_REQ: onUndoRequest(); break;
    case LanMessageType::UNDO_ACK: onUndoAck(message); break;
    case LanMessageType::DRAW_REQ: onDrawRequest(); break;
    case LanMessageType::DRAW_ACK: onDrawAck(message); break;
    case LanMessageType::BYE: onBye(message); break;
    case LanMessageType::HEARTBEAT: send(LanProtocol::makeHeartbeatAck()); break;
    case LanMessageType::HEARTBEAT_ACK: onHeartbeatAck(); break;
    default: break;
  }
}

void LANGameController::send(const std::string& line) { network->sendMessage(line); }

}  // namespace Tavrune
