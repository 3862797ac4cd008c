#pragma once
// The program's one LAN endpoint: a TCP game connection as host (server) or guest (client)
// with a receive thread that cuts the stream into protocol lines, plus UDP room discovery
// (its DiscoveryChannel).
// Written over the thin socket layer of platform/SocketApi.h, so the same code runs with
// Winsock in the program and with POSIX sockets in the host tests.
//
// Threads: the callers' threads (start, connect, send, stop), one receive thread per
// connection (onMessage, onDisconnected), one writer thread per connection (sends;
// onDisconnected for a peer that stopped taking data), the reaper that ends dropped
// connections (onDisconnected), the discovery receive thread (onDiscovery) and the
// periodic discovery sender. Callbacks are copied under a small lock and called outside it,
// so they may be replaced at any time. Never call a stopping operation (disconnect,
// stopServer, stopDiscovery, destruction) while holding a lock that a callback takes: it
// waits for the thread that runs the callback.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "lan/DiscoveryChannel.h"
#include "platform/SocketApi.h"

namespace Tavrune {

class Network {
 public:
  // Why a connection ended: lost (the peer closed it, the network failed, it was closed
  // here), or refused: this end cut the peer off for breaking the protocol.
  enum class Ending { Lost, Refused };
  using ConnectedCallback = std::function<void()>;
  using DisconnectedCallback = std::function<void(Ending ending)>;
  using MessageCallback = std::function<void(const std::string& line)>;
  // (message text, sender's dotted IPv4 address)
  using DiscoveryCallback = std::function<void(const std::string& text, const std::string& sender)>;

  static constexpr int DEFAULT_GAME_PORT = 8888;
  static constexpr int DEFAULT_DISCOVERY_PORT = DiscoveryChannel::DEFAULT_PORT;
  static constexpr const char* BROADCAST_ADDRESS = DiscoveryChannel::BROADCAST_ADDRESS;
  // A peer line longer than this without a line feed ends the connection ("protocol_error").
  static constexpr std::size_t MAX_LINE_BYTES = 64 * 1024;
  // Sent, best effort, before a connection is dropped for a protocol fault.
  static constexpr const char* PROTOCOL_ERROR_REASON = "protocol_error";

  Network();
  ~Network();
  Network(const Network&) = delete;
  Network& operator=(const Network&) = delete;

  // One TCP connection's socket, threads and queues (defined in NetworkConnections.cpp).
  struct Connection;

  // Opens the exclusive listening socket (dual-stack IPv6, else IPv4). Port 0 binds a free
  // port, told by listeningPort(). False, with a log line, when the port is taken.
  bool startServer(int port);
  // The bound port of the listening socket; 0 when not listening.
  int listeningPort() const;
  // Blocks (on the caller's worker thread) until a client connects (true, onConnected
  // called on this thread) or the server is stopped (false). The new connection receives
  // nothing until startReceiving().
  bool waitForClient();
  // Connects as a guest, trying each resolved address within one shared time-out of about
  // 3 s; gives up soon after `cancel` is set. "[::1]" style literals are accepted. The
  // connection receives after startReceiving().
  bool connectToServer(const std::string& host, int port, const std::atomic<bool>* cancel = nullptr);
  // Starts the receive thread of the current connection, once its owner is ready for lines.
  void startReceiving();
  // Queues the whole text for the connection's writer thread and returns at once; false
  // when not connected. A peer that does not take its data within a bounded time, or lets
  // too much pile up, is reported lost (onDisconnected, on the writer thread).
  bool sendMessage(const std::string& text);
  // Bytes of the current connection queued by sendMessage since it was made, and of those
  // the ones handed to its socket; 0 without a connection.
  std::uint64_t bytesQueued() const;
  std::uint64_t bytesHandedOver() const;
  // Only from inside onMessage: the peer sends more than its owner can take. It gets
  // BYE with PROTOCOL_ERROR_REASON and the end of the stream, and is reported refused.
  void refusePeer();
  // Ends the current connection, after giving what is still queued about a second to
  // leave; onDisconnected is called once for a connection that had not been reported lost.
  // Connections dropped before have been reported once it returns (unless called from inside
  // a callback). Safe from inside onMessage and onDisconnected.
  void disconnect();
  // Retires the connection with this number (connectionNumber()) when it is still the
  // current one, and returns at once: nothing more is read from it, what is already queued
  // (a farewell) still leaves within a bound, and its threads and socket end on a thread of
  // their own, which then reports it (onDisconnected). For an owner done with a lost or
  // refused peer; a connection made since is left alone.
  void dropConnection(std::uint64_t number);
  // Ends the connection and closes the listening socket, ending a waitForClient.
  void stopServer();
  // Closes only the listening socket (ending a waitForClient): the connection stays.
  void stopListening();
  // Accepts and closes every connection waiting in the listen queue, unanswered; none
  // while a waitForClient runs. Returns how many.
  int dropQueuedClients();

