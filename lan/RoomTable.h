#pragma once
// The rooms a search has heard of: for each, the addresses to try when joining it, keyed
// by the address chosen to show. Not locked: its owner guards it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Tavrune {

class RoomTable {
 public:
  // How well a candidate address suits a local one: 1, plus 100 for the same first three
  // numbers, plus 20 for the same private range; -1 when either is not a dotted IPv4 address.
  static int32_t addressAffinity(const std::string& local, const std::string& candidate);

  // A reply from `sender` announcing `announced`: chooses the address to show (the announced
  // one only when it suits `local` strictly better) and stores the room's candidates under
  // it (chosen, sender, announced, each once). Empty when the table is full and this is a
  // new room.
  std::optional<std::string> record(const std::string& sender, const std::string& announced,
                                    const std::string& local);
  // The candidates of the room shown under `address`; empty for an unknown address.
  std::vector<std::string> candidatesFor(const std::string& address) const;
  void clear() { rooms.clear(); }
  std::size_t size() const { return rooms.size(); }

 private:
  std::map<std::string, std::vector<std::string>> rooms;
};

}  // namespace Tavrune
