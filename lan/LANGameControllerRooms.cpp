// Opening, joining and leaving a room: the wait-for-client thread and the connection attempts.
#include "lan/LANGameController.h"

#include <algorithm>
#include <atomic>

#include "core/Log.h"
#include "lan/LanNickname.h"
#include "lan/LanTimings.h"
#include "lan/Network.h"
#include "lan/NetworkThreads.h"

namespace Tavrune {

using State = LANSessionState;

bool LANGameController::createRoom(const std::string& name, const std::string& side,
                                   int32_t port) {
  {
    // Checked before the wait thread is stopped: stopping it while it waits would wait for
    // a client that may never come.
    std::lock_guard<std::mutex> guard(mutex);
    if (state != State::IDLE) return false;
  }
  stopWaitThread();
  std::lock_guard<std::mutex> guard(mutex);
  if (state != State::IDLE) return false;
  bindNetworkCallbacks();
  localName = LanNickname::forSending(name);
  sidePreference = side;
  isHost = true;
  moveSeq = 0;
  gameStarted = localLeft = peerLeft = resumable = waitingReconnect = resuming = false;
  moveInDoubt = false;

  if (!network->startServer(port)) {
    logError("LANGameController: 启动服务器失败，端口 " + std::to_string(port));
    return false;
  }
  const int32_t listening = network->listeningPort();
  if (network->startDiscovery(discoveryPort)) {
    const std::string localAddress = network->getLocalIPAddress();
    const std::string reply = LanProtocol::makeReply(localName, localAddress, listening);
    network->setDiscoveryCallback([this, reply](const std::string& text, const std::string& sender) {
      onDiscoverRequest(text, sender, reply);
    });
    network->startPeriodicBroadcast(reply, LanTimings::ROOM_REPLY_INTERVAL_MS);
  } else {
    logWarning("LANGameController: 启动 UDP 发现失败，局域网搜索不可用");
  }
  state = State::HOSTING;
  logInfo("LANGameController: 房间已创建，等待对手连接...");
  startWaitThread(false);
  return true;
}

void LANGameController::startWaitThread(bool resume) {
  stopWaitThread();
  std::lock_guard<std::mutex> guard(waitThreadMutex);
  waitThread = std::thread([this, resume] { waitForClient(resume); });
}

void LANGameController::stopWaitThread() { endThread(waitThreadMutex, waitThread); }

// Taken out under its lock and waited for outside it; a thread that ends itself is let go.
void LANGameController::endThread(std::mutex& threadMutex, std::thread& thread) {
  std::thread finished;
  {
    std::lock_guard<std::mutex> guard(threadMutex);
    finished = std::move(thread);
  }
  NetworkThreads::joinOrDetach(finished);
}

void LANGameController::waitForClient(bool resume) {
  if (!network->waitForClient()) return;
  {
    std::lock_guard<std::mutex> guard(mutex);
    // A client accepted after the room was left or the wait gave up is ignored.
    if (state != State::HOSTING) return;
    state = State::HANDSHAKING;
    resuming = resume;
    logInfo("LANGameController: 客户端已连接，等待握手");
    adoptConnection(network->connectionNumber());
  }
}

bool LANGameController::joinRoom(const std::string& name, const std::string& side,
                                 const std::string& host, int32_t port) {
  stopConnectThread();
  std::lock_guard<std::mutex> guard(mutex);
  if (state != State::IDLE) return false;
  bindNetworkCallbacks();
  localName = LanNickname::forSending(name);
  sidePreference = side;
  hostAddress = host;
  isHost = false;
  moveSeq = 0;
  gameStarted = localLeft = peerLeft = resumable = waitingReconnect = resuming = false;
  moveInDoubt = false;
  gamePort = port;

  candidateAddresses.clear();
  std::vector<std::string> all{hostAddress};
  for (const std::string& address : rooms.candidatesFor(hostAddress)) all.push_back(address);
  for (const std::string& address : all) {
    if (address.empty()) continue;
    if (std::find(candidateAddresses.begin(), candidateAddresses.end(), address) !=
        candidateAddresses.end()) {
      continue;
    }
    candidateAddresses.push_back(address);
  }

  if (candidateAddresses.empty()) {
    logError("LANGameController: 没有可连接的地址");
    return false;
  }
  state = State::CONNECTING;
  startConnectAttempt();
  return true;
}

// A connect may take seconds per address: it runs on a thread of its own, which never
// takes the lock, and posts its result.
void LANGameController::startConnectAttempt() {
  cancelConnect();
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  connectCancel = cancel;
  const uint64_t attempt = ++connectAttempt;
  connecting = true;
  // An earlier attempt has posted its result or was cancelled: its thread is ending.
  stopConnectThread();
  std::lock_guard<std::mutex> threads(connectThreadMutex);
  connectThread = std::thread([this, attempt, cancel, addresses = candidateAddresses, port = gamePort] {
    uint64_t connection = 0;
    for (const std::string& address : addresses) {
      if (*cancel) break;
      if (network->connectToServer(address, port, cancel.get())) {
        logInfo("LANGameController: 候选地址连接成功 " + address + ":" + std::to_string(port));
        connection = network->connectionNumber();
        break;
      }
    }
    post([this, attempt, connection] { onConnectResult(attempt, connection); });
  });
}

void LANGameController::cancelConnect() {
  if (connectCancel) *connectCancel = true;
  ++connectAttempt;
  connecting = false;
}

void LANGameController::stopConnectThread() { endThread(connectThreadMutex, connectThread); }

void LANGameController::onConnectResult(uint64_t attempt, uint64_t connection) {
  std::unique_lock<std::mutex> guard(mutex);
  const bool current = connecting && attempt == connectAttempt &&
                       (state == State::CONNECTING || state == State::RECONNECTING);
  if (!current) {
    // Given up meanwhile: a connection it made belongs to nobody.
    const bool orphan = connection != 0 && connection != link.number;
    guard.unlock();
    if (orphan) network->dropConnection(connection);
    return;
  }
  connecting = false;
  if (connection == 0) {
    // A reconnection tries again after its interval.
    if (state != State::CONNECTING) return;
    logError("LANGameController: 连接失败 " + hostAddress + ":" + std::to_string(gamePort));
    state = State::IDLE;
    fire(callbacks.connectFailed);
    return;
  }
  const bool first = state == State::CONNECTING;
  state = State::HANDSHAKING;
  adoptConnection(connection);
  if (first) {
    logInfo("LANGameController: 已连接到候选地址，发送握手");
    send(LanProtocol::makeHello(localName, sidePreference));
  } else {
    send(LanProtocol::makeHello(localName, "resume"));
  }
}

void LANGameController::leaveRoom() {
  bool sayBye = false;
  {
    std::lock_guard<std::mutex> guard(mutex);
    sayBye = network->isConnected() && state != State::IDLE;
    cancelConnect();
    localLeft = true;
    resumable = waitingReconnect = false;
    state = State::IDLE;
    localColor = NONE;
    opponentName.clear();
    moveSeq = 0;
    engineReady = false;
    pendingMove.seq = 0;
    pendingMove.resendCount = 0;
    retireConnection();
    deferred = AfterUnlock{};  // the disconnect below ends the connection
  }
  // Outside the lock: the sends and stops below wait for threads that may want it. A
  // cancelled connect ends first, so the disconnect below also ends what it made.
  stopConnectThread();
  if (sayBye) network->sendMessage(LanProtocol::makeBye("manual_leave"));
  network->stopDiscovery();
  unbindNetworkCallbacks();
  network->disconnect();
  network->stopServer();
  stopWaitThread();
  logInfo("LANGameController: 已离开房间");
}

}  // namespace Tavrune
