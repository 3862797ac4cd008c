#pragma once
// A small HTTP server on 127.0.0.1 for the online-book tests, written with Winsock. Each
// first path segment ("/stall") has its own behaviour: a reply, silence, a trickle of
// bytes, or part of a body and then silence. Every connection ends when the server stops.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Tavrune::Test {

class LoopbackHttpServer {
 public:
  // One accepted connection, handed to a route's handler.
  class Exchange {
   public:
    Exchange(LoopbackHttpServer& server, uintptr_t socket, std::string target);
    const std::string& target() const { return requestTarget; }
    // False once the peer has gone or the server is stopping.
    bool send(const std::string& bytes);
    // Waits until the server stops or `limit` passes; true when it stops.
    bool waitForStop(std::chrono::milliseconds limit);

   private:
    LoopbackHttpServer& server;
    uintptr_t socket;
    std::string requestTarget;
  };
  using Handler = std::function<void(Exchange&)>;

  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // "http://127.0.0.1:<port>"
  std::string baseUrl() const;
  void route(const std::string& firstSegment, Handler handler);
  // Ends every connection and waits for the handlers.
  void stop();
  // The request heads received so far, request line and headers.
  std::vector<std::string> requestHeads() const;
  // Waits until `count` requests have arrived.
  bool waitForRequests(size_t count, std::chrono::milliseconds limit);

  static std::string response(const std::string& body, int status = 200);
  static Handler reply(std::string body, int status = 200);
  static Handler stall();
  // Declares the whole body, then sends it one byte per `gap`.
  static Handler trickle(std::string body, std::chrono::milliseconds gap);
  // Declares `declaredLength` bytes, sends `start`, calls `sent`, then says nothing more.
  static Handler partialThenStall(std::string start, size_t declaredLength, std::function<void()> sent);
  // A loopback port on which nothing listens.
  static uint16_t closedPort();

 private:
  void acceptLoop();
  void serve(uintptr_t socket);

  uintptr_t listener;
  uint16_t port = 0;
  mutable std::mutex lock;
  std::condition_variable changed;
  bool stopping = false;
  std::map<std::string, Handler> routes;
  std::vector<std::string> heads;
  std::vector<uintptr_t> openSockets;
  std::vector<std::thread> connections;
  std::thread acceptor;
};

}  // namespace Tavrune::Test
