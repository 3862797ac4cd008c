#include "audio/SoundPackCatalog.h"

#include <algorithm>
#include <string>

#include "audio/AudioFolders.h"
#include "audio/SoundPackScanner.h"
#include "audio/Utf8Path.h"
#include "core/ConfigManager.h"

namespace Tavrune {

std::vector<SoundPack> SoundPackCatalog::scanSoundPacks() {
  std::vector<std::string> roots;
  for (const std::string& base : {ConfigManager::getDataDirectory(), AudioFolders::installRootFolder()}) {
    if (base.empty()) {
      continue;
    }
    const std::string root = utf8FromPath(pathFromUtf8(base) / "sounds");
    if (std::find(roots.begin(), roots.end(), root) == roots.end()) {
      roots.push_back(root);
    }
  }
  return SoundPackScanner::scanRoots(roots);
}

}  // namespace Tavrune
