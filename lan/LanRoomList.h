#pragma once
// The rooms a search has found, as the room search dialog lists them. The discovery
// thread appends while the dialog copies the list on the UI thread, so one mutex guards
// both; the list is bounded so a flood of forged replies cannot grow it without end.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tavrune {

struct LanRoom {
  std::string name;     // UTF-8, from the room's first reply
  std::string address;  // UTF-8 dotted address to join
  int32_t port = 0;
};

class LanRoomList {
 public:
  static constexpr std::size_t MAX_ROOMS = 64;

  // Empties the list and clears the found flag, before a new search.
  void clear();
  // Lists a room once per address and port, under the name of its first reply; false for a
  // repeat or when the list is full.
  bool add(const std::string& name, const std::string& address, int32_t port);
  std::vector<LanRoom> rooms() const;
  // A room was added since the last clear.
  bool found() const;

 private:
  mutable std::mutex mutex;
  std::vector<LanRoom> list;
  bool anyFound = false;
};

}  // namespace Tavrune
