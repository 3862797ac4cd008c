#pragma once
// The settings dialog's page list, the signature that tells whether a change altered the
// set of shown controls, and the vertical scrolling of a page.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/Provider.h"

namespace Tavrune::Settings {

// One line of the page list.
struct SettingsPageEntry {
  std::string menuId;  // the menu holding the page; the provider lists controls by it
  std::string title;   // that menu's title
};

// Every page of the visible menus, each menu before its children, depth first.
std::vector<SettingsPageEntry> listSettingsPages(const Provider& provider);

// One entry per control the page lists: key, whether editable, and why not.
std::vector<std::string> currentPageControlIds(const Provider& provider, const std::string& menuId);

// Vertical scrolling of the control area, in pixels; `visible` is the area's height.
struct PageScroll {
  static constexpr int32_t kLineStep = 20;
  static constexpr int32_t kWheelStep = 40;

  // The height of the rows plus a margin; 0 for an empty page.
  static int32_t contentHeight(int32_t rowsHeight, bool hasControls);
  static int32_t clampPosition(int32_t position, int32_t contentHeight, int32_t visible);
  // The scroll bar's range end: never below the visible height.
  static int32_t rangeEnd(int32_t contentHeight, int32_t visible);
  // The nearest position that shows the whole row (its top when it is taller than the area).
  static int32_t positionShowing(int32_t position, int32_t rowTop, int32_t rowHeight, int32_t visible);
};

// The file name of an engine path: after the last '\\' or '/', the whole path when it
// has neither or ends with one.
std::string engineFileNameOf(const std::string& path);

}  // namespace Tavrune::Settings