  bool isConnected() const;
  bool isServer() const;
  // Numeric address of the current connection's peer; empty without one.
  std::string peerAddress() const;
  // Counts connections from 1; inside a callback it names the connection being reported,
  // so owners can drop work queued for a connection that has since been replaced.
  std::uint64_t connectionNumber() const;

  // The local IPv4 address a host announces: the first usable adapter's, else "127.0.0.1".
  std::string getLocalIPAddress() const;

  void setConnectedCallback(ConnectedCallback callback);
  void setDisconnectedCallback(DisconnectedCallback callback);
  void setMessageCallback(MessageCallback callback);
  void setDiscoveryCallback(DiscoveryCallback callback);

  // Binds the UDP discovery socket (address reuse, broadcast, multicast group joined) and
  // starts its receive thread; false when already running or the bind fails.
  bool startDiscovery(int port);
  // Stops the periodic sender and the receive thread, then closes the socket.
  void stopDiscovery();
  // Replaces any running sender: eight sends 250 ms apart, then one every intervalMs, each
  // to the broadcast address and the multicast group on the discovery port.
  void startPeriodicBroadcast(const std::string& payload, int intervalMs);
  void stopPeriodicBroadcast();
  // One datagram to a dotted IPv4 address; a port below 1 means the discovery port.
  bool sendDiscoverBroadcast(const std::string& payload, const std::string& address, int port);

 private:
  friend class NetworkTestAccess;

  // A callback is copied under callbackMutex and called outside it, so it may be replaced
  // (or emptied) from any thread at any time; the replaced one is destroyed unlocked.
  template <typename Callback>
  Callback snapshot(const Callback& callback) const {
    std::lock_guard lock(callbackMutex);
    return callback;
  }
  template <typename Callback>
  void replaceCallback(Callback& slot, Callback callback) {
    std::unique_lock lock(callbackMutex);
    std::swap(slot, callback);
    lock.unlock();
  }

  std::shared_ptr<Connection> currentConnection() const;
  // The current connection's socket (INVALID_HANDLE without one), for the tests' checks.
  Sockets::Handle currentSocket() const;
  // Installs a connected socket as the current connection after retiring the old one.
  void adoptConnection(Sockets::Handle socket, const std::string& peer);
  // Wakes and ends a connection's receive thread (detached when called on it), then closes
  // its socket.
  void endConnection(Connection& connection);
  // Calls onDisconnected unless this connection has been reported already.
  void reportDisconnected(Connection& connection);
  void receiveLoop(std::shared_ptr<Connection> connection);
  void writeLoop(std::shared_ptr<Connection> connection);
  // Lets the writer send what is queued (bounded), then ends it.
  void stopWriter(Connection& connection);
  void joinReceiveThread(Connection& connection);
  // Hands every complete line to onMessage; false when the connection is to end.
  bool dispatchLines(Connection& connection);
  // A line past MAX_LINE_BYTES, or a peer refused by the owner: farewell, end of stream,
  // one report.
  void cutOffPeer(Connection& connection);
  // Sends under the connection's lock, waiting for room in short slices so that `abandon`
  // is seen; fails after stallMs without progress.
  bool sendAll(Connection& connection, const std::string& text, int stallMs, const std::atomic<bool>& abandon);
  // The reaper: ends dropped connections one after another, off their owner's thread.
  void reapLoop();
  // Waits until every dropped connection has ended and been reported.
  void awaitReaped();
  void stopReaper();

  // Waits for waitForClient to leave (unless called on its thread), then closes the listener.
  void closeListener();

  // Listening side.
  mutable std::mutex listenMutex;
  std::condition_variable listenIdle;
  Sockets::Handle serverSocket = Sockets::INVALID_HANDLE;
  int boundPort = 0;
  bool waiting = false;
  bool handingOver = false;  // the waiter has accepted and no longer uses the listener
  std::thread::id waiter;
  std::atomic<bool> listenStop{false};
  std::atomic<bool> server{false};

  // The current connection, swapped under connectionMutex; never joined under it.
  mutable std::mutex connectionMutex;
  std::shared_ptr<Connection> connection;
  std::uint64_t connectionCount = 0;

  // Dropped connections waiting for the reaper, and the one it is ending.
  std::mutex reapMutex;
  std::condition_variable reapChanged;
  std::deque<std::shared_ptr<Connection>> toReap;
  bool reaping = false;
  bool reapStop = false;
  std::thread reaper;

  mutable std::mutex callbackMutex;
  ConnectedCallback onConnected;
  DisconnectedCallback onDisconnected;
  MessageCallback onMessage;
  DiscoveryCallback onDiscovery;

  // Hands each datagram to onDiscovery; declared after the callbacks it reads.
  DiscoveryChannel discovery;

  bool socketsStarted = false;
};

}  // namespace Tavrune
