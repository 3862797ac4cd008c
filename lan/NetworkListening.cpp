// The listening side: the exclusive listening socket and the wait for a client.
#include "lan/Network.h"

#include <chrono>

#include "core/Log.h"
#include "lan/NetworkThreads.h"

namespace Tavrune {

using namespace NetworkThreads;

namespace {

using std::chrono::milliseconds;

constexpr int LISTEN_BACKLOG = 1;

}  // namespace

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

}  // namespace Tavrune
