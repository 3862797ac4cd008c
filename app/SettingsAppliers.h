#pragma once
// What a committed setting changes in the running program: the window's copies of the
// settings (which the window's own save writes back) and the component behind each one.
// The window hands in its copies, its components and a few of its operations; tests
// hand in their own without a window.
#include <cstdint>
#include <functional>
#include <string>

#include "app/EngineSettingsMirror.h"
#include "core/AccessibilityConfig.h"
#include "core/AudioConfig.h"
#include "core/SystemConfig.h"
#include "settings/CallbackActionExecutor.h"
#include "settings/Provider.h"

namespace Tavrune {

class AccessibilityManager;
class AudioManager;
class IEngineFrontEnd;

struct SettingsTargets {
  // The window's copies of the settings; all must be given.
  EngineSettingsMirror* engineSettings = nullptr;
  std::string* enginePath = nullptr;
  int32_t* player2Scheme = nullptr;
  AccessibilityConfig* a11yConfig = nullptr;
  SystemConfig* systemConfig = nullptr;
  AudioConfig* audioConfig = nullptr;
  // Components; null when absent (then only the copies change).
  IEngineFrontEnd* engine = nullptr;
  AudioManager* audio = nullptr;
  AccessibilityManager* accessibility = nullptr;
  // Window operations; an empty one is skipped.
  std::function<void()> applyNotationSettings;  // hands the keypad switches to notation entry
  std::function<void()> resetNotationInput;
  std::function<void()> updateMenuState;
  std::function<void()> soundSwitchedOn;  // starts the audio for a game that began silent
};

// One applier per setting that the running program takes at once; the engine's only
// when there is an engine.
void registerSettingsAppliers(Settings::CallbackActionExecutor& executor, const SettingsTargets& targets);

// The engine page's information rows: state, name, restarts, options in effect, their
// agreement with the settings and the option count.
void fillEngineInfoRows(Settings::Provider& provider, const IEngineFrontEnd& engine);

// The whole audio configuration into a running manager, the same way every caller does,
// so that re-applying unchanged settings never rebuilds the back end.
void pushAudioSettings(AudioManager& audio, const AudioConfig& config);

}  // namespace Tavrune
