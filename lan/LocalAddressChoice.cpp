#include "lan/LocalAddressChoice.h"

namespace Tavrune {

namespace {

constexpr const char* LOOPBACK_ADDRESS = "127.0.0.1";

bool announceable(const std::string& address) {
  return address.rfind("169.254.", 0) != 0 && address.rfind("0.", 0) != 0 && address != LOOPBACK_ADDRESS;
}

}  // namespace

std::string chooseLocalAddress(const std::vector<Sockets::AdapterRecord>& adapters) {
  for (const Sockets::AdapterRecord& adapter : adapters) {
    if (!adapter.up || adapter.loopback) continue;
    for (const std::string& address : adapter.ipv4Addresses) {
      if (announceable(address)) return address;
    }
  }
  return LOOPBACK_ADDRESS;
}

}  // namespace Tavrune
