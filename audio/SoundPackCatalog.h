#pragma once
// The sound packs the user can choose from: those under the data folder's "sounds"
// folder, then those under the program folder's.
#include <vector>

#include "audio/SoundPack.h"

namespace Tavrune {

class SoundPackCatalog {
 public:
  static std::vector<SoundPack> scanSoundPacks();
};

}  // namespace Tavrune
