#include "settings/PlatformRestrictions.h"

#include <algorithm>

namespace Tavrune::Settings {

namespace {

void restrict(ControlSpec* control, Platform platform, UnsupportedPresentation presentation,
              const std::string& reason) {
  if (!control) return;
  control->availability.platforms = {platform};
  control->availability.unsupportedPresentation = presentation;
  control->availability.unsupportedReason = reason;
}

bool availableOn(const PlatformAvailability& availability, Platform platform) {
  const auto& list = availability.platforms;
  return list.empty() || std::find(list.begin(), list.end(), platform) != list.end();
}

// For an item the platform lacks: whether it stays in view, and its reason when it does.
bool presentUnsupported(PlatformAvailability& availability) {
  if (availability.unsupportedPresentation != UnsupportedPresentation::DisabledWithReason) {
    return false;
  }
  availability.unavailableReason = availability.unsupportedReason.empty()
                                       ? std::string(kDefaultUnsupportedReason)
                                       : availability.unsupportedReason;
  return true;
}

}  // namespace

void restrictToAndroid(ControlSpec* control, const std::string& reason) {
  restrict(control, Platform::Android, UnsupportedPresentation::Hidden, reason);
}

void restrictToWindowsDesktop(ControlSpec* control, const std::string& reason) {
  restrict(control, Platform::WindowsDesktop, UnsupportedPresentation::DisabledWithReason, reason);
}

void showOnlyOnWindows(ControlSpec* control, const std::string& reason) {
  restrict(control, Platform::WindowsDesktop, UnsupportedPresentation::Hidden, reason);
}

void updateAvailability(ControlSpec& control, Platform platform) {
  control.visible = true;
  control.editable = !control.readOnly;
  control.availability.unavailableReason.clear();
  if (availableOn(control.availability, platform)) return;
  control.editable = false;
  control.visible = presentUnsupported(control.availability);
}

void updateAvailability(PageSpec& page, Platform platform) {
  page.visible = true;
  page.enabled = true;
  page.availability.unavailableReason.clear();
  if (!availableOn(page.availability, platform)) {
    page.enabled = false;
    page.visible = presentUnsupported(page.availability);
  }
  bool anyControlVisible = false;
  for (ControlSpec& control : page.controls) {
    updateAvailability(control, platform);
    anyControlVisible = anyControlVisible || control.visible;
  }
  if (page.visible && !anyControlVisible) {
    page.visible = false;
    page.enabled = false;
  }
}

void updateAvailability(MenuNode& menu, Platform platform) {
  menu.enabled = true;
  menu.visible = true;
  menu.availability.unavailableReason.clear();
  if (!availableOn(menu.availability, platform)) {
    menu.enabled = false;
    menu.visible = presentUnsupported(menu.availability);
  }
  bool anythingVisible = false;
  if (menu.page) {
    updateAvailability(*menu.page, platform);
    anythingVisible = menu.page->visible;
  }
  for (MenuNode& child : menu.children) {
    updateAvailability(child, platform);
    anythingVisible = anythingVisible || child.visible;
  }
  if (!anythingVisible) {
    menu.visible = false;
    menu.enabled = false;
  }
}

}  // namespace Tavrune::Settings
