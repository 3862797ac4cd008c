// The game connection: connecting, the receive thread that cuts the stream into lines, the
// writer thread that sends what is queued, and the connection's end.
#include "lan/Network.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "lan/LanProtocol.h"
#include "lan/NetworkThreads.h"

namespace Tavrune {

using namespace NetworkThreads;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

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
constexpr std::size_t SENT_LOG_CHARS = 50;

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
  std::uint64_t number = 0;  // set once, when it becomes the current connection

  std::mutex threadMutex;
  std::thread thread;
  bool receiving = false;  // the thread was started once; never restarted

  std::atomic<bool> stop{false};      // the owner retires the connection: nothing more is read
  std::atomic<bool> writerStop{false};  // the writer gives up what is still queued
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
  std::uint64_t queuedTotal = 0;  // ever queued
  std::uint64_t handedTotal = 0;  // ever handed to the socket
  bool overflowed = false;  // the peer let too much pile up: lost
  bool flushing = false;    // the owner closes: send what is queued, then end
  bool writerDone = false;
  std::thread writer;  // under threadMutex
};

namespace {

// The connection whose lines this thread is handing to onMessage, for refusePeer.
thread_local Network::Connection* dispatching = nullptr;
// The connection a callback on this thread reports on, for connectionNumber.
thread_local const Network::Connection* reporting = nullptr;

// Names the connection for the callbacks called while it lives.
class ReportingOn {
 public:
  explicit ReportingOn(const Network::Connection& conn) : previous(std::exchange(reporting, &conn)) {}
  ~ReportingOn() { reporting = previous; }
  ReportingOn(const ReportingOn&) = delete;
  ReportingOn& operator=(const ReportingOn&) = delete;

 private:
  const Network::Connection* previous;
};

}  // namespace

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
        fresh->number = ++connectionCount;
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
  conn.writerStop = true;
  conn.queueChanged.notify_all();
  joinOrDetach(writer);
}

void Network::writeLoop(std::shared_ptr<Connection> conn) {
  for (;;) {
    std::string text;
    {
      std::unique_lock lock(conn->queueMutex);
      conn->queueChanged.wait(lock, [&] {
        return !conn->queued.empty() || conn->overflowed || conn->flushing || conn->writerStop;
      });
      if (conn->overflowed || conn->writerStop || conn->queued.empty()) break;
      text = std::move(conn->queued.front());
      conn->queued.pop_front();
      conn->queuedBytes -= text.size();
    }
    if (!sendAll(*conn, text, SEND_STALL_MS, conn->writerStop)) {
      if (conn->writerStop) break;
      logError("[Network] The peer " + conn->peer + " does not take its data; the connection is lost");
      std::lock_guard lock(conn->queueMutex);
      conn->overflowed = true;
      break;
    }
    {
      std::lock_guard lock(conn->queueMutex);
      conn->handedTotal += text.size();
    }
    logInfo("[Network] Sent message: " + headOf(text, SENT_LOG_CHARS));
  }
  bool lost = false;
  {
    std::lock_guard lock(conn->queueMutex);
    lost = conn->overflowed && !conn->writerStop && !conn->stop;
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
  if (const DisconnectedCallback disconnected = snapshot(onDisconnected)) {
    const ReportingOn naming(conn);
    disconnected(conn.refused ? Ending::Refused : Ending::Lost);
  }
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
      cutOffPeer(conn);
      return false;
    }
    logInfo("[Network] Processing message: " + line);
    if (const MessageCallback message = snapshot(onMessage)) {
      const ReportingOn naming(conn);
      dispatching = &conn;
      message(line);
      dispatching = nullptr;
    }
    if (conn.refused) {
      cutOffPeer(conn);
      return false;
    }
  }
  if (conn.receiveBuffer.size() > MAX_LINE_BYTES) {
    cutOffPeer(conn);
    return false;
  }
  return !conn.stop;
}

