#include "lan/DiscoveryChannel.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/Log.h"
#include "lan/NetworkThreads.h"

namespace Tavrune {

using namespace NetworkThreads;

namespace {

using std::chrono::milliseconds;

constexpr std::size_t DATAGRAM_MAX_BYTES = 1023;
constexpr int FAST_START_SENDS = 8;
constexpr int FAST_START_PAUSE_MS = 250;
constexpr int BROADCAST_SLICE_MS = 100;

}  // namespace

struct DiscoveryChannel::Receiver {
  explicit Receiver(Sockets::Handle s) : socket(s) {}
  const Sockets::Handle socket;
  std::atomic<bool> running{true};
  // Set when discovery is stopped from its own thread, which then closes the socket last.
  std::atomic<bool> closeOnExit{false};
};

DiscoveryChannel::DiscoveryChannel(Sink datagramSink) : sink(std::move(datagramSink)) {}

DiscoveryChannel::~DiscoveryChannel() {
  bool running = false;
  {
    std::lock_guard lock(discoveryMutex);
    running = receiver != nullptr || receiveThread.joinable();
  }
  if (running) {
    stop();
  } else {
    stopPeriodicBroadcast();
  }
}

bool DiscoveryChannel::start(int port) {
  std::lock_guard lock(discoveryMutex);
  if (receiver) {
    logWarning("[Network] Discovery already running");
    return false;
  }
  logInfo("[Network] Starting discovery on UDP port " + std::to_string(port));
  discoveryPort = port;
  const Sockets::Handle socket = Sockets::open(Sockets::Family::IPv4, Sockets::Kind::Datagram);
  if (socket == Sockets::INVALID_HANDLE) {
    logError("[Network] Failed to create UDP socket");
    return false;
  }
  // Address reuse on purpose: a host and a searcher on one machine both bind this port.
  Sockets::setReuseAddress(socket);
  Sockets::setBroadcast(socket);
  if (!Sockets::bindAny(socket, Sockets::Family::IPv4, port)) {
    logError("[Network] Failed to bind UDP socket to port " + std::to_string(port) + ": " +
             std::to_string(Sockets::lastError()));
    Sockets::close(socket);
    return false;
  }
  if (port == 0) discoveryPort = Sockets::localPort(socket);
  Sockets::setNonBlocking(socket);
  if (!Sockets::joinMulticastGroup(socket, MULTICAST_GROUP)) {
    logWarning("[Network] Join multicast group failed: " + std::to_string(Sockets::lastError()));
  }
  Sockets::setMulticastTimeToLive(socket, 1);
  receiver = std::make_shared<Receiver>(socket);
  {
    std::lock_guard udpLock(udpMutex);
    udpSocket = socket;
  }
  receiveThread = std::thread(&DiscoveryChannel::receiveLoop, this, receiver);
  logInfo("[Network] Discovery started successfully");
  return true;
}

void DiscoveryChannel::stop() {
  std::shared_ptr<Receiver> stopped;
  std::thread thread;
  {
    std::lock_guard lock(discoveryMutex);
    logInfo("[Network] Stopping discovery...");
    stopPeriodicBroadcast();
    stopped = std::move(receiver);
    if (stopped) stopped->running = false;
    {
      std::lock_guard udpLock(udpMutex);
      udpSocket = Sockets::INVALID_HANDLE;
    }
    thread = std::move(receiveThread);
  }
  if (thread.joinable() && isSelf(thread)) {
    stopped->closeOnExit = true;
    thread.detach();
  } else {
    if (thread.joinable()) thread.join();
    if (stopped) Sockets::close(stopped->socket);
  }
  logInfo("[Network] Discovery stopped");
}

void DiscoveryChannel::receiveLoop(std::shared_ptr<Receiver> state) {
  logInfo("[Network] Discovery loop started");
  char datagram[DATAGRAM_MAX_BYTES];
  while (state->running) {
    const Sockets::Readiness readiness = Sockets::waitReadable(state->socket, WAKE_SLICE_MS);
    if (readiness == Sockets::Readiness::TimedOut) continue;
    std::string sender;
    const long received = readiness == Sockets::Readiness::Ready
                              ? Sockets::receiveFrom(state->socket, datagram, sizeof datagram, sender)
                              : -1;
    if (!state->running) break;
    if (received < 0) {
      const int error = Sockets::lastError();
      if (error == Sockets::ERROR_TIMED_OUT || error == Sockets::ERROR_WOULD_BLOCK) continue;
      logWarning("[Network] Discovery recvfrom failed: " + std::to_string(error));
      std::this_thread::sleep_for(milliseconds(WAKE_SLICE_MS));
      continue;
    }
    if (received == 0) continue;
    const std::string text(datagram, strnlen(datagram, static_cast<std::size_t>(received)));
    logInfo("[Network] Received discovery from " + sender + ": " + text);
    if (sink) sink(text, sender);
  }
  logInfo("[Network] Discovery loop ended");
  if (state->closeOnExit) Sockets::close(state->socket);
}

bool DiscoveryChannel::send(const std::string& payload, const std::string& address, int port) {
  std::lock_guard lock(udpMutex);
  if (udpSocket == Sockets::INVALID_HANDLE) {
    logWarning("[Network] sendDiscoverBroadcast: UDP socket invalid");
    return false;
  }
  const int destinationPort = port < 1 ? discoveryPort.load() : port;
  if (Sockets::sendTo(udpSocket, payload.data(), payload.size(), address, destinationPort) < 0) {
    logError("[Network] Failed to send broadcast: " + std::to_string(Sockets::lastError()));
    return false;
  }
  logInfo("[Network] Sent discovery packet to " + address + ":" + std::to_string(destinationPort) +
          " payload=" + payload);
  return true;
}

void DiscoveryChannel::startPeriodicBroadcast(const std::string& payload, int intervalMs) {
  std::lock_guard lock(broadcastMutex);
  stopBroadcastLocked();
  broadcastRunning = true;
  broadcastThread = std::thread(&DiscoveryChannel::broadcastLoop, this, payload, intervalMs);
}

void DiscoveryChannel::stopPeriodicBroadcast() {
  std::lock_guard lock(broadcastMutex);
  stopBroadcastLocked();
}

void DiscoveryChannel::stopBroadcastLocked() {
  {
    std::lock_guard wakeLock(broadcastWakeMutex);
    broadcastRunning = false;
  }
  broadcastWake.notify_all();
  joinOrDetach(broadcastThread);
}

bool DiscoveryChannel::broadcastPause(int ms) {
  std::unique_lock lock(broadcastWakeMutex);
  return !broadcastWake.wait_for(lock, milliseconds(ms), [this] { return !broadcastRunning; });
}

bool DiscoveryChannel::isOpen() {
  std::lock_guard lock(udpMutex);
  return udpSocket != Sockets::INVALID_HANDLE;
}

void DiscoveryChannel::broadcastLoop(std::string payload, int intervalMs) {
  const auto sendBoth = [&] {
    const int port = discoveryPort;
    send(payload, BROADCAST_ADDRESS, port);
    send(payload, MULTICAST_GROUP, port);
  };
  for (int i = 0; i < FAST_START_SENDS; ++i) {
    if (!broadcastRunning || !isOpen()) return;
    sendBoth();
    if (!broadcastPause(FAST_START_PAUSE_MS)) return;
  }
  const int slices = std::max(1, intervalMs / BROADCAST_SLICE_MS);
  while (broadcastRunning) {
    if (!isOpen()) return;
    sendBoth();
    if (!broadcastPause(slices * BROADCAST_SLICE_MS)) return;
  }
}

}  // namespace Tavrune
