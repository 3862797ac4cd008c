// Windows Sockets 2 and the IP Helper behind platform/SocketApi.h.
#include "platform/SocketApi.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <mswsock.h>

#include "platform/AddrInfoEndpoints.h"

namespace Tavrune::Sockets {

namespace {

SOCKET raw(Handle socket) { return static_cast<SOCKET>(socket); }

bool setIntOption(Handle socket, int level, int name, int value) {
  return setsockopt(raw(socket), level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

// True when the option reads back as set.
bool intOptionSet(Handle socket, int level, int name) {
  int value = 0;
  int length = sizeof value;
  return getsockopt(raw(socket), level, name, reinterpret_cast<char*>(&value), &length) == 0 && value != 0;
}

Readiness waitFor(Handle socket, bool forWriting, int timeoutMs) {
  fd_set ready;
  fd_set failedSet;
  FD_ZERO(&ready);
  FD_ZERO(&failedSet);
  FD_SET(raw(socket), &ready);
  FD_SET(raw(socket), &failedSet);
  timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  // A failed non-blocking connect shows in the exception set, not the write set.
  const int result = select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr,
                            forWriting ? &failedSet : nullptr, &timeout);
  if (result == SOCKET_ERROR) return Readiness::Failed;
  return result == 0 ? Readiness::TimedOut : Readiness::Ready;
}

std::string numericHost(const sockaddr* address, int length) {
  char host[NI_MAXHOST] = {};
  if (getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) return {};
  return host;
}

}  // namespace

bool startup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void cleanup() { WSACleanup(); }
int lastError() { return WSAGetLastError(); }

Handle open(Family family, Kind kind) {
  const int domain = family == Family::IPv6 ? AF_INET6 : AF_INET;
  const SOCKET socket = ::socket(domain, kind == Kind::Stream ? SOCK_STREAM : SOCK_DGRAM,
                                 kind == Kind::Stream ? IPPROTO_TCP : IPPROTO_UDP);
  if (socket == INVALID_SOCKET) return INVALID_HANDLE;
  if (kind == Kind::Datagram) {
    // Without this an ICMP "port unreachable" for an earlier datagram makes the next
    // receive fail with 10054, as if the socket itself were broken.
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(socket, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr);
  }
  return static_cast<Handle>(socket);
}

void close(Handle socket) {
  if (socket != INVALID_HANDLE) closesocket(raw(socket));
}

bool setNonBlocking(Handle socket) {
  u_long on = 1;
  return ioctlsocket(raw(socket), FIONBIO, &on) == 0;
}

bool setDualStack(Handle socket) { return setIntOption(socket, IPPROTO_IPV6, IPV6_V6ONLY, 0); }
bool setExclusiveAddress(Handle socket) { return setIntOption(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, 1); }

bool hasExclusiveAddress(Handle socket) { return intOptionSet(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE); }

bool setReuseAddress(Handle socket) { return setIntOption(socket, SOL_SOCKET, SO_REUSEADDR, 1); }
bool setNoDelay(Handle socket) { return setIntOption(socket, IPPROTO_TCP, TCP_NODELAY, 1); }

bool hasNoDelay(Handle socket) { return intOptionSet(socket, IPPROTO_TCP, TCP_NODELAY); }
bool setBroadcast(Handle socket) { return setIntOption(socket, SOL_SOCKET, SO_BROADCAST, 1); }

bool joinMulticastGroup(Handle socket, const std::string& group) {
  ip_mreq request{};
  if (inet_pton(AF_INET, group.c_str(), &request.imr_multiaddr) != 1) {
    WSASetLastError(WSAEINVAL);
    return false;
  }
  request.imr_interface.s_addr = htonl(INADDR_ANY);
  return setsockopt(raw(socket), IPPROTO_IP, IP_ADD_MEMBERSHIP, reinterpret_cast<const char*>(&request),
                    sizeof request) == 0;
}

bool setMulticastTimeToLive(Handle socket, int hops) {
  return setIntOption(socket, IPPROTO_IP, IP_MULTICAST_TTL, hops);
}

bool bindAny(Handle socket, Family family, int port) {
  if (family == Family::IPv6) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_any;
    address.sin6_port = htons(static_cast<u_short>(port));
    return ::bind(raw(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<u_short>(port));
  return ::bind(raw(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

int localPort(Handle socket) {
  sockaddr_storage address{};
  int length = sizeof address;
  if (getsockname(raw(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

bool listen(Handle socket, int backlog) { return ::listen(raw(socket), backlog) == 0; }

Readiness waitReadable(Handle socket, int timeoutMs) { return waitFor(socket, false, timeoutMs); }
Readiness waitWritable(Handle socket, int timeoutMs) { return waitFor(socket, true, timeoutMs); }

Handle accept(Handle listener, std::string& peer) {
  sockaddr_storage address{};
  int length = sizeof address;
  const SOCKET socket = ::accept(raw(listener), reinterpret_cast<sockaddr*>(&address), &length);
  if (socket == INVALID_SOCKET) return INVALID_HANDLE;
  peer = numericHost(reinterpret_cast<sockaddr*>(&address), length);
  return static_cast<Handle>(socket);
}

bool resolve(const std::string& host, int port, std::vector<Endpoint>& endpoints) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int result = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
  if (result != 0 || list == nullptr) {
    WSASetLastError(result != 0 ? result : WSAHOST_NOT_FOUND);
    return false;
  }
  appendEndpoints(list, AF_INET, AF_INET6, numericHost, endpoints);
  freeaddrinfo(list);
  return true;
}

bool startConnect(Handle socket, const Endpoint& endpoint) {
  if (::connect(raw(socket), reinterpret_cast<const sockaddr*>(endpoint.address), endpoint.length) == 0) return true;
  return WSAGetLastError() == WSAEWOULDBLOCK;
}

int pendingError(Handle socket) {
  int error = 0;
  int length = sizeof error;
  if (getsockopt(raw(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
    return WSAGetLastError();
  }
  return error;
}

void shutdownSend(Handle socket) { ::shutdown(raw(socket), SD_SEND); }

long send(Handle socket, const char* data, std::size_t size) {
  const int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
  const int sent = ::send(raw(socket), data, chunk, 0);
  return sent == SOCKET_ERROR ? -1L : static_cast<long>(sent);
}

long receive(Handle socket, char* buffer, std::size_t size) {
  const int received = ::recv(raw(socket), buffer, static_cast<int>(size), 0);
  return received == SOCKET_ERROR ? -1L : static_cast<long>(received);
}

long sendTo(Handle socket, const char* data, std::size_t size, const std::string& ipv4, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  if (inet_pton(AF_INET, ipv4.c_str(), &address.sin_addr) != 1) {
    WSASetLastError(WSAEINVAL);
    return -1;
  }
  const int sent = ::sendto(raw(socket), data, static_cast<int>(size), 0, reinterpret_cast<sockaddr*>(&address),
                            sizeof address);
  return sent == SOCKET_ERROR ? -1L : static_cast<long>(sent);
}

long receiveFrom(Handle socket, char* buffer, std::size_t size, std::string& sender) {
  sockaddr_in address{};
  int length = sizeof address;
  const int received =
      ::recvfrom(raw(socket), buffer, static_cast<int>(size), 0, reinterpret_cast<sockaddr*>(&address), &length);
  if (received == SOCKET_ERROR) return -1;
  char text[INET_ADDRSTRLEN] = {};
  sender = inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) ? text : "";
  return received;
}

bool listAdapters(std::vector<AdapterRecord>& adapters) {
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 15000;
  std::vector<unsigned char> buffer(size);
  ULONG result = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  if (result == ERROR_BUFFER_OVERFLOW) {
    buffer.resize(size);
    result = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                  &size);
  }
  if (result != NO_ERROR) return false;
  for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
       adapter = adapter->Next) {
    AdapterRecord record;
    record.up = adapter->OperStatus == IfOperStatusUp;
    record.loopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
    for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
      const sockaddr* address = unicast->Address.lpSockaddr;
      if (address == nullptr || address->sa_family != AF_INET) continue;
      char text[INET_ADDRSTRLEN] = {};
      if (inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text)) {
        record.ipv4Addresses.emplace_back(text);
      }
    }
    adapters.push_back(record);
  }
  return true;
}

}  // namespace Tavrune::Sockets
