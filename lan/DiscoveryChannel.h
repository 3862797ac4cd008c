#pragma once
// The UDP side of the LAN endpoint, for room discovery: one datagram socket on the discovery
// port (address reuse, broadcast, multicast group joined), its receive thread, which hands
// every datagram to the sink, and a periodic sender. Network owns one and keeps the public
// methods.
//
// Threads: start and stop are serialised; the socket handle is read for sends under its own
// lock and closed only after the receive thread has ended. Never stop it while holding a lock
// that the sink takes: stopping waits for the receive thread.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/SocketApi.h"

namespace Tavrune {

class DiscoveryChannel {
 public:
  // (message text, sender's dotted IPv4 address); called on the receive thread.
  using Sink = std::function<void(const std::string& text, const std::string& sender)>;

  static constexpr int DEFAULT_PORT = 8889;
  static constexpr const char* BROADCAST_ADDRESS = "255.255.255.255";
  static constexpr const char* MULTICAST_GROUP = "239.255.42.99";

  explicit DiscoveryChannel(Sink sink);
  // The owner stops it first, while the socket layer is still up; this only catches one
  // that was left running.
  ~DiscoveryChannel();
  DiscoveryChannel(const DiscoveryChannel&) = delete;
  DiscoveryChannel& operator=(const DiscoveryChannel&) = delete;

  // Binds the socket and starts the receive thread; false when already running or the
  // bind fails. Port 0 binds a free port, which later sends use.
  bool start(int port);
  // Stops the periodic sender and the receive thread, then closes the socket.
  void stop();
  // Replaces any running sender: eight sends 250 ms apart, then one every intervalMs, each
  // to the broadcast address and the multicast group on the discovery port.
  void startPeriodicBroadcast(const std::string& payload, int intervalMs);
  void stopPeriodicBroadcast();
  // One datagram to a dotted IPv4 address; a port below 1 means the discovery port.
  bool send(const std::string& payload, const std::string& address, int port);

 private:
  struct Receiver;

  void receiveLoop(std::shared_ptr<Receiver> state);
  void broadcastLoop(std::string payload, int intervalMs);
  // Waits up to ms on the sender's wake-up; false once the sender is told to stop.
  bool broadcastPause(int ms);
  void stopBroadcastLocked();
  bool isOpen();

  const Sink sink;

  // start and stop are serialised by discoveryMutex; the socket handle is read for sends
  // under udpMutex and closed only after the receive thread has ended.
  std::mutex discoveryMutex;
  std::mutex udpMutex;
  Sockets::Handle udpSocket = Sockets::INVALID_HANDLE;
  std::atomic<int> discoveryPort{DEFAULT_PORT};
  std::shared_ptr<Receiver> receiver;
  std::thread receiveThread;

  std::mutex broadcastMutex;
  std::thread broadcastThread;
  std::mutex broadcastWakeMutex;
  std::condition_variable broadcastWake;
  std::atomic<bool> broadcastRunning{false};
};

}  // namespace Tavrune
