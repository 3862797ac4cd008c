#pragma once
// A loopback port that neither accepts nor refuses: its listen queue is full, so a connect
// to it waits, as to a host that does not answer, until letIn() makes room.
#include "platform/SocketApi.h"

namespace Tavrune::Test {

class SilentAddress {
 public:
  // On this port (0: a free one).
  explicit SilentAddress(int port = 0);
  ~SilentAddress();
  SilentAddress(const SilentAddress&) = delete;
  SilentAddress& operator=(const SilentAddress&) = delete;

  int port() const { return boundPort; }
  // Takes the connection that fills the queue: the next connect that tries gets in.
  void letIn();

 private:
  Sockets::Handle listener = Sockets::INVALID_HANDLE;
  Sockets::Handle filler = Sockets::INVALID_HANDLE;
  int boundPort = 0;
};

}  // namespace Tavrune::Test
