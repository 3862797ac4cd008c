#pragma once
// The other end of a LAN game played by a test script over a plain socket: it sends any
// text, including what no honest peer would, and keeps every line it receives.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/SocketApi.h"

namespace Tavrune::Test {

class ScriptedPeer {
 public:
  ScriptedPeer();
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  // As a client of a room on this loopback port.
  bool connectTo(int port);
  // As a room: listens on a free loopback port (returned); the first client is taken.
  int listen();

  // Sends the text as it is (add the line feed yourself).
  void send(const std::string& text);
  std::vector<std::string> received() const;
  // Received lines with this key ("MOVE_ACK").
  std::vector<std::string> receivedWithKey(const std::string& key) const;
  bool closed() const { return peerClosed; }

 private:
  void readLoop();

  Sockets::Handle listener = Sockets::INVALID_HANDLE;
  std::atomic<Sockets::Handle> socket{Sockets::INVALID_HANDLE};
  std::atomic<bool> stopping{false};
  std::atomic<bool> peerClosed{false};
  mutable std::mutex lock;
  std::vector<std::string> lines;
  std::thread reader;
};

}  // namespace Tavrune::Test
