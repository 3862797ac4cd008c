#pragma once
// One entry of the sound table: which file a sound type plays and how.
#include <string>

namespace Tavrune {

struct SoundConfig {
  std::string filePath;
  float volume = 1.0f;
  bool enabled = true;
  bool use3D = true;
  float minDistance = 1.0f;
  float maxDistance = 10.0f;
};

}  // namespace Tavrune
