#include "lan/LanRoomList.h"

namespace Tavrune {

void LanRoomList::clear() {
  std::lock_guard lock(mutex);
  list.clear();
  anyFound = false;
}

bool LanRoomList::add(const std::string& name, const std::string& address, int32_t port) {
  std::lock_guard lock(mutex);
  for (const LanRoom& room : list) {
    if (room.address == address && room.port == port) return false;
  }
  if (list.size() >= MAX_ROOMS) return false;
  list.push_back(LanRoom{name, address, port});
  anyFound = true;
  return true;
}

std::vector<LanRoom> LanRoomList::rooms() const {
  std::lock_guard lock(mutex);
  return list;
}

bool LanRoomList::found() const {
  std::lock_guard lock(mutex);
  return anyFound;
}

}  // namespace Tavrune
