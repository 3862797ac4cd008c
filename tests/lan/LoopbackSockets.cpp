#include "lan/LoopbackSockets.h"

#include <vector>

namespace Tavrune::Test {

Sockets::Handle connectLoopback(int port) {
  std::vector<Sockets::Endpoint> endpoints;
  if (!Sockets::resolve("127.0.0.1", port, endpoints) || endpoints.empty()) {
    return Sockets::INVALID_HANDLE;
  }
  const Sockets::Handle socket = Sockets::open(Sockets::Family::IPv4, Sockets::Kind::Stream);
  if (socket == Sockets::INVALID_HANDLE) return socket;
  if (Sockets::setNonBlocking(socket) && Sockets::startConnect(socket, endpoints.front()) &&
      Sockets::waitWritable(socket, 3000) == Sockets::Readiness::Ready &&
      Sockets::pendingError(socket) == 0) {
    return socket;
  }
  Sockets::close(socket);
  return Sockets::INVALID_HANDLE;
}

bool sendAll(Sockets::Handle socket, const std::string& text) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    const long n = Sockets::send(socket, text.data() + sent, text.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (Sockets::lastError() != Sockets::ERROR_WOULD_BLOCK ||
               Sockets::waitWritable(socket, 1000) != Sockets::Readiness::Ready) {
      return false;
    }
  }
  return true;
}

Sockets::Handle listenLoopback(int& port) {
  const Sockets::Handle listener = Sockets::open(Sockets::Family::IPv4, Sockets::Kind::Stream);
  // Also on its connections: a test may listen on the port again while one still closes.
  Sockets::setReuseAddress(listener);
  Sockets::bindAny(listener, Sockets::Family::IPv4, 0);
  Sockets::listen(listener, 4);
  port = Sockets::localPort(listener);
  return listener;
}

}  // namespace Tavrune::Test