void Network::refusePeer() {
  if (dispatching != nullptr) dispatching->refused = true;
}

void Network::cutOffPeer(Connection& conn) {
  if (conn.refused.exchange(true)) {
    logError("[Network] Peer " + conn.peer + " sends more than can be handled; closing the connection");
  } else {
    logError("[Network] Peer " + conn.peer + " sent a line longer than " + std::to_string(MAX_LINE_BYTES) +
             " bytes; closing the connection");
  }
  conn.receiveBuffer.clear();
  conn.receiveBuffer.shrink_to_fit();
  sendAll(conn, LanProtocol::makeBye(PROTOCOL_ERROR_REASON), FAREWELL_STALL_MS, conn.stop);
  {
    // The peer reads the farewell and then the end of the stream; the handle itself is
    // closed when the owner drops the connection (dropConnection).
    std::lock_guard lock(conn.sendMutex);
    if (!conn.closed) Sockets::shutdownSend(conn.socket);
  }
  conn.open = false;
  reportDisconnected(conn);
}

bool Network::sendAll(Connection& conn, const std::string& text, int stallMs, const std::atomic<bool>& abandon) {
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
      if (abandon || Clock::now() - lastProgress > milliseconds(stallMs)) {
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
      conn->queuedTotal += text.size();
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
    awaitReaped();
    logInfo("[Network] Disconnected");
    return;
  }
  endConnection(*old);
  logInfo("[Network] Disconnected");
  reportDisconnected(*old);
  // Nor is a connection given up earlier still reported once this returns.
  awaitReaped();
}

void Network::dropConnection(std::uint64_t number) {
  std::shared_ptr<Connection> old;
  {
    std::lock_guard lock(connectionMutex);
    if (!connection || connectionCount != number) return;
    old = std::move(connection);
  }
  logInfo("[Network] Closing the connection to " + old->peer);
  // Nothing more is read from it. Its threads end on the reaper, never on the owner's
  // thread, after what was queued (a farewell) has left.
  old->stop = true;
  {
    std::lock_guard lock(reapMutex);
    toReap.push_back(std::move(old));
    if (!reaper.joinable()) reaper = std::thread(&Network::reapLoop, this);
  }
  reapChanged.notify_all();
}

void Network::reapLoop() {
  std::unique_lock lock(reapMutex);
  for (;;) {
    reapChanged.wait(lock, [this] { return reapStop || !toReap.empty(); });
    if (toReap.empty()) return;
    const std::shared_ptr<Connection> conn = std::move(toReap.front());
    toReap.pop_front();
    reaping = true;
    lock.unlock();
    endConnection(*conn);
    reportDisconnected(*conn);
    lock.lock();
    reaping = false;
    reapChanged.notify_all();
  }
}

void Network::awaitReaped() {
  // Not from inside a callback: the reaper may be waiting for the very thread that runs it.
  if (reporting != nullptr) return;
  std::unique_lock lock(reapMutex);
  if (reaper.get_id() == std::this_thread::get_id()) return;
  reapChanged.wait(lock, [this] { return toReap.empty() && !reaping; });
}

void Network::stopReaper() {
  std::thread finished;
  {
    std::lock_guard lock(reapMutex);
    reapStop = true;
    finished = std::move(reaper);
  }
  reapChanged.notify_all();
  joinOrDetach(finished);
}

std::uint64_t Network::bytesQueued() const {
  const std::shared_ptr<Connection> conn = currentConnection();
  if (!conn) return 0;
  std::lock_guard lock(conn->queueMutex);
  return conn->queuedTotal;
}

std::uint64_t Network::bytesHandedOver() const {
  const std::shared_ptr<Connection> conn = currentConnection();
  if (!conn) return 0;
  std::lock_guard lock(conn->queueMutex);
  return conn->handedTotal;
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
  if (reporting != nullptr) return reporting->number;
  std::lock_guard lock(connectionMutex);
  return connectionCount;
}

}  // namespace Tavrune
