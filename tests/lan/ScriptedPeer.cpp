#include "lan/ScriptedPeer.h"

#include <chrono>

#include "lan/LanProtocol.h"
#include "lan/LoopbackSockets.h"

namespace Tavrune::Test {

ScriptedPeer::ScriptedPeer() { Sockets::startup(); }

ScriptedPeer::~ScriptedPeer() {
  stopping = true;
  if (reader.joinable()) reader.join();
  if (socket != Sockets::INVALID_HANDLE) Sockets::close(socket);
  if (listener != Sockets::INVALID_HANDLE) Sockets::close(listener);
  Sockets::cleanup();
}

bool ScriptedPeer::connectTo(int port) {
  socket = connectLoopback(port);
  if (socket == Sockets::INVALID_HANDLE) return false;
  reader = std::thread([this] { readLoop(); });
  return true;
}

int ScriptedPeer::listen() {
  int port = 0;
  listener = listenLoopback(port);
  reader = std::thread([this] { readLoop(); });
  return port;
}

void ScriptedPeer::send(const std::string& text) {
  // A listening peer may not have taken its client yet.
  for (int i = 0; i < 3000 && socket == Sockets::INVALID_HANDLE; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (socket != Sockets::INVALID_HANDLE) sendAll(socket, text);
}

std::vector<std::string> ScriptedPeer::received() const {
  std::lock_guard<std::mutex> guard(lock);
  return lines;
}

std::vector<std::string> ScriptedPeer::receivedWithKey(const std::string& key) const {
  std::vector<std::string> matching;
  for (const std::string& line : received()) {
    if (line.compare(0, key.size() + 1, key + ":") == 0) matching.push_back(line);
  }
  return matching;
}

void ScriptedPeer::readLoop() {
  while (!stopping && socket == Sockets::INVALID_HANDLE) {
    if (Sockets::waitReadable(listener, 10) != Sockets::Readiness::Ready) continue;
    std::string peer;
    const Sockets::Handle accepted = Sockets::accept(listener, peer);
    if (accepted != Sockets::INVALID_HANDLE && Sockets::setNonBlocking(accepted)) socket = accepted;
  }
  std::string buffer;
  while (!stopping && !peerClosed) {
    const Sockets::Readiness ready = Sockets::waitReadable(socket, 10);
    if (ready == Sockets::Readiness::TimedOut) continue;
    char chunk[4096];
    const long n = ready == Sockets::Readiness::Ready ? Sockets::receive(socket, chunk, sizeof chunk) : -1;
    if (n < 0 && Sockets::lastError() == Sockets::ERROR_WOULD_BLOCK) continue;
    if (n <= 0) {
      peerClosed = true;
      break;
    }
    buffer.append(chunk, static_cast<std::size_t>(n));
    std::vector<std::string> complete;
    LanProtocol::splitLines(buffer, complete);
    std::lock_guard<std::mutex> guard(lock);
    lines.insert(lines.end(), complete.begin(), complete.end());
  }
}

}  // namespace Tavrune::Test
