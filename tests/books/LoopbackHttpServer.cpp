#include "books/LoopbackHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace Tavrune::Test {

namespace {

constexpr size_t MAX_HEAD_BYTES = 16 * 1024;
constexpr DWORD RECEIVE_TIMEOUT_MS = 5000;
constexpr auto LONGEST_SILENCE = std::chrono::seconds(30);

class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockSession() { WSACleanup(); }
};

sockaddr_in loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

uint16_t boundPort(SOCKET s) {
  sockaddr_in address{};
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

std::string reasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

std::string headFor(size_t length, int status = 200) {
  return "HTTP/1.1 " + std::to_string(status) + " " + reasonOf(status) +
         "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(length) +
         "\r\nConnection: close\r\n\r\n";
}

}  // namespace

LoopbackHttpServer::Exchange::Exchange(LoopbackHttpServer& server, uintptr_t socket,
                                       std::string target)
    : server(server), socket(socket), requestTarget(std::move(target)) {}

bool LoopbackHttpServer::Exchange::send(const std::string& bytes) {
  {
    std::lock_guard<std::mutex> guard(server.lock);
    if (server.stopping) return false;
  }
  size_t sent = 0;
  while (sent < bytes.size()) {
    const int n = ::send(static_cast<SOCKET>(socket), bytes.data() + sent,
                         static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool LoopbackHttpServer::Exchange::waitForStop(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> guard(server.lock);
  return server.changed.wait_for(guard, limit, [this] { return server.stopping; });
}

LoopbackHttpServer::LoopbackHttpServer() {
  static WinsockSession winsock;
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const sockaddr_in address = loopback(0);
  bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  listen(s, SOMAXCONN);
  listener = static_cast<uintptr_t>(s);
  port = boundPort(s);
  acceptor = std::thread(&LoopbackHttpServer::acceptLoop, this);
}

LoopbackHttpServer::~LoopbackHttpServer() { stop(); }

std::string LoopbackHttpServer::baseUrl() const {
  return "http://127.0.0.1:" + std::to_string(port);
}

void LoopbackHttpServer::route(const std::string& firstSegment, Handler handler) {
  std::lock_guard<std::mutex> guard(lock);
  routes[firstSegment] = std::move(handler);
}

std::vector<std::string> LoopbackHttpServer::requestHeads() const {
  std::lock_guard<std::mutex> guard(lock);
  return heads;
}

bool LoopbackHttpServer::waitForRequests(size_t count, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> guard(lock);
  return changed.wait_for(guard, limit, [&] { return heads.size() >= count; });
}

void LoopbackHttpServer::stop() {
  {
    std::lock_guard<std::mutex> guard(lock);
    if (stopping) return;
    stopping = true;
    // Unblock every handler's receive or send; each handler closes its own socket.
    for (const uintptr_t s : openSockets) shutdown(static_cast<SOCKET>(s), SD_BOTH);
  }
  changed.notify_all();
  closesocket(static_cast<SOCKET>(listener));
  if (acceptor.joinable()) acceptor.join();
  std::vector<std::thread> running;
  {
    std::lock_guard<std::mutex> guard(lock);
    running.swap(connections);
  }
  for (std::thread& t : running) t.join();
}

void LoopbackHttpServer::acceptLoop() {
  for (;;) {
    const SOCKET client = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    if (client == INVALID_SOCKET) return;  // the listener was closed
    std::lock_guard<std::mutex> guard(lock);
    if (stopping) {
      closesocket(client);
      return;
    }
    openSockets.push_back(static_cast<uintptr_t>(client));
    connections.emplace_back(&LoopbackHttpServer::serve, this, static_cast<uintptr_t>(client));
  }
}

void LoopbackHttpServer::serve(uintptr_t socketValue) {
  const SOCKET s = static_cast<SOCKET>(socketValue);
  const DWORD timeout = RECEIVE_TIMEOUT_MS;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < MAX_HEAD_BYTES) {
    const int n = recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<size_t>(n));
  }
  // "GET <target> HTTP/1.1"
  const size_t start = head.find(' ');
  const size_t end = start == std::string::npos ? start : head.find(' ', start + 1);
  const std::string target = end == std::string::npos ? std::string() : head.substr(start + 1, end - start - 1);
  const size_t segmentEnd = target.find_first_of("/?", 1);
  const std::string segment = target.substr(0, segmentEnd);

  Handler handler;
  {
    std::lock_guard<std::mutex> guard(lock);
    heads.push_back(head.substr(0, head.find("\r\n\r\n")));
    const auto found = routes.find(segment);
    if (found != routes.end()) handler = found->second;
  }
  changed.notify_all();
  Exchange exchange(*this, socketValue, target);
  if (handler) {
    handler(exchange);
  } else {
    exchange.send(response("no such route", 404));
  }
  shutdown(s, SD_SEND);
  {
    std::lock_guard<std::mutex> guard(lock);
    openSockets.erase(std::remove(openSockets.begin(), openSockets.end(), socketValue),
                      openSockets.end());
  }
  closesocket(s);
}

std::string LoopbackHttpServer::response(const std::string& body, int status) {
  return headFor(body.size(), status) + body;
}

LoopbackHttpServer::Handler LoopbackHttpServer::reply(std::string body, int status) {
  return [body = std::move(body), status](Exchange& exchange) {
    exchange.send(response(body, status));
  };
}

LoopbackHttpServer::Handler LoopbackHttpServer::stall() {
  return [](Exchange& exchange) { exchange.waitForStop(LONGEST_SILENCE); };
}

LoopbackHttpServer::Handler LoopbackHttpServer::trickle(std::string body,
                                                        std::chrono::milliseconds gap) {
  return [body = std::move(body), gap](Exchange& exchange) {
    if (!exchange.send(headFor(body.size()))) return;
    for (const char c : body) {
      if (exchange.waitForStop(gap) || !exchange.send(std::string(1, c))) return;
    }
  };
}

LoopbackHttpServer::Handler LoopbackHttpServer::partialThenStall(std::string start,
                                                                 size_t declaredLength,
                                                                 std::function<void()> sent) {
  return [start = std::move(start), declaredLength, sent = std::move(sent)](Exchange& exchange) {
    if (!exchange.send(headFor(declaredLength) + start)) return;
    if (sent) sent();
    exchange.waitForStop(LONGEST_SILENCE);
  };
}

uint16_t LoopbackHttpServer::closedPort() {
  static WinsockSession winsock;
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const sockaddr_in address = loopback(0);
  bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const uint16_t free = boundPort(s);
  closesocket(s);
  return free;
}

}  // namespace Tavrune::Test
