#pragma once
// Reads the audio back-end preferences and the sound-pack path straight from
// "config.json", for the audio manager's start-up. Missing or broken files give defaults.
#include <optional>
#include <string>

#include "audio/AudioPreferences.h"

namespace Tavrune {

class AudioConfigReader {
 public:
  static AudioPreferences loadAudioPreferences(const std::string& configPath);
  // The "Audio" object's "SoundPackPath" when it is a text, normalised.
  static std::optional<std::string> readSoundPackPathFromJson(const std::string& configPath);
  // Backslashes become "/"; an empty text becomes "sounds/default".
  static std::string normalizeSoundPackPath(const std::string& path);

  static constexpr const char* DEFAULT_SOUND_PACK = "sounds/default";
};

}  // namespace Tavrune
