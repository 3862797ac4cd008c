// The host twin of platform/WinSocketApi.cpp, linked only into host tests: POSIX sockets
// and getifaddrs, with errno turned into the Windows Sockets numbers the transport logs and
// tells apart. The listener's exclusive option is SO_REUSEADDR here: on POSIX it only allows
// a quick restart, and a second bind of a listening port still fails.
#include "platform/SocketApi.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/AddrInfoEndpoints.h"

namespace Tavrune::Sockets {

namespace {

thread_local int lastSocketError = 0;

int toWindowsError(int error) {
  switch (error) {
    case EINTR: return 10004;
    case EBADF: return ERROR_NOT_SOCKET;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return ERROR_INVALID_ARGUMENT;
    case EMFILE: return 10024;
    case EAGAIN: return ERROR_WOULD_BLOCK;
    case EINPROGRESS: return ERROR_IN_PROGRESS;
    case EALREADY: return 10037;
    case ENOTSOCK: return ERROR_NOT_SOCKET;
    case EMSGSIZE: return 10040;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return ERROR_ADDRESS_IN_USE;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return ERROR_CONNECTION_RESET;
    case ENOTCONN: return 10057;
    case EPIPE: return 10058;
    case ETIMEDOUT: return ERROR_TIMED_OUT;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    default: return 10000 + error;
  }
}

// Every failing call records its error for lastError(), as WSAGetLastError would.
template <typename T>
T failed(T result) {
  lastSocketError = toWindowsError(errno);
  return result;
}

int fd(Handle socket) { return static_cast<int>(socket); }

bool setIntOption(Handle socket, int level, int name, int value) {
  return setsockopt(fd(socket), level, name, &value, sizeof value) == 0 || failed(false);
}

// True when the option reads back as set.
bool intOptionSet(Handle socket, int level, int name) {
  int value = 0;
  socklen_t length = sizeof value;
  return getsockopt(fd(socket), level, name, &value, &length) == 0 && value != 0;
}

Readiness waitFor(Handle socket, short events, int timeoutMs) {
  pollfd entry{fd(socket), events, 0};
  const int result = poll(&entry, 1, timeoutMs);
  if (result < 0) return failed(Readiness::Failed);
  if (result == 0) return Readiness::TimedOut;
  if (entry.revents & POLLNVAL) {
    lastSocketError = ERROR_NOT_SOCKET;
    return Readiness::Failed;
  }
  // Errors and hang-ups count as ready: the next call reports them.
  return Readiness::Ready;
}

std::string numericHost(const sockaddr* address, socklen_t length) {
  char host[NI_MAXHOST] = {};
  if (getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) return {};
  return host;
}

}  // namespace

bool startup() { return true; }
void cleanup() {}
int lastError() { return lastSocketError; }

Handle open(Family family, Kind kind) {
  const int domain = family == Family::IPv6 ? AF_INET6 : AF_INET;
  const int type = (kind == Kind::Stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC;
  const int socket = ::socket(domain, type, 0);
  return socket < 0 ? failed(INVALID_HANDLE) : static_cast<Handle>(socket);
}

void close(Handle socket) {
  if (socket != INVALID_HANDLE) ::close(fd(socket));
}

bool setNonBlocking(Handle socket) {
  const int flags = fcntl(fd(socket), F_GETFL, 0);
  return (flags >= 0 && fcntl(fd(socket), F_SETFL, flags | O_NONBLOCK) == 0) || failed(false);
}

bool setDualStack(Handle socket) { return setIntOption(socket, IPPROTO_IPV6, IPV6_V6ONLY, 0); }
bool setExclusiveAddress(Handle socket) { return setIntOption(socket, SOL_SOCKET, SO_REUSEADDR, 1); }

bool hasExclusiveAddress(Handle socket) { return intOptionSet(socket, SOL_SOCKET, SO_REUSEADDR); }

bool setReuseAddress(Handle socket) { return setIntOption(socket, SOL_SOCKET, SO_REUSEADDR, 1); }
bool setNoDelay(Handle socket) { return setIntOption(socket, IPPROTO_TCP, TCP_NODELAY, 1); }

bool hasNoDelay(Handle socket) { return intOptionSet(socket, IPPROTO_TCP, TCP_NODELAY); }
bool setBroadcast(Handle socket) { return setIntOption(socket, SOL_SOCKET, SO_BROADCAST, 1); }

bool joinMulticastGroup(Handle socket, const std::string& group) {
  ip_mreq request{};
  if (inet_pton(AF_INET, group.c_str(), &request.imr_multiaddr) != 1) {
    lastSocketError = ERROR_INVALID_ARGUMENT;
    return false;
  }
  request.imr_interface.s_addr = htonl(INADDR_ANY);
  return setsockopt(fd(socket), IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0 || failed(false);
}

bool setMulticastTimeToLive(Handle socket, int hops) {
  return setIntOption(socket, IPPROTO_IP, IP_MULTICAST_TTL, hops);
}

bool bindAny(Handle socket, Family family, int port) {
  if (family == Family::IPv6) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_any;
    address.sin6_port = htons(static_cast<uint16_t>(port));
    return ::bind(fd(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || failed(false);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return ::bind(fd(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || failed(false);
}

int localPort(Handle socket) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return failed(0);
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

bool listen(Handle socket, int backlog) { return ::listen(fd(socket), backlog) == 0 || failed(false); }

Readiness waitReadable(Handle socket, int timeoutMs) { return waitFor(socket, POLLIN, timeoutMs); }
Readiness waitWritable(Handle socket, int timeoutMs) { return waitFor(socket, POLLOUT, timeoutMs); }

Handle accept(Handle listener, std::string& peer) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int socket = ::accept4(fd(listener), reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
  if (socket < 0) return failed(INVALID_HANDLE);
  peer = numericHost(reinterpret_cast<sockaddr*>(&address), length);
  return static_cast<Handle>(socket);
}

bool resolve(const std::string& host, int port, std::vector<Endpoint>& endpoints) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0 || list == nullptr) {
    lastSocketError = 11001;  // host not found, as Windows numbers it
    return false;
  }
  appendEndpoints(list, AF_INET, AF_INET6, numericHost, endpoints);
  freeaddrinfo(list);
  return true;
}

bool startConnect(Handle socket, const Endpoint& endpoint) {
  if (::connect(fd(socket), reinterpret_cast<const sockaddr*>(endpoint.address), endpoint.length) == 0) return true;
  return errno == EINPROGRESS || failed(false);
}

int pendingError(Handle socket) {
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(fd(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return toWindowsError(errno);
  return error == 0 ? 0 : toWindowsError(error);
}

void shutdownSend(Handle socket) { ::shutdown(fd(socket), SHUT_WR); }

long send(Handle socket, const char* data, std::size_t size) {
  // MSG_NOSIGNAL: a peer that has gone must give an error, not end the test program.
  const ssize_t sent = ::send(fd(socket), data, size, MSG_NOSIGNAL);
  return sent < 0 ? failed(-1L) : static_cast<long>(sent);
}

long receive(Handle socket, char* buffer, std::size_t size) {
  const ssize_t received = ::recv(fd(socket), buffer, size, 0);
  return received < 0 ? failed(-1L) : static_cast<long>(received);
}

long sendTo(Handle socket, const char* data, std::size_t size, const std::string& ipv4, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, ipv4.c_str(), &address.sin_addr) != 1) {
    lastSocketError = ERROR_INVALID_ARGUMENT;
    return -1;
  }
  const ssize_t sent =
      ::sendto(fd(socket), data, size, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address), sizeof address);
  return sent < 0 ? failed(-1L) : static_cast<long>(sent);
}

long receiveFrom(Handle socket, char* buffer, std::size_t size, std::string& sender) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  const ssize_t received = ::recvfrom(fd(socket), buffer, size, 0, reinterpret_cast<sockaddr*>(&address), &length);
  if (received < 0) return failed(-1L);
  char text[INET_ADDRSTRLEN] = {};
  sender = inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) ? text : "";
  return static_cast<long>(received);
}

bool listAdapters(std::vector<AdapterRecord>& adapters) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  // getifaddrs lists one entry per address; gather them per interface, in first-seen order.
  std::vector<std::string> names;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    std::size_t index = 0;
    while (index < names.size() && names[index] != entry->ifa_name) ++index;
    if (index == names.size()) {
      names.emplace_back(entry->ifa_name);
      AdapterRecord record;
      record.up = (entry->ifa_flags & IFF_UP) && (entry->ifa_flags & IFF_RUNNING);
      record.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
      adapters.push_back(record);
    }
    if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET) {
      char text[INET_ADDRSTRLEN] = {};
      if (inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(entry->ifa_addr)->sin_addr, text, sizeof text)) {
        adapters[index].ipv4Addresses.emplace_back(text);
      }
    }
  }
  freeifaddrs(list);
  return true;
}

}  // namespace Tavrune::Sockets
