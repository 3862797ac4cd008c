#pragma once
// Which settings exist on which platform, and how a platform that lacks one presents it:
// hidden, or greyed out with a reason so the user knows the feature exists elsewhere.
#include <string>

#include "settings/SettingsSchema.h"

namespace Tavrune::Settings {

// Shown for a greyed-out item that gives no reason of its own.
inline constexpr const char* kDefaultUnsupportedReason = "当前平台不支持";

// Each replaces the control's platform list with one platform; a null control is ignored.
// Android-only, invisible elsewhere.
void restrictToAndroid(ControlSpec* control, const std::string& reason);
// Windows-only, greyed out with the reason elsewhere.
void restrictToWindowsDesktop(ControlSpec* control, const std::string& reason);
// Windows-only, invisible elsewhere.
void showOnlyOnWindows(ControlSpec* control, const std::string& reason);

// Recompute the visible, editable/enabled flags and the unavailable reasons for a
// platform. A page with nothing to show is hidden, and so is a menu with neither a
// visible page nor a visible child.
void updateAvailability(ControlSpec& control, Platform platform);
void updateAvailability(PageSpec& page, Platform platform);
void updateAvailability(MenuNode& menu, Platform platform);

}  // namespace Tavrune::Settings
