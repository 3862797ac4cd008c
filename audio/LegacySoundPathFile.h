#pragma once
// The older "audio.ini" (section "SoundPaths", key "SoundPackPath"), read only when
// "config.json" names no sound pack.
#include <optional>
#include <string>

namespace Tavrune {

class LegacySoundPathFile {
 public:
  // Nothing for an empty path or a missing file; otherwise the value, normalised, or
  // "sounds/default" when the file lacks the key.
  static std::optional<std::string> readSoundPackPathFromIni(const std::string& iniPath);
};

}  // namespace Tavrune
