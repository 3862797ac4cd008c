#pragma once
// Which local IPv4 address a host announces in its room replies.
#include <string>
#include <vector>

#include "platform/SocketApi.h"

namespace Tavrune {

// The first IPv4 address, in adapter order, of an adapter that is up and not the software
// loopback, skipping link-local ("169.254."), "0." and "127.0.0.1"; "127.0.0.1" when none.
std::string chooseLocalAddress(const std::vector<Sockets::AdapterRecord>& adapters);

}  // namespace Tavrune
