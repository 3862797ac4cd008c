#include "lan/Network.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <vector>

#include "core/Log.h"
#include "lan/LanProtocol.h"
#include "lan/LocalAddressChoice.h"

namespace Tavrune {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How soon a stop request reaches a thread waiting on a socket: every wait is cut into
// slices this long, so no thread ever has to close a handle under another.
constexpr int WAKE_SLICE_MS = 100;
// One connectToServer gives up after this, all resolved addresses sharing it.
constexpr int CONNECT_TIMEOUT_MS = 3000;
// A send that makes no progress for this long fails (a peer that stopped reading).
constexpr int SEND_STALL_MS = 5000;
// Queued and not yet sent: a peer that lets more pile up is not reading.
constexpr std::size_t MAX_QUEUED_BYTES = 1024 * 1024;
// A local close first gives what is queued (a farewell) this long to leave.
constexpr int FLUSH_MS = 1000;
// The farewell to a peer that broke the protocol is only worth a short try.
constexpr int FAREWELL_STALL_MS = 1000;
constexpr std::size_t RECEIVE_CHUNK_BYTES = 4095;
constexpr std::size_t DATAGRAM_MAX_BYTES = 1023;
constexpr int FAST_START_SENDS = 8;
constexpr int FAST_START_PAUSE_MS = 250;
constexpr int BROADCAST_SLICE_MS = 100;
constexpr int LISTEN_BACKLOG = 1;
constexpr std::size_t SENT_LOG_CHARS = 50;

bool isSelf(const std::thread& thread) { return thread.get_id() == std::this_thread::get_id(); }

void joinOrDetach(std::thread& thread) {
  if (!thread.joinable()) return;
  if (isSelf(thread)) {
    thread.detach();
  } else {
    thread.join();
  }
}

// The first `count` bytes of a UTF-8 text, never ending inside a character.
std::string headOf(const std::string& text, std::size_t count) {
  if (text.size() <= count) return text;
  while (count > 0 && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80) --count;
  return text.substr(0, count);
}

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

// One TCP connection: its socket, receive thread and state. Shared with the receive thread,
// so a thread detached from inside its own callback still holds what it touches.
struct Network::Connection {
  Connection(Sockets::Handle s, std::string p) : socket(s), peer(std::move(p)) {}

  const Sockets::Handle socket;
  const std::string peer;

  std::mutex threadMutex;
  std::thread thread;
  bool receiving = false;  // the thread was started once; never restarted

  std::atomic<bool> stop{false};      // the owner retires the connection
  std::atomic<bool> open{true};       // not yet ended by either side
  std::atomic<bool> reported{false};  // onDisconnected has been called for it

  // Serialises sends and the close, so a send never meets a reused handle.
  std::mutex sendMutex;
  bool closed = false;

  std::string receiveBuffer;  // receive thread only
  std::atomic<bool> refused{false};  // the owner found the peer breaking the protocol

