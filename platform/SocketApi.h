#pragma once
// The thin socket layer under the LAN transport: Windows Sockets 2 and the IP Helper's
// adapter list in the program (platform/WinSocketApi.cpp), POSIX sockets and getifaddrs in
// the host tests (tests/support/HostSocketApi.cpp). Error numbers are the Windows Sockets
// codes on both sides, so log lines and callers read the same values.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tavrune::Sockets {

// SOCKET is pointer-sized on Win64; a POSIX descriptor is stored widened.
using Handle = std::uintptr_t;
inline constexpr Handle INVALID_HANDLE = ~Handle{0};

enum class Family { IPv4, IPv6, Other };
enum class Kind { Stream, Datagram };
enum class Readiness { Ready, TimedOut, Failed };

// Windows Sockets error numbers that callers tell apart.
inline constexpr int ERROR_INVALID_ARGUMENT = 10022;
inline constexpr int ERROR_WOULD_BLOCK = 10035;
inline constexpr int ERROR_IN_PROGRESS = 10036;
inline constexpr int ERROR_NOT_SOCKET = 10038;
inline constexpr int ERROR_ADDRESS_IN_USE = 10048;
inline constexpr int ERROR_CONNECTION_RESET = 10054;
inline constexpr int ERROR_TIMED_OUT = 10060;

// One resolved address of a name, ready to connect to.
struct Endpoint {
  Family family = Family::Other;
  int familyCode = 0;                      // the system's address-family number
  unsigned char address[128] = {};          // the socket address as the system stores it
  int length = 0;
  std::string numericHost;                  // empty when it cannot be written
};

// One network adapter as the local-address choice sees it.
struct AdapterRecord {
  bool up = false;
  bool loopback = false;
  std::vector<std::string> ipv4Addresses;  // dotted texts, in the adapter's order
};

// Process-wide start and end of socket use (WSAStartup 2.2 and WSACleanup); counted.
bool startup();
void cleanup();
// The last socket error of this thread.
int lastError();

Handle open(Family family, Kind kind);
// Closes a handle; no other thread may still use it.
void close(Handle socket);
bool setNonBlocking(Handle socket);
// An IPv6 socket that also accepts IPv4 peers.
bool setDualStack(Handle socket);
// A listener no second socket can share: SO_EXCLUSIVEADDRUSE on Windows, where address
// reuse would let two programs bind one port; SO_REUSEADDR on POSIX, where it only allows
// a quick restart.
bool setExclusiveAddress(Handle socket);
// Reads the option setExclusiveAddress sets back.
bool hasExclusiveAddress(Handle socket);
bool setReuseAddress(Handle socket);
// Sends each write at once instead of holding it for the peer's delayed acknowledgement.
bool setNoDelay(Handle socket);
// Reads the option setNoDelay sets back.
bool hasNoDelay(Handle socket);
bool setBroadcast(Handle socket);
// Joins an IPv4 multicast group on the default interface.
bool joinMulticastGroup(Handle socket, const std::string& group);
bool setMulticastTimeToLive(Handle socket, int hops);
// Binds to the any-address of the family on the port (0 picks a free one).
bool bindAny(Handle socket, Family family, int port);
// The bound port; 0 when unknown.
int localPort(Handle socket);
bool listen(Handle socket, int backlog);

Readiness waitReadable(Handle socket, int timeoutMs);
Readiness waitWritable(Handle socket, int timeoutMs);

// Accepts one pending connection; `peer` gets the numeric address (IPv6 text for an IPv6
// peer, so an IPv4 client of a dual-stack listener reads "::ffff:a.b.c.d").
Handle accept(Handle listener, std::string& peer);
// Resolves a name or numeric address for a stream socket of any family; false when the
// name does not resolve.
bool resolve(const std::string& host, int port, std::vector<Endpoint>& endpoints);
// Starts a connect on a non-blocking socket: true when connected or under way.
bool startConnect(Handle socket, const Endpoint& endpoint);
// The error a finished non-blocking connect left (0 when it succeeded).
int pendingError(Handle socket);
// Stops sending: the peer reads the end of the stream after what was sent.
void shutdownSend(Handle socket);

// Byte counts, or -1 with lastError() set; receive gives 0 when the peer closed.
long send(Handle socket, const char* data, std::size_t size);
long receive(Handle socket, char* buffer, std::size_t size);
long sendTo(Handle socket, const char* data, std::size_t size, const std::string& ipv4, int port);
// `sender` gets the sender's dotted IPv4 address.
long receiveFrom(Handle socket, char* buffer, std::size_t size, std::string& sender);

// The machine's adapters in the system's order; false when the list cannot be read.
bool listAdapters(std::vector<AdapterRecord>& adapters);

}  // namespace Tavrune::Sockets
