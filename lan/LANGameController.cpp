#include "lan/LANGameController.h"

#include <algorithm>
#include <atomic>
#include <random>
#include <system_error>
#include <utility>

#include "core/Log.h"
#include "game/GameEngine.h"
#include "lan/LanNickname.h"
#include "lan/LanTimings.h"
#include "lan/Network.h"

namespace Tavrune {

using State = LANSessionState;

namespace {

const char* sideName(PieceColor color) { return color == RED ? "红" : "黑"; }

}  // namespace

LANGameController::LANGameController(GameEngine* gameEngine, Network* transport,
                                     Executor runner, Clock timeSource, int32_t gamePortToSearch,
                                     int32_t discoveryUdpPort)
    : game(gameEngine),
      network(transport),
      executor(std::move(runner)),
      clock(timeSource ? std::move(timeSource) : Clock([] { return std::chrono::steady_clock::now(); })),
      searchGamePort(gamePortToSearch),
      discoveryPort(discoveryUdpPort) {
  if (!executor) executor = [](Task work) { work(); };
  gamePort = searchGamePort;
  lastHeartbeatSent = now();
  lastReceived = now();
  bindNetworkCallbacks();
}

LANGameController::~LANGameController() {
  leaveRoom();
  // Work still queued for this controller finds it gone.
  lifetime.reset();
}

void LANGameController::setCallbacks(const LANCallbacks& table) {
  std::lock_guard<std::mutex> guard(mutex);
  callbacks = table;
}

// ---- Transport binding ---------------------------------------------------------------

void LANGameController::post(Task work) {
  std::weak_ptr<Lifetime> alive = lifetime;
  executor([alive, work = std::move(work)] {
    if (alive.lock()) work();
  });
}

void LANGameController::bindNetworkCallbacks() {
  network->setMessageCallback([this](const std::string& line) {
    if (!queueInbound(Inbound{network->connectionNumber(), false, line})) {
      logError("LANGameController: 对方消息过多，断开连接");
      network->refusePeer();
    }
  });
  network->setDisconnectedCallback([this] { queueInbound(Inbound{network->connectionNumber(), true, {}}); });
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
      handleDisconnectFrom(item.connection);
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

// The connection just made or accepted becomes the session's; the caller holds the lock
// and has set the state, so its first line finds the session ready for it.
void LANGameController::adoptConnection() {
  activeConnection = network->connectionNumber();
  network->startReceiving();
}

void LANGameController::handleLineFrom(uint64_t connection, const std::string& line) {
  const std::optional<LanMessage> message = LanProtocol::parse(line);
  std::unique_lock<std::mutex> guard(mutex);
  if (connection != activeConnection || activeConnection == 0) return;
  if (!message) {
    logWarning("LANGameController: 无法解析消息: " + line);
    return;
  }
  dispatch(*message);
  const bool stopDiscovery = std::exchange(discoveryToStop, false);
  guard.unlock();
  // Outside the lock: stopping discovery waits for its thread, whose callbacks may lock.
  if (stopDiscovery) network->stopDiscovery();
}

void LANGameController::handleDisconnectFrom(uint64_t connection) {
  std::unique_lock<std::mutex> guard(mutex);
  if (connection != activeConnection || activeConnection == 0) return;
  if (isHost && state == State::HANDSHAKING) {
    // Nobody arrived yet: a port scan or a guest that gave up leaves the room waiting.
    logWarning("LANGameController: 握手前连接已关闭，继续等待");
    retireConnection();
    state = State::HOSTING;
    const bool resume = waitingReconnect;
    guard.unlock();
    startWaitThread(resume);
    return;
  }
  handleConnectionLost(gameStarted ? "连接异常中断，可等待对方重连" : "");
}

void LANGameController::onMessage(const std::string& line) {
  const std::optional<LanMessage> message = LanProtocol::parse(line);
  if (!message) {
    logWarning("LANGameController: 无法解析消息: " + line);
    return;
  }
  std::lock_guard<std::mutex> guard(mutex);
  dispatch(*message);
}

void LANGameController::onNetworkDisconnected() {
  std::lock_guard<std::mutex> guard(mutex);
  handleConnectionLost(gameStarted ? "连接异常中断，可等待对方重连" : "");
}

void LANGameController::dispatch(const LanMessage& message) {
  lastReceived = now();
  unstableWarned = false;
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
    case LanMessageType::HEARTBEAT:
      // Before the handshake a peer gets nothing but the handshake's answer.
      if (state != State::HANDSHAKING) send(LanProtocol::makeHeartbeatAck());
      break;
    case LanMessageType::HEARTBEAT_ACK: break;
    default: logWarning("LANGameController: 未处理的消息类型"); break;
  }
}

void LANGameController::send(const std::string& line) { network->sendMessage(line); }

// ---- Queries ---------------------------------------------------------------------------

LANSessionState LANGameController::getState() const {
  std::lock_guard<std::mutex> guard(mutex);
  return state;
}

bool LANGameController::canResume() const {
  std::lock_guard<std::mutex> guard(mutex);
  return resumable;
}

bool LANGameController::isMyTurn() const {
  // Read without the lock: localColor only changes on the thread that owns the game.
  return game->getCurrentPlayer() == localColor;
}

bool LANGameController::canSendMove() const {
  std::lock_guard<std::mutex> guard(mutex);
  return state == State::PLAYING && localColor != NONE && game->getCurrentPlayer() == localColor;
}

void LANGameController::onEngineReady() {
  std::lock_guard<std::mutex> guard(mutex);
  engineReady = true;
  logInfo("LANGameController: 游戏引擎已就绪");
}

int32_t LANGameController::getMoveSeq() const {
  std::lock_guard<std::mutex> guard(mutex);
  return moveSeq;
}

bool LANGameController::inGame() const {
  return state == State::PLAYING || state == State::WAITING_ACK || state == State::WAITING_SYNC;
}

// Messages that change the game or end it are only taken from a peer that has completed
// this session's handshake and is still in the game with us.
bool LANGameController::handshakeDone() const { return gameStarted && inGame(); }

// ---- Rooms -----------------------------------------------------------------------------

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

void LANGameController::stopWaitThread() {
  std::thread finished;
  {
    std::lock_guard<std::mutex> guard(waitThreadMutex);
    finished = std::move(waitThread);
  }
  if (!finished.joinable()) return;
  if (finished.get_id() == std::this_thread::get_id()) {
    finished.detach();
    return;
  }
  try {
    finished.join();
  } catch (const std::system_error& error) {
    logWarning(std::string("LANGameController: join waitClientThread failed: ") + error.what());
  }
}

void LANGameController::waitForClient(bool resume) {
  if (!network->waitForClient()) return;
  {
    std::lock_guard<std::mutex> guard(mutex);
    // A client accepted after the room was left or the wait gave up is ignored.
    if (state != State::HOSTING) return;
    state = State::HANDSHAKING;
    lastReceived = handshakeStartedAt = now();
    resuming = resume;
    logInfo("LANGameController: 客户端已连接，等待握手");
    adoptConnection();
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
  std::lock_guard<std::mutex> threads(connectThreadMutex);
  // An earlier attempt has posted its result or was cancelled: its thread is ending.
  if (connectThread.joinable()) connectThread.join();
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

void LANGameController::stopConnectThread() {
  std::thread finished;
  {
    std::lock_guard<std::mutex> threads(connectThreadMutex);
    finished = std::move(connectThread);
  }
  if (finished.joinable()) finished.join();
}

void LANGameController::onConnectResult(uint64_t attempt, uint64_t connection) {
  std::unique_lock<std::mutex> guard(mutex);
  const bool current = connecting && attempt == connectAttempt &&
                       (state == State::CONNECTING || state == State::RECONNECTING);
  if (!current) {
    // Given up meanwhile: a connection it made belongs to nobody.
    const bool orphan = connection != 0 && connection != activeConnection &&
                        network->connectionNumber() == connection;
    guard.unlock();
    if (orphan) network->disconnect();
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
  activeConnection = connection;
  network->startReceiving();
  state = State::HANDSHAKING;
  lastReceived = handshakeStartedAt = now();
  if (first) {
    logInfo("LANGameController: 已连接到候选地址，发送握手");
    fire(callbacks.opponentConnected);
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
    remoteUndoRequested = remoteDrawRequested = localUndoRequested = localDrawRequested = false;
    unstableWarned = false;
    pendingMove.seq = 0;
    pendingMove.resendCount = 0;
    retireConnection();
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

// ---- Handshake -------------------------------------------------------------------------

std::string LANGameController::chooseClientSide(const std::string& host, const std::string& client) {
  if (host == "random" && client == "random") {
    std::random_device device;
    return (device() & 1u) == 0 ? "red" : "black";
  }
  if (host == "random") return client;
  if (client == "random" || host == client) return host == "red" ? "black" : "red";
  return client;
}

void LANGameController::onHello(const LanMessage& message) {
  if (state != State::HANDSHAKING || !isHost) return;
  const bool resumed = resuming && gameStarted;
  opponentName = LanNickname::fromPeer(message.name);
  logInfo("LANGameController: 收到握手 from " + opponentName);
  // A returning client keeps its side whatever it asks for.
  const std::string clientSide = resumed ? (localColor == RED ? "black" : "red")
                                         : chooseClientSide(sidePreference, message.side);
  localColor = clientSide == "red" ? BLACK : RED;
  send(LanProtocol::makeHelloAck(localName, clientSide));
  state = State::PLAYING;
  resumable = waitingReconnect = false;
  gameStarted = true;
  // Only now has someone arrived: the room stops announcing itself.
  discoveryToStop = true;
  fire(callbacks.opponentConnected);
  logInfo(std::string("LANGameController: 握手完成，本地执") + sideName(localColor));
  if (resumed) {
    fire(callbacks.statusText, std::string("对手已重连，正在同步棋局"));
    sendSyncState();
  } else {
    fire(callbacks.gameReady, localColor, opponentName);
  }
  resuming = localLeft = peerLeft = false;
}

void LANGameController::onHelloAck(const LanMessage& message) {
  if (state != State::HANDSHAKING || isHost) return;
  const bool resumed = resuming;
  opponentName = LanNickname::fromPeer(message.name);
  localColor = message.side == "red" ? RED : BLACK;
  state = State::PLAYING;
  resumable = waitingReconnect = false;
  gameStarted = true;
  logInfo(std::string("LANGameController: 握手确认，本地执") + sideName(localColor));
  if (resumed) {
    fire(callbacks.statusText, std::string("已重连，正在同步棋局"));
    requestSync();
  } else {
    fire(callbacks.gameReady, localColor, opponentName);
  }
  resuming = localLeft = peerLeft = false;
}

// ---- Moves and synchronisation -----------------------------------------------------------

void LANGameController::sendMove(const Move& move) {
  std::lock_guard<std::mutex> guard(mutex);
  if (state != State::PLAYING) return;
  ++moveSeq;
  pendingMove = PendingMove{move, moveSeq, 0, now()};
  send(LanProtocol::makeMove(moveSeq, move));
  state = State::WAITING_ACK;
  logInfo("LANGameController: 发送走棋 seq=" + std::to_string(moveSeq));
}

void LANGameController::onMove(const LanMessage& message) {
  const int32_t seq = message.seq;
  const Move& move = message.move;
  const auto refuse = [&](const char* reason) {
    send(LanProtocol::makeMoveAck(seq, false, reason));
  };
  if (state != State::PLAYING) {
    refuse("game_not_playing");
    return;
  }
  if (!engineReady) {
    refuse("game_not_playing");
    logWarning("LANGameController: 引擎尚未就绪，拒绝走棋 seq=" + std::to_string(seq));
    return;
  }
  const int64_t expected = static_cast<int64_t>(moveSeq) + 1;
  if (seq != expected) {
    refuse("wrong_seq");
    sendSyncState();
    logWarning("LANGameController: 序号不匹配，期望 " + std::to_string(expected) + " 收到 " +
               std::to_string(seq));
    return;
  }
  if (game->getCurrentPlayer() == localColor) {
    refuse("not_your_turn");
    logWarning("LANGameController: 收到对方走棋但当前是我的回合");
    return;
  }
  const Board& board = game->getBoard();
  logInfo("LANGameController: 验证对方走棋 from=(" + std::to_string(move.from.x) + "," +
          std::to_string(move.from.y) + ") to=(" + std::to_string(move.to.x) + "," +
          std::to_string(move.to.y) + ") piece=" + std::to_string(move.piece) +
          " captured=" + std::to_string(move.captured));
  logInfo("LANGameController: 当前棋盘状态 - " + board.toFEN());
  // With the turn test: after the check above the side to move is the peer's, so this also
  // refuses a move of one of the local player's pieces.
  if (!board.isValidMove(move)) {
    refuse("illegal_move");
    sendSyncState();
    logWarning("LANGameController: 对方走法不合法，起点棋子=" +
               std::to_string(board.getPiece(move.from)));
    return;
  }
  moveSeq = seq;
  const bool applied = callbacks.validateAndApplyMove && callbacks.validateAndApplyMove(move);
  if (!applied) {
    --moveSeq;
    refuse("internal_error");
    logWarning("LANGameController: executeForceMove 失败，拒绝 seq=" + std::to_string(seq));
    return;
  }
  send(LanProtocol::makeMoveAck(seq, true, ""));
  logInfo("LANGameController: 对方走棋 seq=" + std::to_string(seq) + " 已确认");
  if (gameOver()) closeRoom();
  // The move as the game played it: the wire's piece codes are the peer's word only.
  const std::vector<Move> history = game->getMoveHistory();
  const Move played = history.empty() ? move : history.back();
  fire(callbacks.remoteMoveApplied, played, game->getBoard().isInCheck(localColor));
}

void LANGameController::requestSync() {
  send(LanProtocol::makeSyncRequest(moveSeq));
  state = State::WAITING_SYNC;
  syncRequestedAt = now();
}

void LANGameController::onMoveAck(const LanMessage& message) {
  const int32_t seq = message.seq;
  if (state != State::WAITING_ACK || seq != pendingMove.seq) return;
  state = State::PLAYING;
  if (message.accepted) {
    logInfo("LANGameController: 走棋 seq=" + std::to_string(seq) + " 已被确认");
    if (gameOver()) closeRoom();
    fire(callbacks.moveAcked, seq);
    if (moveSeq >= 1 && moveSeq % 10 == 0) {
      requestSync();
      logInfo("LANGameController: 触发周期性同步 seq=" + std::to_string(moveSeq));
    }
    return;
  }
  logWarning("LANGameController: 走棋 seq=" + std::to_string(seq) + " 被拒绝: " + message.reason);
  if (message.reason == "illegal_move" || message.reason == "wrong_seq") requestSync();
  fire(callbacks.undoMoves, 1);
  --moveSeq;
  fire(callbacks.moveRejected, seq, message.reason);
}

void LANGameController::checkMoveAck() {
  if (now() - pendingMove.sentAt < LanTimings::ACK_TIMEOUT) return;
  ++pendingMove.resendCount;
  if (pendingMove.resendCount <= LanTimings::MAX_MOVE_RESENDS) {
    send(LanProtocol::makeMove(pendingMove.seq, pendingMove.move));
    pendingMove.sentAt = now();
    logInfo("LANGameController: 重发走棋 seq=" + std::to_string(pendingMove.seq) + " 第 " +
            std::to_string(pendingMove.resendCount) + " 次");
    return;
  }
  logWarning("LANGameController: ACK 超时 " + std::to_string(LanTimings::MAX_MOVE_RESENDS) +
             " 次，判定断线");
  handleConnectionLost("走棋确认超时，可等待对方重连");
}

void LANGameController::sendSyncState() {
  send(LanProtocol::makeSync(game->getBoard().toFEN(), game->getMoveHistory()));
}

void LANGameController::onSyncRequest(const LanMessage& message) {
  if (state == State::HANDSHAKING) return;
  if (state == State::WAITING_ACK) {
    // The own move awaiting its acknowledgement is left out: the peer, waiting for this
    // SYNC, refuses that move, and the refusal takes it back here.
    Board before = game->getBoard();
    before.popState();
    std::vector<Move> history = game->getMoveHistory();
    if (!history.empty()) history.pop_back();
    send(LanProtocol::makeSync(before.toFEN(), history));
  } else {
    sendSyncState();
  }
  logInfo("LANGameController: 回复同步请求 seq=" + std::to_string(message.seq));
}

void LANGameController::onSync(const LanMessage& message) {
  if (!handshakeDone()) {
    logWarning("LANGameController: 握手未完成或对局未进行，忽略 SYNC");
    return;
  }
  const auto samePosition = [&] { return game->getBoard().toFEN() == message.fen; };
  const auto sameLength = [&] {
    return game->getMoveHistory().size() == static_cast<std::size_t>(message.moveCount);
  };
  bool positionMatches = samePosition();
  bool lengthMatches = sameLength();
  bool consistent = positionMatches && lengthMatches;
  if (!consistent && callbacks.applySyncState &&
      callbacks.applySyncState(message.fen, message.moves, true)) {
    positionMatches = samePosition();
    lengthMatches = sameLength();
    consistent = positionMatches && lengthMatches;
    if (consistent) fire(callbacks.statusText, std::string("检测到棋局偏差，已自动同步"));
  }
  if (state == State::WAITING_SYNC) state = State::PLAYING;
  if (positionMatches) {
    moveSeq = message.moveCount;
    if (!lengthMatches) logWarning("LANGameController: FEN 一致但历史步数不一致");
  }
  logInfo(std::string("LANGameController: 同步校验 ") + (consistent ? "通过" : "不通过"));
  fire(callbacks.syncResult, consistent);
}

// ---- Liveness and reconnection ----------------------------------------------------------

void LANGameController::tick() {
  AfterTick after;
  {
    std::lock_guard<std::mutex> guard(mutex);
    if (state == State::IDLE || state == State::ENDED) return;
    if (waitingReconnect && now() >= reconnectDeadline) {
      reconnectDeadlinePassed();
      return;
    }
    if ((state == State::PLAYING || state == State::WAITING_ACK) &&
        now() - lastHeartbeatSent >= LanTimings::HEARTBEAT_INTERVAL) {
      send(LanProtocol::makeHeartbeat());
      lastHeartbeatSent = now();
    }
    checkHandshakeTimeout(after);
    // A connection given up here is dropped below; a new attempt waits for the next tick,
    // so that the drop cannot meet it.
    if (!after.dropConnection) {
      checkConnectionHealth();
      if (state == State::WAITING_ACK) checkMoveAck();
    }
  }
  // Outside the lock: both wait for threads whose work may want it.
  if (after.dropConnection) network->disconnect();
  if (after.restartWaitThread) startWaitThread(true);
}

// A connection that never completes the handshake (a stray program on the game port) must
// not hold the room or the joining player for ever. Inside a reconnection wait only that
// connection is dropped and the wait goes on; otherwise the session ends, not resumable.
void LANGameController::checkHandshakeTimeout(AfterTick& after) {
  if (state != State::HANDSHAKING) return;
  if (now() - handshakeStartedAt < LanTimings::HANDSHAKE_TIMEOUT) return;
  after.dropConnection = true;
  if (waitingReconnect || isHost) {
    logWarning("LANGameController: 重连握手超时，继续等待重连");
    retireConnection();
    if (isHost) {
      state = State::HOSTING;
      after.restartWaitThread = true;
    } else {
      state = State::RECONNECTING;
    }
    return;
  }
  logWarning("LANGameController: 握手超时，断开连接");
  handleConnectionLost("握手超时，连接已断开");
  resumable = false;
}

void LANGameController::checkConnectionHealth() {
  if (inGame()) {
    const auto silence = now() - lastReceived;
    if (silence >= LanTimings::LOST_SILENCE) {
      logWarning("LANGameController: 心跳超时，判定断线");
      handleConnectionLost("连接超时中断，可等待对方重连");
      return;
    }
    if (silence >= LanTimings::UNSTABLE_SILENCE && !unstableWarned) {
      unstableWarned = true;
      logWarning("LANGameController: 对方连接不稳定");
      fire(callbacks.statusText, std::string("对方连接不稳定"));
    }
    if (state == State::WAITING_SYNC && now() - syncRequestedAt >= LanTimings::SYNC_TIMEOUT) {
      logWarning("LANGameController: WAITING_SYNC 超时，回退到 PLAYING");
      state = State::PLAYING;
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

void LANGameController::handleConnectionLost(const std::string& notice) {
  if (state == State::IDLE || state == State::ENDED) return;
  // Whatever the transport still delivers from this connection is stale from now on.
  retireConnection();
  if (localLeft || peerLeft) {
    state = State::ENDED;
    resumable = waitingReconnect = resuming = false;
  } else {
    // A finished game has nothing to resume.
    resumable = gameStarted && !gameOver();
    waitingReconnect = resuming = false;
    state = State::ENDED;
    if (!notice.empty()) fire(callbacks.statusText, notice);
  }
  if (!resumable) closeRoom();
  fire(callbacks.connectionLost);
}

void LANGameController::closeRoom() {
  if (isHost) network->stopListening();
}

// ---- Draw, undo, resignation and leaving ------------------------------------------------

bool LANGameController::gameOver() const { return game->getGameState() != PLAYING; }

void LANGameController::takeBackTwoPlies() {
  fire(callbacks.undoMoves, 2);
  moveSeq = std::max(0, moveSeq - 2);
}

void LANGameController::endInDraw() {
  state = State::ENDED;
  closeRoom();
  fire(callbacks.setGameState, DRAW);
}

LanRequestResult LANGameController::requestDraw() {
  std::lock_guard<std::mutex> guard(mutex);
  if ((state != State::PLAYING && state != State::WAITING_ACK) || gameOver()) {
    return LanRequestResult::NotNow;
  }
  localDrawRequested = true;
  send(LanProtocol::makeDrawRequest());
  logInfo("LANGameController: 发送和棋请求");
  return LanRequestResult::Sent;
}

void LANGameController::onDrawRequest() {
  if (!handshakeDone()) {
    logWarning("LANGameController: 握手未完成或对局未进行，忽略 DRAW_REQ");
    return;
  }
  if (gameOver()) {
    send(LanProtocol::makeDrawAck(false));
    logInfo("LANGameController: 对局已结束，拒绝对方和棋请求");
  } else if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeDrawAck(false));
  } else if (!localDrawRequested) {
    remoteDrawRequested = true;
    logInfo("LANGameController: 收到和棋请求");
    fire(callbacks.drawRequested);
  } else {
    localDrawRequested = false;
    logInfo("LANGameController: 双方同时请求和棋，自动同意");
    send(LanProtocol::makeDrawAck(true));
    endInDraw();
    fire(callbacks.drawResponse, true);
  }
}

LanRequestResult LANGameController::respondDraw(bool accept) {
  std::lock_guard<std::mutex> guard(mutex);
  if (!remoteDrawRequested) return LanRequestResult::NotNow;
  remoteDrawRequested = false;
  if (gameOver()) {
    send(LanProtocol::makeDrawAck(false));
    logInfo("LANGameController: 对局已结束，自动拒绝和棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  // After a loss or the peer's BYE an agreed draw would end one board alone.
  if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeDrawAck(false));
    logInfo("LANGameController: 对局已中断，自动拒绝和棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  send(LanProtocol::makeDrawAck(accept));
  logInfo(std::string("LANGameController: 和棋请求回应 ") + (accept ? "同意" : "拒绝"));
  if (accept) endInDraw();
  return LanRequestResult::Sent;
}

void LANGameController::onDrawAck(const LanMessage& message) {
  // Only an answer to the own open offer: otherwise a peer could end the game alone.
  if (!handshakeDone() || !localDrawRequested) {
    logWarning("LANGameController: 没有待回应的和棋请求，忽略 DRAW_ACK");
    return;
  }
  localDrawRequested = false;
  logInfo(std::string("LANGameController: 收到和棋回应 ") + (message.accepted ? "同意" : "拒绝"));
  if (message.accepted) endInDraw();
  fire(callbacks.drawResponse, message.accepted);
}

LanRequestResult LANGameController::requestUndo() {
  std::lock_guard<std::mutex> guard(mutex);
  if ((state != State::PLAYING && state != State::WAITING_ACK) || gameOver()) {
    return LanRequestResult::NotNow;
  }
  if (moveSeq < 2) {
    logInfo("LANGameController: 步数不足，无法悔棋");
    return LanRequestResult::TooFewPlies;
  }
  if (game->getMoveHistory().size() < 2) {
    logWarning("LANGameController: 本地历史不足，拒绝发送悔棋请求");
    return LanRequestResult::TooFewPlies;
  }
  localUndoRequested = true;
  send(LanProtocol::makeUndoRequest());
  logInfo("LANGameController: 发送悔棋请求");
  return LanRequestResult::Sent;
}

void LANGameController::onUndoRequest() {
  if (!handshakeDone()) {
    logWarning("LANGameController: 握手未完成或对局未进行，忽略 UNDO_REQ");
    return;
  }
  if (gameOver()) {
    send(LanProtocol::makeUndoAck(false));
    logInfo("LANGameController: 对局已结束，拒绝对方悔棋请求");
  } else if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeUndoAck(false));
  } else if (game->getMoveHistory().size() < 2) {
    send(LanProtocol::makeUndoAck(false));
    logWarning("LANGameController: 本地历史不足，拒绝对方悔棋请求");
  } else if (!localUndoRequested) {
    remoteUndoRequested = true;
    logInfo("LANGameController: 收到悔棋请求");
    fire(callbacks.undoRequested);
  } else {
    // Both asked: each side takes back its two plies here, and the peer's acceptance of
    // the own request, which follows, finds no open request and is dropped.
    localUndoRequested = false;
    logInfo("LANGameController: 双方同时请求悔棋，自动同意");
    send(LanProtocol::makeUndoAck(true));
    takeBackTwoPlies();
    fire(callbacks.undoResponse, true);
  }
}

LanRequestResult LANGameController::respondUndo(bool accept) {
  std::lock_guard<std::mutex> guard(mutex);
  if (!remoteUndoRequested) return LanRequestResult::NotNow;
  remoteUndoRequested = false;
  if (gameOver()) {
    send(LanProtocol::makeUndoAck(false));
    logInfo("LANGameController: 对局已结束，自动拒绝悔棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  // After a loss or the peer's BYE taking moves back would change one board alone.
  if (state != State::PLAYING && state != State::WAITING_ACK) {
    send(LanProtocol::makeUndoAck(false));
    logInfo("LANGameController: 对局已中断，自动拒绝悔棋请求");
    return accept ? LanRequestResult::NotNow : LanRequestResult::Sent;
  }
  const bool tooFewPlies = accept && game->getMoveHistory().size() < 2;
  if (tooFewPlies) {
    logWarning("LANGameController: 本地历史不足，自动拒绝悔棋请求");
    accept = false;
  }
  send(LanProtocol::makeUndoAck(accept));
  logInfo(std::string("LANGameController: 悔棋请求回应 ") + (accept ? "同意" : "拒绝"));
  if (accept) takeBackTwoPlies();
  return tooFewPlies ? LanRequestResult::TooFewPlies : LanRequestResult::Sent;
}

void LANGameController::onUndoAck(const LanMessage& message) {
  // Only an answer to the own open request: otherwise a peer could take moves back alone.
  if (!handshakeDone() || !localUndoRequested) {
    logWarning("LANGameController: 没有待回应的悔棋请求，忽略 UNDO_ACK");
    return;
  }
  localUndoRequested = false;
  logInfo(std::string("LANGameController: 收到悔棋回应 ") + (message.accepted ? "同意" : "拒绝"));
  if (message.accepted) {
    if (game->getMoveHistory().size() < 2) {
      logWarning("LANGameController: 悔棋回应同意，但本地历史不足，触发同步");
      requestSync();
      fire(callbacks.undoResponse, false);
      return;
    }
    takeBackTwoPlies();
  }
  fire(callbacks.undoResponse, message.accepted);
}

LanRequestResult LANGameController::resign() {
  std::lock_guard<std::mutex> guard(mutex);
  if ((state != State::PLAYING && state != State::WAITING_ACK) || gameOver()) {
    return LanRequestResult::NotNow;
  }
  send(LanProtocol::makeResign());
  state = State::ENDED;
  closeRoom();
  fire(callbacks.setGameState, localColor == RED ? BLACK_WIN : RED_WIN);
  logInfo("LANGameController: 认输");
  return LanRequestResult::Sent;
}

void LANGameController::onResign() {
  if (!handshakeDone()) {
    logWarning("LANGameController: 握手未完成或对局未进行，忽略 RESIGN");
    return;
  }
  state = State::ENDED;
  closeRoom();
  logInfo("LANGameController: 对方认输");
  fire(callbacks.setGameState, localColor == RED ? RED_WIN : BLACK_WIN);
  fire(callbacks.opponentResigned);
}

void LANGameController::onBye(const LanMessage& message) {
  peerLeft = true;
  resumable = waitingReconnect = resuming = false;
  state = State::ENDED;
  closeRoom();
  // The reason is the peer's text and is spoken: bounded like a nickname.
  fire(callbacks.statusText, "对方主动离开(" + LanNickname::fromPeer(message.reason) + ")");
  fire(callbacks.connectionLost);
}

// ---- Room discovery ----------------------------------------------------------------------

bool LANGameController::startRoomSearch() {
  if (!network->startDiscovery(discoveryPort)) return false;
  const std::string localAddress = network->getLocalIPAddress();
  std::string request;
  {
    std::lock_guard<std::mutex> guard(mutex);
    // Each search starts a fresh table: it is what the player will join from.
    rooms.clear();
    roomTableFullWarned = false;
    request = LanProtocol::makeDiscover(localName, searchGamePort);
  }
  network->setDiscoveryCallback(
      [this, localAddress](const std::string& text, const std::string& sender) {
        onDiscoveryReply(text, sender, localAddress);
      });
  network->startPeriodicBroadcast(request, LanTimings::ROOM_SEARCH_INTERVAL_MS);
  logInfo("LANGameController: 开始搜索房间...");
  return true;
}

void LANGameController::stopRoomSearch() {
  network->stopDiscovery();
  logInfo("LANGameController: 停止搜索房间");
}

// On the discovery thread, without the lock: it only uses the reply fixed at room creation.
void LANGameController::onDiscoverRequest(const std::string& text, const std::string& sender,
                                          const std::string& reply) {
  const std::optional<LanMessage> message = LanProtocol::parse(text);
  if (!message || message->type != LanMessageType::TAVRUNE_DISCOVER) return;
  network->sendDiscoverBroadcast(reply, sender, discoveryPort);
  logInfo("LANGameController: 回复发现请求来自 " + sender);
}

void LANGameController::onDiscoveryReply(const std::string& text, const std::string& sender,
                                         const std::string& localAddress) {
  const std::optional<LanMessage> message = LanProtocol::parse(text);
  if (!message || message->type != LanMessageType::TAVRUNE_REPLY) return;
  std::lock_guard<std::mutex> guard(mutex);
  if (!callbacks.roomFound) return;
  const std::optional<std::string> chosen = rooms.record(sender, message->address, localAddress);
  if (!chosen) {
    if (!roomTableFullWarned) {
      roomTableFullWarned = true;
      logWarning("LANGameController: 房间列表已满（" + std::to_string(LanTimings::MAX_ROOMS) +
                 "），忽略更多房间");
    }
    return;
  }
  fire(callbacks.roomFound, LanNickname::fromPeer(message->name), *chosen, message->port);
}

}  // namespace Tavrune