  // What is queued for the peer, sent in order by the writer thread.
  std::mutex queueMutex;
  std::condition_variable queueChanged;
  std::deque<std::string> queued;
  std::size_t queuedBytes = 0;
  bool overflowed = false;  // the peer let too much pile up: lost
  bool flushing = false;    // the owner closes: send what is queued, then end
  bool writerDone = false;
  std::thread writer;  // under threadMutex
};

namespace {

// The connection whose lines this thread is handing to onMessage, for refusePeer.
thread_local Network::Connection* dispatching = nullptr;

}  // namespace

struct Network::Discovery {
  explicit Discovery(Sockets::Handle s) : socket(s) {}
  const Sockets::Handle socket;
  std::atomic<bool> running{true};
  // Set when discovery is stopped from its own thread, which then closes the socket last.
  std::atomic<bool> closeOnExit{false};
};

Network::Network() {
  socketsStarted = Sockets::startup();
  if (socketsStarted) {
    logInfo("[Network] Winsock initialized successfully");
  } else {
    logError("[Network] Failed to initialize Winsock");
  }
}

Network::~Network() {
  // No owner is called back while it is being destroyed.
  setConnectedCallback(nullptr);
  setDisconnectedCallback(nullptr);
  setMessageCallback(nullptr);
  setDiscoveryCallback(nullptr);
  stopDiscovery();
  stopServer();
  if (socketsStarted) Sockets::cleanup();
}

// ---- Callbacks ----

void Network::setConnectedCallback(ConnectedCallback callback) {
  replaceCallback(onConnected, std::move(callback));
}

void Network::setDisconnectedCallback(DisconnectedCallback callback) {
  replaceCallback(onDisconnected, std::move(callback));
}

void Network::setMessageCallback(MessageCallback callback) {
  replaceCallback(onMessage, std::move(callback));
}

void Network::setDiscoveryCallback(DiscoveryCallback callback) {
  replaceCallback(onDiscovery, std::move(callback));
}

// ---- Listening ----

bool Network::startServer(int port) {
  logInfo("[Network] Starting server on port " + std::to_string(port));
  {
    std::lock_guard lock(listenMutex);
    if (serverSocket != Sockets::INVALID_HANDLE) {
      logWarning("[Network] Server already started on port " + std::to_string(boundPort));
      return false;
    }
  }
  Sockets::Handle listener = Sockets::open(Sockets::Family::IPv6, Sockets::Kind::Stream);
  if (listener != Sockets::INVALID_HANDLE) {
    Sockets::setDualStack(listener);
    Sockets::setExclusiveAddress(listener);
    if (!Sockets::bindAny(listener, Sockets::Family::IPv6, port)) {
      logWarning("[Network] IPv6 bind failed, falling back to IPv4");
      Sockets::close(listener);
      listener = Sockets::INVALID_HANDLE;
    }
  }
  if (listener == Sockets::INVALID_HANDLE) {
    listener = Sockets::open(Sockets::Family::IPv4, Sockets::Kind::Stream);
    if (listener == Sockets::INVALID_HANDLE) {
      logError("[Network] Failed to create IPv4 socket");
      return false;
    }
    Sockets::setExclusiveAddress(listener);
    if (!Sockets::bindAny(listener, Sockets::Family::IPv4, port)) {
      logError("[Network] Failed to bind to port " + std::to_string(port) + ": " +
               std::to_string(Sockets::lastError()));
      Sockets::close(listener);
      return false;
    }
  }
  if (!Sockets::listen(listener, LISTEN_BACKLOG)) {
    logError("[Network] Failed to listen on port " + std::to_string(port));
    Sockets::close(listener);
    return false;
  }
  // Non-blocking, so an accept after a client gave up in between cannot hang the wait.
  Sockets::setNonBlocking(listener);
  int bound = 0;
  {
    std::lock_guard lock(listenMutex);
    serverSocket = listener;
    boundPort = bound = Sockets::localPort(listener);
    listenStop = false;
  }
  server = true;
  logInfo("[Network] Server started successfully on port " + std::to_string(bound));
  return true;
}

int Network::listeningPort() const {
  std::lock_guard lock(listenMutex);
  return boundPort;
}

bool Network::waitForClient() {
  Sockets::Handle listener;
  {
    std::lock_guard lock(listenMutex);
    if (serverSocket == Sockets::INVALID_HANDLE) {
      logError("[Network] waitForClient: server socket is invalid");
      return false;
    }
    if (waiting) {
      logError("[Network] waitForClient: another thread is already waiting");
      return false;
    }
    waiting = true;
    waiter = std::this_thread::get_id();
    listener = serverSocket;
  }
  logInfo("[Network] Waiting for client connection...");
  bool accepted = false;
  while (!listenStop) {
    const Sockets::Readiness readiness = Sockets::waitReadable(listener, WAKE_SLICE_MS);
    if (readiness == Sockets::Readiness::TimedOut) continue;
    if (readiness == Sockets::Readiness::Failed) {
      const int error = Sockets::lastError();
      if (error == Sockets::ERROR_INVALID_ARGUMENT || error == Sockets::ERROR_NOT_SOCKET) break;
      logWarning("[Network] select failed while waiting client: " + std::to_string(error));
      std::this_thread::sleep_for(milliseconds(WAKE_SLICE_MS));
      continue;
    }
    std::string peer;
    const Sockets::Handle socket = Sockets::accept(listener, peer);
    if (socket == Sockets::INVALID_HANDLE) {
      const int error = Sockets::lastError();
      if (error == Sockets::ERROR_INVALID_ARGUMENT || error == Sockets::ERROR_NOT_SOCKET) break;
      if (error != Sockets::ERROR_WOULD_BLOCK) logWarning("[Network] accept failed: " + std::to_string(error));
      continue;
    }
    {
      // From here on the listener is not touched, so a stop need not wait for the hand-over
      // (which may be joining the very thread that asks for the stop).
      std::lock_guard lock(listenMutex);
      handingOver = true;
    }
    listenIdle.notify_all();
    if (listenStop) {
      Sockets::close(socket);
      break;
    }
    adoptConnection(socket, peer);
    if (listenStop) {
      // Stopped while the old connection was being retired: the new one goes too.
      disconnect();
      break;
    }
    logInfo("[Network] Client connected from: " + peer);
    accepted = true;
    break;
  }
  {
    std::lock_guard lock(listenMutex);
    waiting = false;
    handingOver = false;
    waiter = {};
  }
  listenIdle.notify_all();
  if (!accepted) {
    logInfo("[Network] Waiting for client connection aborted");
    return false;
  }
  if (const ConnectedCallback connected = snapshot(onConnected)) connected();
  return true;
}

void Network::closeListener() {
  std::unique_lock lock(listenMutex);
  // The waiting thread owns the listener while it waits; it sees the stop within a slice.
  // Once it hands a connection over (and on its own thread) the listener is no longer in use.
  if (waiter != std::this_thread::get_id()) listenIdle.wait(lock, [this] { return !waiting || handingOver; });
  if (serverSocket != Sockets::INVALID_HANDLE) Sockets::close(serverSocket);
  serverSocket = Sockets::INVALID_HANDLE;
  boundPort = 0;
}

void Network::stopListening() {
  listenStop = true;
  closeListener();
}

int Network::dropQueuedClients() {
  std::lock_guard lock(listenMutex);
  if (serverSocket == Sockets::INVALID_HANDLE || waiting) return 0;
  int dropped = 0;
  for (;;) {
    std::string peer;
    const Sockets::Handle socket = Sockets::accept(serverSocket, peer);
    if (socket == Sockets::INVALID_HANDLE) break;
    logInfo("[Network] Closing a connection that queued before the wait: " + peer);
    Sockets::close(socket);
    ++dropped;
  }
  return dropped;
}

void Network::stopServer() {
  listenStop = true;
  server = false;
  // The wait ends first, so it cannot install a connection after the disconnect below.
  closeListener();
  disconnect();
}

// ---- Connections ----

std::shared_ptr<Network::Connection> Network::currentConnection() const {
  std::lock_guard lock(connectionMutex);
  return connection;
}

Sockets::Handle Network::currentSocket() const {
  const std::shared_ptr<Connection> conn = currentConnection();
  return conn ? conn->socket : Sockets::INVALID_HANDLE;
}

void Network::adoptConnection(Sockets::Handle socket, const std::string& peer) {
  Sockets::setNonBlocking(socket);
  // Every message is one send: without this a move waits for the peer's delayed ACK.
  Sockets::setNoDelay(socket);
  auto fresh = std::make_shared<Connection>(socket, peer);
  {
    std::lock_guard lock(fresh->threadMutex);
    fresh->writer = std::thread(&Network::writeLoop, this, fresh);
  }
  for (;;) {
    std::shared_ptr<Connection> old;
    {
      std::lock_guard lock(connectionMutex);
      if (!connection) {
        connection = fresh;
        ++connectionCount;
        return;
      }
      old = std::move(connection);
    }
    // Also a connection never reported lost: no second receive thread, no leaked socket.
    endConnection(*old);
    reportDisconnected(*old);
  }
}

void Network::joinReceiveThread(Connection& conn) {
  std::thread thread;
  {
    std::lock_guard lock(conn.threadMutex);
    thread = std::move(conn.thread);
  }
  joinOrDetach(thread);
}

void Network::stopWriter(Connection& conn) {
  std::thread writer;
  {
    std::lock_guard lock(conn.threadMutex);
    writer = std::move(conn.writer);
  }
  {
    // What is queued (a BYE or a RESIGN) still reaches the peer, within a bound.
    std::unique_lock lock(conn.queueMutex);
    conn.flushing = true;
    conn.queueChanged.notify_all();
    if (!isSelf(writer)) {
      conn.queueChanged.wait_for(lock, milliseconds(FLUSH_MS), [&conn] { return conn.writerDone; });
    }
  }
  conn.stop = true;
  conn.queueChanged.notify_all();
  joinOrDetach(writer);
}

void Network::writeLoop(std::shared_ptr<Connection> conn) {
  for (;;) {
    std::string text;
    {
      std::unique_lock lock(conn->queueMutex);
      conn->queueChanged.wait(lock, [&] {
        return !conn->queued.empty() || conn->overflowed || conn->flushing || conn->stop;
      });
      if (conn->overflowed || conn->stop || conn->queued.empty()) break;
      text = std::move(conn->queued.front());
      conn->queued.pop_front();
      conn->queuedBytes -= text.size();
    }
    if (!sendAll(*conn, text, SEND_STALL_MS)) {
      if (conn->stop) break;
      logError("[Network] The peer " + conn->peer + " does not take its data; the connection is lost");
      std::lock_guard lock(conn->queueMutex);
      conn->overflowed = true;
      break;
    }
    logInfo("[Network] Sent message: " + headOf(text, SENT_LOG_CHARS));
  }
  bool lost = false;
  {
    std::lock_guard lock(conn->queueMutex);
    lost = conn->overflowed && !conn->stop;
    conn->writerDone = true;
  }
  conn->queueChanged.notify_all();
  if (lost) {
    {
      std::lock_guard lock(conn->sendMutex);
      if (!conn->closed) Sockets::shutdownSend(conn->socket);
    }
    conn->open = false;
    reportDisconnected(*conn);
  }
  // Nothing of this object is touched from here on, as in the receive loop.
}

void Network::endConnection(Connection& conn) {
  stopWriter(conn);
  conn.stop = true;
  joinReceiveThread(conn);
  {
    std::lock_guard lock(conn.sendMutex);
    if (!conn.closed) {
      Sockets::close(conn.socket);
      conn.closed = true;
    }
  }
  conn.open = false;
}

void Network::reportDisconnected(Connection& conn) {
  if (conn.reported.exchange(true)) return;
  if (const DisconnectedCallback disconnected = snapshot(onDisconnected)) disconnected();
}

bool Network::connectToServer(const std::string& host, int port, const std::atomic<bool>* cancel) {
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  logInfo("[Network] Connecting to server: " + host + ":" + std::to_string(port));
  std::string name = host;
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  std::vector<Sockets::Endpoint> endpoints;
  if (!Sockets::resolve(name, port, endpoints)) {
    logError("[Network] Failed to resolve address: " + host);
    return false;
  }
  const Clock::time_point deadline = Clock::now() + milliseconds(CONNECT_TIMEOUT_MS);
  Sockets::Handle socket = Sockets::INVALID_HANDLE;
  const Sockets::Endpoint* used = nullptr;
  for (const Sockets::Endpoint& endpoint : endpoints) {
    if (remainingMs(deadline) == 0) break;
    if (endpoint.family == Sockets::Family::Other) continue;
    const Sockets::Handle attempt = Sockets::open(endpoint.family, Sockets::Kind::Stream);
    if (attempt == Sockets::INVALID_HANDLE) continue;
    bool connected = Sockets::setNonBlocking(attempt) && Sockets::startConnect(attempt, endpoint);
    if (connected) {
      // In slices, so a cancel is seen.
      Sockets::Readiness readiness = Sockets::Readiness::TimedOut;
      while (readiness == Sockets::Readiness::TimedOut && remainingMs(deadline) > 0 && !cancelled()) {
        readiness = Sockets::waitWritable(attempt, std::min(WAKE_SLICE_MS, remainingMs(deadline)));
      }
      connected = readiness == Sockets::Readiness::Ready && Sockets::pendingError(attempt) == 0 && !cancelled();
    }
    if (connected) {
      socket = attempt;
      used = &endpoint;
      break;
    }
    logWarning("[Network] Connection attempt failed, trying next address");
    Sockets::close(attempt);
    if (cancelled()) break;
  }
  if (socket == Sockets::INVALID_HANDLE) {
    logError("[Network] Failed to connect to " + host + ":" + std::to_string(port));
    return false;
  }
  const char* family = used->family == Sockets::Family::IPv6 ? "IPv6" : "IPv4";
  const std::string peer = used->numericHost.empty() ? host : used->numericHost;
  server = false;
  adoptConnection(socket, peer);
  logInfo("[Network] Connected to server successfully: " + peer + " (family=" + family + ")");
  if (const ConnectedCallback connected = snapshot(onConnected)) connected();
  return true;
}

void Network::startReceiving() {
  const std::shared_ptr<Connection> conn = currentConnection();
  if (!conn) {
    logWarning("[Network] startReceiving: not connected");
    return;
  }
  std::lock_guard lock(conn->threadMutex);
  if (conn->receiving) return;
  conn->receiving = true;
  conn->thread = std::thread(&Network::receiveLoop, this, conn);
}

void Network::receiveLoop(std::shared_ptr<Connection> conn) {
  logInfo("[Network] Receive loop started");
  char chunk[RECEIVE_CHUNK_BYTES + 1];
  while (!conn->stop) {
    const Sockets::Readiness readiness = Sockets::waitReadable(conn->socket, WAKE_SLICE_MS);
    if (readiness == Sockets::Readiness::TimedOut) continue;
    const long received =
        readiness == Sockets::Readiness::Ready ? Sockets::receive(conn->socket, chunk, RECEIVE_CHUNK_BYTES) : -1;
    if (conn->stop) break;
    if (received < 0 && Sockets::lastError() == Sockets::ERROR_WOULD_BLOCK) continue;
    if (received <= 0) {
      logWarning("[Network] Connection closed, bytesReceived=" + std::to_string(received < 0 ? -1 : 0));
      conn->open = false;
      reportDisconnected(*conn);
      break;
    }
    logInfo("[Network] Received " + std::to_string(received) + " bytes");
    // Without a message callback nobody reads the stream: the chunk is dropped.
    if (!snapshot(onMessage)) continue;
    conn->receiveBuffer.append(chunk, static_cast<std::size_t>(received));
    if (!dispatchLines(*conn)) break;
  }
  // Nothing of this object is touched from here on: the thread may have been detached by
  // a disconnect from inside its own callback.
  logInfo("[Network] Receive loop ended");
}

bool Network::dispatchLines(Connection& conn) {
  std::vector<std::string> lines;
  LanProtocol::splitLines(conn.receiveBuffer, lines);
  for (const std::string& line : lines) {
    if (conn.stop) return false;
    if (line.size() > MAX_LINE_BYTES) {
      refuseOversizedLine(conn);
      return false;
    }
    logInfo("[Network] Processing message: " + line);
    if (const MessageCallback message = snapshot(onMessage)) {
      dispatching = &conn;
      message(line);
      dispatching = nullptr;
    }
    if (conn.refused) {
      refuseOversizedLine(conn);
      return false;
    }
  }
  if (conn.receiveBuffer.size() > MAX_LINE_BYTES) {
    refuseOversizedLine(conn);
    return false;
  }
  return !conn.stop;
}

void Network::refusePeer() {
  if (dispatching != nullptr) dispatching->refused = true;
}

void Network::refuseOversizedLine(Connection& conn) {
  if (conn.refused) {
    logError("[Network] Peer " + conn.peer + " sends more than can be handled; closing the connection");
  } else {
    logError("[Network] Peer " + conn.peer + " sent a line longer than " + std::to_string(MAX_LINE_BYTES) +
             " bytes; closing the connection");
  }
  conn.receiveBuffer.clear();
  conn.receiveBuffer.shrink_to_fit();
  sendAll(conn, LanProtocol::makeBye(PROTOCOL_ERROR_REASON), FAREWELL_STALL_MS);
  {
    // The peer reads the farewell and then the end of the stream; the handle itself is
    // closed by the connection's owner once this thread has ended.
    std::lock_guard lock(conn.sendMutex);
    if (!conn.closed) Sockets::shutdownSend(conn.socket);
  }
  conn.open = false;
  reportDisconnected(conn);
}

bool Network::sendAll(Connection& conn, const std::string& text, int stallMs) {
  std::lock_guard lock(conn.sendMutex);
  std::size_t sent = 0;
  Clock::time_point lastProgress = Clock::now();
  while (sent < text.size()) {
    if (conn.closed) {
      logError("[Network] Failed to send message: " + std::to_string(Sockets::ERROR_NOT_SOCKET));
      return false;
    }
    const long result = Sockets::send(conn.socket, text.data() + sent, text.size() - sent);
    if (result > 0) {
      sent += static_cast<std::size_t>(result);
      lastProgress = Clock::now();
      continue;
    }
    const int error = Sockets::lastError();
    if (result < 0 && error == Sockets::ERROR_WOULD_BLOCK) {
      if (conn.stop || Clock::now() - lastProgress > milliseconds(stallMs)) {
        logError("[Network] Failed to send message: " + std::to_string(Sockets::ERROR_TIMED_OUT));
        return false;
      }
      Sockets::waitWritable(conn.socket, WAKE_SLICE_MS);
      continue;
    }
    logError("[Network] Failed to send message: " + std::to_string(error));
    return false;
  }
  return true;
}

bool Network::sendMessage(const std::string& text) {
  const std::shared_ptr<Connection> conn = currentConnection();
  if (!conn || !conn->open) {
    logWarning("[Network] sendMessage: not connected");
    return false;
  }
  if (text.empty()) return true;
  bool queued = false;
  {
    std::lock_guard lock(conn->queueMutex);
    if (conn->overflowed || conn->flushing || conn->writerDone) return false;
    if (conn->queuedBytes + text.size() > MAX_QUEUED_BYTES) {
      // Reported lost by the writer thread, never on the caller's, which may hold its
      // owner's lock.
      logError("[Network] Too much is waiting for the peer " + conn->peer + "; the connection is lost");
      conn->overflowed = true;
    } else {
      conn->queued.push_back(text);
      conn->queuedBytes += text.size();
      queued = true;
    }
  }
  conn->queueChanged.notify_all();
  return queued;
}

void Network::disconnect() {
  logInfo("[Network] Disconnecting...");
  std::shared_ptr<Connection> old;
  {
    std::lock_guard lock(connectionMutex);
    old = std::move(connection);
  }
  if (!old) {
    logInfo("[Network] Disconnected");
    return;
  }
  endConnection(*old);
  logInfo("[Network] Disconnected");
  reportDisconnected(*old);
}

bool Network::isConnected() const {
  const std::shared_ptr<Connection> conn = currentConnection();
  return conn && conn->open;
}

bool Network::isServer() const { return server; }

std::string Network::peerAddress() const {
  const std::shared_ptr<Connection> conn = currentConnection();
  return conn ? conn->peer : std::string();
}

std::uint64_t Network::connectionNumber() const {
  std::lock_guard lock(connectionMutex);
  return connectionCount;
}

std::string Network::getLocalIPAddress() const {
  std::vector<Sockets::AdapterRecord> adapters;
  if (!Sockets::listAdapters(adapters)) return "127.0.0.1";
  return chooseLocalAddress(adapters);
}

// ---- Discovery ----

bool Network::startDiscovery(int port) {
  std::lock_guard lock(discoveryMutex);
  if (discovery) {
    logWarning("[Network] Discovery already running");
    return false;
  }
  logInfo("[Network] Starting discovery on UDP port " + std::to_string(port));
  discoveryPort = port;
  const Sockets::Handle socket = Sockets::open(Sockets::Family::IPv4, Sockets::Kind::Datagram);
  if (socket == Sockets::INVALID_HANDLE) {
    logError("[Network] Failed to create UDP socket");
    return false;
  }
  // Address reuse on purpose: a host and a searcher on one machine both bind this port.
  Sockets::setReuseAddress(socket);
  Sockets::setBroadcast(socket);
  if (!Sockets::bindAny(socket, Sockets::Family::IPv4, port)) {
    logError("[Network] Failed to bind UDP socket to port " + std::to_string(port) + ": " +
             std::to_string(Sockets::lastError()));
    Sockets::close(socket);
    return false;
  }
  if (port == 0) discoveryPort = Sockets::localPort(socket);
  Sockets::setNonBlocking(socket);
  if (!Sockets::joinMulticastGroup(socket, MULTICAST_GROUP)) {
    logWarning("[Network] Join multicast group failed: " + std::to_string(Sockets::lastError()));
  }
  Sockets::setMulticastTimeToLive(socket, 1);
  discovery = std::make_shared<Discovery>(socket);
  {
    std::lock_guard udpLock(udpMutex);
    udpSocket = socket;
  }
  discoveryThread = std::thread(&Network::discoveryLoop, this, discovery);
  logInfo("[Network] Discovery started successfully");
  return true;
}

void Network::stopDiscovery() {
  std::shared_ptr<Discovery> stopped;
  std::thread thread;
  {
    std::lock_guard lock(discoveryMutex);
    logInfo("[Network] Stopping discovery...");
    stopPeriodicBroadcast();
    stopped = std::move(discovery);
    if (stopped) stopped->running = false;
    {
      std::lock_guard udpLock(udpMutex);
      udpSocket = Sockets::INVALID_HANDLE;
    }
    thread = std::move(discoveryThread);
  }
  if (thread.joinable() && isSelf(thread)) {
    stopped->closeOnExit = true;
    thread.detach();
  } else {
    if (thread.joinable()) thread.join();
    if (stopped) Sockets::close(stopped->socket);
  }
  logInfo("[Network] Discovery stopped");
}

void Network::discoveryLoop(std::shared_ptr<Discovery> state) {
  logInfo("[Network] Discovery loop started");
  char datagram[DATAGRAM_MAX_BYTES];
  while (state->running) {
    const Sockets::Readiness readiness = Sockets::waitReadable(state->socket, WAKE_SLICE_MS);
    if (readiness == Sockets::Readiness::TimedOut) continue;
    std::string sender;
    const long received = readiness == Sockets::Readiness::Ready
                              ? Sockets::receiveFrom(state->socket, datagram, sizeof datagram, sender)
                              : -1;
    if (!state->running) break;
    if (received < 0) {
      const int error = Sockets::lastError();
      if (error == Sockets::ERROR_TIMED_OUT || error == Sockets::ERROR_WOULD_BLOCK) continue;
      logWarning("[Network] Discovery recvfrom failed: " + std::to_string(error));
      std::this_thread::sleep_for(milliseconds(WAKE_SLICE_MS));
      continue;
    }
    if (received == 0) continue;
    const std::string text(datagram, strnlen(datagram, static_cast<std::size_t>(received)));
    logInfo("[Network] Received discovery from " + sender + ": " + text);
    if (const DiscoveryCallback callback = snapshot(onDiscovery)) callback(text, sender);
  }
  logInfo("[Network] Discovery loop ended");
  if (state->closeOnExit) Sockets::close(state->socket);
}

bool Network::sendDiscoverBroadcast(const std::string& payload, const std::string& address, int port) {
  std::lock_guard lock(udpMutex);
  if (udpSocket == Sockets::INVALID_HANDLE) {
    logWarning("[Network] sendDiscoverBroadcast: UDP socket invalid");
    return false;
  }
  const int destinationPort = port < 1 ? discoveryPort.load() : port;
  if (Sockets::sendTo(udpSocket, payload.data(), payload.size(), address, destinationPort) < 0) {
    logError("[Network] Failed to send broadcast: " + std::to_string(Sockets::lastError()));
    return false;
  }
  logInfo("[Network] Sent discovery packet to " + address + ":" + std::to_string(destinationPort) +
          " payload=" + payload);
  return true;
}

void Network::startPeriodicBroadcast(const std::string& payload, int intervalMs) {
  std::lock_guard lock(broadcastMutex);
  stopBroadcastLocked();
  broadcastRunning = true;
  broadcastThread = std::thread(&Network::broadcastLoop, this, payload, intervalMs);
}

void Network::stopPeriodicBroadcast() {
  std::lock_guard lock(broadcastMutex);
  stopBroadcastLocked();
}

void Network::stopBroadcastLocked() {
  {
    std::lock_guard wakeLock(broadcastWakeMutex);
    broadcastRunning = false;
  }
  broadcastWake.notify_all();
  joinOrDetach(broadcastThread);
}

bool Network::broadcastPause(int ms) {
  std::unique_lock lock(broadcastWakeMutex);
  return !broadcastWake.wait_for(lock, milliseconds(ms), [this] { return !broadcastRunning; });
}

bool Network::discoveryOpen() {
  std::lock_guard lock(udpMutex);
  return udpSocket != Sockets::INVALID_HANDLE;
}

void Network::broadcastLoop(std::string payload, int intervalMs) {
  const auto sendBoth = [&] {
    const int port = discoveryPort;
    sendDiscoverBroadcast(payload, BROADCAST_ADDRESS, port);
    sendDiscoverBroadcast(payload, MULTICAST_GROUP, port);
  };
  for (int i = 0; i < FAST_START_SENDS; ++i) {
    if (!broadcastRunning || !discoveryOpen()) return;
    sendBoth();
    if (!broadcastPause(FAST_START_PAUSE_MS)) return;
  }
  const int slices = std::max(1, intervalMs / BROADCAST_SLICE_MS);
  while (broadcastRunning) {
    if (!discoveryOpen()) return;
    sendBoth();
    if (!broadcastPause(slices * BROADCAST_SLICE_MS)) return;
  }
}

}  // namespace Tavrune
