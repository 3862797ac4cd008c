#pragma once
// The back-end preferences: which library plays the effects and how.
#include <string>

#include "audio/AudioBackendType.h"

namespace Tavrune {

struct AudioPreferences {
  AudioBackendType backendType = AUDIO_BACKEND_AUTO;
  bool hrtfEnabled = true;
  std::string hrtfPreferred;
  bool forceAccessibilityChannel = false;

  bool isDefault() const { return *this == AudioPreferences{}; }
  friend bool operator==(const AudioPreferences&, const AudioPreferences&) = default;
};

}  // namespace Tavrune
