#pragma once
// Every setting of the program, once: the menus, pages and controls in display order,
// with keys, kinds, defaults, limits, choices, texts and platform restrictions.
#include "settings/SettingsSchema.h"

namespace Tavrune::Settings {

// The whole tree under the menu "root"; a fresh copy each call.
MenuNode buildSettingsSchema();

// One leaf menu each, holding its page.
MenuNode buildAiBasicPage();
MenuNode buildAiAdvancedPage();
MenuNode buildAiEnginePage();
MenuNode buildAccessibilityPage();
MenuNode buildAudioPage();
MenuNode buildSystemPage();

}  // namespace Tavrune::Settings
