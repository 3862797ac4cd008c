#pragma once
// Sound settings: the "Audio" section of "config.json". Volumes are 0..1.
#include <string>

namespace Tavrune {

struct AudioConfig {
  bool enabled = true;
  float masterVolume = 1.0f;
  bool enable3D = true;
  float boardScaleX = 0.15f;
  float boardScaleY = 0.15f;
  float listenerHeight = 0.3f;
  std::string soundPackPath = "sounds/default";
  float moveVolume = 1.0f;
  float captureVolume = 1.0f;
  float checkVolume = 1.0f;
  float uiVolume = 1.0f;
  float gameSfxVolume = 1.0f;
  float backgroundVolume = 0.3f;
  bool gameSfxEnabled = true;
  bool backgroundMusicEnabled = true;
  std::string backendType = "auto";
  bool hrtfEnabled = true;
  std::string hrtfPreferred;
  bool forceAccessibilityChannel = false;

  bool operator==(const AudioConfig&) const = default;
};

}  // namespace Tavrune
