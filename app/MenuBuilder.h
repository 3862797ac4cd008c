#pragma once
// The Windows menu bar made from MenuModel, and the model's item states (enabled or
// greyed, check mark, label) written into it.
#include <windows.h>

#include <vector>

#include "app/MenuModel.h"

namespace Tavrune {

class MenuBuilder {
 public:
  // The bar with its popups; null (logged) when the system refuses a menu.
  static HMENU build();
  // Writes each item's state and label, found by command in any popup of the bar.
  static void apply(HMENU menuBar, const std::vector<MenuItemState>& states);
  // apply on the window's bar and redraw it; nothing when the window has no menu.
  static void update(HWND window, const std::vector<MenuItemState>& states);
  static HMENU gamePopup(HMENU menuBar);
};

}  // namespace Tavrune
