#include "lan/RoomTable.h"

#include <algorithm>
#include <array>

#include "lan/LanTimings.h"

namespace Tavrune {

namespace {

// Four decimal numbers 0..255 separated by '.'; whatever follows the fourth is ignored.
std::optional<std::array<int, 4>> readAddress(const std::string& text) {
  std::array<int, 4> parts{};
  std::size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != '.') return std::nullopt;
      ++at;
    }
    const std::size_t start = at;
    int value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      value = std::min(value * 10 + (text[at] - '0'), 1000);
      ++at;
    }
    if (at == start || value > 255) return std::nullopt;
    parts[i] = value;
  }
  return parts;
}

enum class PrivateRange { NONE, TEN, ONE_SEVENTY_TWO, ONE_NINETY_TWO };

PrivateRange privateRange(const std::array<int, 4>& a) {
  if (a[0] == 10) return PrivateRange::TEN;
  if (a[0] == 172 && a[1] >= 16 && a[1] <= 31) return PrivateRange::ONE_SEVENTY_TWO;
  if (a[0] == 192 && a[1] == 168) return PrivateRange::ONE_NINETY_TWO;
  return PrivateRange::NONE;
}

}  // namespace

int32_t RoomTable::addressAffinity(const std::string& local, const std::string& candidate) {
  const auto a = readAddress(local);
  const auto b = readAddress(candidate);
  if (!a || !b) return -1;
  int32_t score = 1;
  if ((*a)[0] == (*b)[0] && (*a)[1] == (*b)[1] && (*a)[2] == (*b)[2]) score += 100;
  const PrivateRange range = privateRange(*a);
  if (range != PrivateRange::NONE && range == privateRange(*b)) score += 20;
  return score;
}

std::optional<std::string> RoomTable::record(const std::string& sender,
                                             const std::string& announced,
                                             const std::string& local) {
  const bool announcedSuitsBetter =
      addressAffinity(local, announced) > addressAffinity(local, sender);
  const std::string chosen = announcedSuitsBetter ? announced : sender;
  if (rooms.size() >= LanTimings::MAX_ROOMS && rooms.count(chosen) == 0) return std::nullopt;
  std::vector<std::string> candidates;
  for (const std::string& address : {chosen, sender, announced}) {
    if (std::find(candidates.begin(), candidates.end(), address) == candidates.end()) {
      candidates.push_back(address);
    }
  }
  rooms[chosen] = std::move(candidates);
  return chosen;
}

std::vector<std::string> RoomTable::candidatesFor(const std::string& address) const {
  const auto found = rooms.find(address);
  return found == rooms.end() ? std::vector<std::string>{} : found->second;
}

}  // namespace Tavrune
