#pragma once
// Test peers for the LAN transport: a Network whose callbacks record what arrives, and a
// plain socket that plays a hostile or broken program. Both builds (POSIX sockets on the
// host, Winsock under Wine).
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "lan/Network.h"
#include "platform/SocketApi.h"

namespace Tavrune::Test {

// Polls the condition every few milliseconds; true as soon as it holds.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A Network with recording callbacks installed.
class RecordingEndpoint {
 public:
  RecordingEndpoint();
  // Ends the network's threads before the records they write go.
  ~RecordingEndpoint();
  Network network;

  std::vector<std::string> lines() const;
  int connectedCount() const;
  int disconnectedCount() const;
  // Runs inside onDisconnected (on the thread that reports), after counting.
  void onDisconnect(std::function<void()> action);

 private:
  mutable std::mutex mutex;
  std::vector<std::string> received;
  int connects = 0;
  int disconnects = 0;
  std::function<void()> disconnectAction;
};

// Hosts on an ephemeral port and connects a guest to it by `address`; both receive.
// False when either side fails.
bool connectPair(RecordingEndpoint& host, RecordingEndpoint& guest, const std::string& address);

// A plain TCP client socket.
class RawPeer {
 public:
  RawPeer();
  ~RawPeer();
  RawPeer(const RawPeer&) = delete;
  RawPeer& operator=(const RawPeer&) = delete;

  bool connect(const std::string& address, int port);
  bool send(const std::string& bytes);
  // Everything received until the peer ends the stream (true) or the time runs out (false).
  bool readUntilClosed(std::string& received, std::chrono::milliseconds timeout);
  void close();

 private:
  Sockets::Handle socket = Sockets::INVALID_HANDLE;
};

}  // namespace Tavrune::Test
