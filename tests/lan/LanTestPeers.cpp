#include "lan/LanTestPeers.h"

#include <thread>

namespace Tavrune::Test {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

RecordingEndpoint::RecordingEndpoint() {
  network.setMessageCallback([this](const std::string& line) {
    std::lock_guard lock(mutex);
    received.push_back(line);
  });
  network.setConnectedCallback([this] {
    std::lock_guard lock(mutex);
    ++connects;
  });
  network.setDisconnectedCallback([this](Network::Ending) {
    std::function<void()> action;
    {
      std::lock_guard lock(mutex);
      ++disconnects;
      action = disconnectAction;
    }
    if (action) action();
  });
}

RecordingEndpoint::~RecordingEndpoint() {
  network.stopDiscovery();
  network.stopServer();
}

std::vector<std::string> RecordingEndpoint::lines() const {
  std::lock_guard lock(mutex);
  return received;
}

int RecordingEndpoint::connectedCount() const {
  std::lock_guard lock(mutex);
  return connects;
}

int RecordingEndpoint::disconnectedCount() const {
  std::lock_guard lock(mutex);
  return disconnects;
}

void RecordingEndpoint::onDisconnect(std::function<void()> action) {
  std::lock_guard lock(mutex);
  disconnectAction = std::move(action);
}

bool connectPair(RecordingEndpoint& host, RecordingEndpoint& guest, const std::string& address) {
  if (!host.network.startServer(0)) return false;
  bool accepted = false;
  std::thread waiter([&] { accepted = host.network.waitForClient(); });
  const bool connected = guest.network.connectToServer(address, host.network.listeningPort());
  if (!connected) host.network.stopServer();
  waiter.join();
  if (!connected || !accepted) return false;
  host.network.startReceiving();
  guest.network.startReceiving();
  return true;
}

RawPeer::RawPeer() { Sockets::startup(); }

RawPeer::~RawPeer() {
  close();
  Sockets::cleanup();
}

bool RawPeer::connect(const std::string& address, int port) {
  std::vector<Sockets::Endpoint> endpoints;
  if (!Sockets::resolve(address, port, endpoints) || endpoints.empty()) return false;
  socket = Sockets::open(endpoints.front().family, Sockets::Kind::Stream);
  if (socket == Sockets::INVALID_HANDLE) return false;
  Sockets::setNonBlocking(socket);
  return Sockets::startConnect(socket, endpoints.front()) &&
         Sockets::waitWritable(socket, 3000) == Sockets::Readiness::Ready && Sockets::pendingError(socket) == 0;
}

bool RawPeer::send(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const long result = Sockets::send(socket, bytes.data() + sent, bytes.size() - sent);
    if (result > 0) {
      sent += static_cast<std::size_t>(result);
    } else if (Sockets::lastError() == Sockets::ERROR_WOULD_BLOCK) {
      if (Sockets::waitWritable(socket, 2000) != Sockets::Readiness::Ready) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool RawPeer::readUntilClosed(std::string& received, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char buffer[4096];
  while (std::chrono::steady_clock::now() < deadline) {
    if (Sockets::waitReadable(socket, 50) != Sockets::Readiness::Ready) continue;
    const long result = Sockets::receive(socket, buffer, sizeof buffer);
    if (result == 0) return true;
    if (result < 0) {
      if (Sockets::lastError() == Sockets::ERROR_WOULD_BLOCK) continue;
      return true;  // a reset ends the stream too
    }
    received.append(buffer, static_cast<std::size_t>(result));
  }
  return false;
}

void RawPeer::close() {
  Sockets::close(socket);
  socket = Sockets::INVALID_HANDLE;
}

}  // namespace Tavrune::Test
