// The endpoint's life cycle, its callbacks and discovery. Listening is in NetworkListening.cpp,
// the game connection in NetworkConnections.cpp, the UDP socket in DiscoveryChannel.
#include "lan/Network.h"

#include <vector>

#include "core/Log.h"
#include "lan/LocalAddressChoice.h"

namespace Tavrune {

Network::Network()
    : discovery([this](const std::string& text, const std::string& sender) {
        if (const DiscoveryCallback callback = snapshot(onDiscovery)) callback(text, sender);
      }) {
  socketsStarted = Sockets::startup();
  if (socketsStarted) {
    logInfo("[Network] Winsock initialized successfully");
  } else {
    logError("[Network] Failed to initialize Winsock");
  }
}

Network::~Network() {
  // No owner is called back while it is being destroyed.
  setConnectedCallback(nullptr);
  setDisconnectedCallback(nullptr);
  setMessageCallback(nullptr);
  setDiscoveryCallback(nullptr);
  stopDiscovery();
  stopServer();
  stopReaper();
  if (socketsStarted) Sockets::cleanup();
}

// ---- Callbacks ----

void Network::setConnectedCallback(ConnectedCallback callback) {
  replaceCallback(onConnected, std::move(callback));
}

void Network::setDisconnectedCallback(DisconnectedCallback callback) {
  replaceCallback(onDisconnected, std::move(callback));
}

void Network::setMessageCallback(MessageCallback callback) {
  replaceCallback(onMessage, std::move(callback));
}

void Network::setDiscoveryCallback(DiscoveryCallback callback) {
  replaceCallback(onDiscovery, std::move(callback));
}

// ---- Discovery ----

bool Network::startDiscovery(int port) { return discovery.start(port); }

void Network::stopDiscovery() { discovery.stop(); }

void Network::startPeriodicBroadcast(const std::string& payload, int intervalMs) {
  discovery.startPeriodicBroadcast(payload, intervalMs);
}

void Network::stopPeriodicBroadcast() { discovery.stopPeriodicBroadcast(); }

bool Network::sendDiscoverBroadcast(const std::string& payload, const std::string& address, int port) {
  return discovery.send(payload, address, port);
}

std::string Network::getLocalIPAddress() const {
  std::vector<Sockets::AdapterRecord> adapters;
  if (!Sockets::listAdapters(adapters)) return "127.0.0.1";
  return chooseLocalAddress(adapters);
}

}  // namespace Tavrune
