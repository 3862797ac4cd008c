#pragma once
// A resolved address list turned into endpoints, shared by the Windows socket layer and
// its POSIX twin. A template over the system's addrinfo, so it needs neither system's
// headers: the caller names its own address-family numbers and numeric-host writer.
#include <cstring>
#include <vector>

#include "platform/SocketApi.h"

namespace Tavrune::Sockets {

// Entries whose address does not fit an Endpoint are skipped. `numericHost` is called
// with the entry's socket address and its length as an int.
template <typename AddrInfo, typename NumericHost>
void appendEndpoints(const AddrInfo* list, int ipv4Code, int ipv6Code, NumericHost numericHost,
                     std::vector<Endpoint>& endpoints) {
  for (const AddrInfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_addrlen > sizeof(Endpoint::address)) continue;
    Endpoint endpoint;
    endpoint.familyCode = entry->ai_family;
    endpoint.family = entry->ai_family == ipv6Code   ? Family::IPv6
                      : entry->ai_family == ipv4Code ? Family::IPv4
                                                     : Family::Other;
    std::memcpy(endpoint.address, entry->ai_addr, entry->ai_addrlen);
    endpoint.length = static_cast<int>(entry->ai_addrlen);
    endpoint.numericHost = numericHost(entry->ai_addr, endpoint.length);
    endpoints.push_back(endpoint);
  }
}

}  // namespace Tavrune::Sockets
