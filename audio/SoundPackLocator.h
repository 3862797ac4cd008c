#pragma once
// Turns the configured sound-pack path into a folder that exists: the data folder's
// copy first, then the program folder's and the install root's, then a default pack.
#include <string>

#include "audio/AudioFolders.h"

namespace Tavrune {

class SoundPackLocator {
 public:
  static std::string resolveSoundPackDirectory(const std::string& configuredPath, const AudioFolders& folders);
};

}  // namespace Tavrune
