#include "lan/SilentAddress.h"

#include <string>

#include "lan/LoopbackSockets.h"

namespace Tavrune::Test {

SilentAddress::SilentAddress(int port) {
  Sockets::startup();
  listener = Sockets::open(Sockets::Family::IPv4, Sockets::Kind::Stream);
  Sockets::setReuseAddress(listener);
  Sockets::bindAny(listener, Sockets::Family::IPv4, port);
  // A queue of one, filled at once: further handshakes are not answered.
  Sockets::listen(listener, 0);
  boundPort = Sockets::localPort(listener);
  filler = connectLoopback(boundPort);
}

SilentAddress::~SilentAddress() {
  Sockets::close(filler);
  Sockets::close(listener);
  Sockets::cleanup();
}

void SilentAddress::letIn() {
  std::string peer;
  Sockets::close(Sockets::accept(listener, peer));
}

}  // namespace Tavrune::Test
