#pragma once
// The window's copies of the settings without a window, as start-up leaves them for a
// new user, handed to the settings appliers together with whatever components a test has.
#include <string>

#include "app/SettingsAppliers.h"

namespace Tavrune::Test {

struct SettingsMirrors {
  EngineSettingsMirror engine;
  std::string enginePath;
  int32_t player2Scheme = 0;
  AccessibilityConfig a11y;
  SystemConfig system;
  AudioConfig audio;

  SettingsTargets targets(IEngineFrontEnd* engineFrontEnd, AudioManager* audioManager,
                          AccessibilityManager* accessibility) {
    SettingsTargets t;
    t.engineSettings = &engine;
    t.enginePath = &enginePath;
    t.player2Scheme = &player2Scheme;
    t.a11yConfig = &a11y;
    t.systemConfig = &system;
    t.audioConfig = &audio;
    t.engine = engineFrontEnd;
    t.audio = audioManager;
    t.accessibility = accessibility;
    return t;
  }
};

}  // namespace Tavrune::Test
