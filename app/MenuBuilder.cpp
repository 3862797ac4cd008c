#include "app/MenuBuilder.h"

#include <string>

#include "core/Log.h"

namespace Tavrune {

HMENU MenuBuilder::build() {
  HMENU bar = CreateMenu();
  if (bar == nullptr) {
    logError("[MainWindow] CreateMenu failed: " + std::to_string(GetLastError()));
    return nullptr;
  }
  for (const MenuPopup& popup : MenuModel::menuBar()) {
    HMENU menu = CreatePopupMenu();
    bool built = menu != nullptr;
    for (const MenuEntry& entry : popup.entries) {
      if (!built) break;
      built = entry.separator ? AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)
                              : AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.command), entry.label);
    }
    // Once appended the popup belongs to the bar and goes with it.
    if (built) built = AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), popup.title);
    if (!built) {
      logError("[MainWindow] Building the menu failed: " + std::to_string(GetLastError()));
      if (menu != nullptr) DestroyMenu(menu);
      DestroyMenu(bar);
      return nullptr;
    }
  }
  return bar;
}

void MenuBuilder::apply(HMENU menuBar, const std::vector<MenuItemState>& states) {
  if (menuBar == nullptr) return;
  for (const MenuItemState& state : states) {
    std::wstring label = state.label;  // the call takes a writable pointer
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_STRING;
    info.fState = (state.enabled ? MFS_ENABLED : MFS_GRAYED) | (state.checked ? MFS_CHECKED : MFS_UNCHECKED);
    info.dwTypeData = label.data();
    if (!SetMenuItemInfoW(menuBar, static_cast<UINT>(state.command), FALSE, &info)) {
      logWarning("[MainWindow] Menu item " + std::to_string(static_cast<int>(state.command)) + " not updated");
    }
  }
}

void MenuBuilder::update(HWND window, const std::vector<MenuItemState>& states) {
  HMENU bar = GetMenu(window);
  if (bar == nullptr) return;
  apply(bar, states);
  DrawMenuBar(window);
}

HMENU MenuBuilder::gamePopup(HMENU menuBar) {
  return menuBar == nullptr ? nullptr : GetSubMenu(menuBar, MenuModel::kGamePopupIndex);
}

}  // namespace Tavrune
