#pragma once
// Lists the sound packs in given "sounds" folders and reads each pack's small metadata
// file. Platform-neutral; SoundPackCatalog supplies the program's own folders.
#include <array>
#include <string>
#include <vector>

#include "audio/SoundPack.h"

namespace Tavrune {

// name, author, version, website, qq, description
using SoundPackMetadata = std::array<std::string, 6>;

class SoundPackScanner {
 public:
  // The packs in these "sounds" folders, in order; a folder name (without regard to
  // letter case) found in an earlier root hides later ones.
  static std::vector<SoundPack> scanRoots(const std::vector<std::string>& soundsFolders);
  // Six empty texts when the file is missing, unreadable or over the size limit.
  static SoundPackMetadata readSoundPackMetadata(const std::wstring& packFolder);

  static constexpr size_t MAX_METADATA_BYTES = 10240;
};

}  // namespace Tavrune
