#include "settings/SettingsPages.h"

#include <algorithm>

namespace Tavrune::Settings {

namespace {

// Children are taken whatever their own visible flag: the provider lists their controls
// by the menu id, and a parent that is shown shows what it holds.
void addMenuPages(const MenuNode& menu, std::vector<SettingsPageEntry>& pages) {
  if (menu.page) pages.push_back({menu.id, menu.title});
  for (const MenuNode& child : menu.children) addMenuPages(child, pages);
}

}  // namespace

std::vector<SettingsPageEntry> listSettingsPages(const Provider& provider) {
  std::vector<SettingsPageEntry> pages;
  for (const MenuNode* menu : provider.listVisiblePages()) addMenuPages(*menu, pages);
  return pages;
}

std::vector<std::string> currentPageControlIds(const Provider& provider, const std::string& menuId) {
  std::vector<std::string> ids;
  for (const ControlState& state : provider.listPageControls(menuId)) {
    ids.push_back(state.control->id + (state.editable ? "|1|" : "|0|") + state.unavailableReason);
  }
  return ids;
}

int32_t PageScroll::contentHeight(int32_t rowsHeight, bool hasControls) { return hasControls ? rowsHeight + 8 : 0; }

int32_t PageScroll::clampPosition(int32_t position, int32_t contentHeight, int32_t visible) {
  return std::clamp(position, 0, std::max(0, contentHeight - visible));
}

int32_t PageScroll::rangeEnd(int32_t contentHeight, int32_t visible) { return std::max(visible, contentHeight); }

int32_t PageScroll::positionShowing(int32_t position, int32_t rowTop, int32_t rowHeight, int32_t visible) {
  if (rowTop + rowHeight > position + visible) position = rowTop + rowHeight - visible;
  return std::min(position, rowTop);
}

std::string engineFileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos || separator + 1 == path.size()) return path;
  return path.substr(separator + 1);
}

}  // namespace Tavrune::Settings
