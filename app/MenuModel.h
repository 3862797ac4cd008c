#pragma once
// The menu bar as data: its popups, items and separators with their texts, and each
// item's enabled state, check mark and label as a function of the window's state. The
// Windows menu is built from it (MenuBuilder), so the rules are testable without one.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/MenuCommand.h"
#include "app/SessionStatus.h"

namespace Tavrune {

struct MenuEntry {
  bool separator = false;
  MenuCommand command = MenuCommand::NewGame;  // unused for a separator
  const wchar_t* label = L"";
};

struct MenuPopup {
  const wchar_t* title;
  std::vector<MenuEntry> entries;
};

struct MenuItemState {
  MenuCommand command;
  bool enabled = true;
  bool checked = false;
  std::wstring label;
  friend bool operator==(const MenuItemState&, const MenuItemState&) = default;
};

class MenuModel {
 public:
  // "游戏": also opened as a popup at the window's origin when the user must pick a mode.
  static constexpr int32_t kGamePopupIndex = 1;

  static const std::vector<MenuPopup>& menuBar();
  // The command of a WM_COMMAND id; none for an id the menu does not send.
  static std::optional<MenuCommand> commandFromId(int32_t id);
  // Every item of the bar, in menu order.
  static std::vector<MenuItemState> itemStates(const SessionStatus& status, bool professionalNotation);
  static MenuItemState itemState(MenuCommand command, const SessionStatus& status, bool professionalNotation);
};

}  // namespace Tavrune
