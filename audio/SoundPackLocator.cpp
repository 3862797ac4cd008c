#include "audio/SoundPackLocator.h"

#include <filesystem>

#include "audio/AudioConfigReader.h"
#include "audio/Utf8Path.h"

namespace Tavrune {

namespace {

namespace fs = std::filesystem;

std::string joined(const std::string& folder, const std::string& relative) {
  return utf8FromPath(pathFromUtf8(folder) / pathFromUtf8(relative));
}

bool isAbsolutePackPath(const fs::path& path) {
  // A path that starts at a root without a drive (a share name, "\\server\...") counts too.
  return path.is_absolute() || path.has_root_directory();
}

// The absolute pack path re-rooted from the program folder into the data folder, when it
// lies inside the program folder (compared byte by byte, letter case significant).
std::string reRootedUnderDataFolder(const fs::path& absolute, const AudioFolders& folders) {
  const std::string program = utf8FromPath(pathFromUtf8(folders.appDirectory).lexically_normal());
  const std::string pack = utf8FromPath(absolute.lexically_normal());
  if (program.empty() || pack.size() < program.size() || pack.compare(0, program.size(), program) != 0) {
    return {};
  }
  if (pack.size() > program.size() && pack[program.size()] != static_cast<char>(fs::path::preferred_separator)) {
    return {};
  }
  std::string relative = pack.substr(program.size());
  while (!relative.empty() && relative.front() == static_cast<char>(fs::path::preferred_separator)) {
    relative.erase(0, 1);
  }
  return relative.empty() ? folders.dataDirectory : joined(folders.dataDirectory, relative);
}

}  // namespace

std::string SoundPackLocator::resolveSoundPackDirectory(const std::string& configuredPath,
                                                        const AudioFolders& folders) {
  const fs::path configured = pathFromUtf8(configuredPath);
  if (!configured.empty() && isAbsolutePackPath(configured)) {
    if (!folders.dataDirectory.empty() && !folders.appDirectory.empty()) {
      const std::string reRooted = reRootedUnderDataFolder(configured, folders);
      if (!reRooted.empty() && isExistingFolder(reRooted)) {
        return reRooted;
      }
    }
    if (isExistingFolder(configuredPath)) {
      return configuredPath;
    }
  }

  const std::string fallbackPack = AudioConfigReader::DEFAULT_SOUND_PACK;
  const std::string candidates[] = {
      folders.dataDirectory.empty() ? std::string() : joined(folders.dataDirectory, configuredPath),
      folders.appDirectory.empty() ? std::string() : joined(folders.appDirectory, configuredPath),
      joined(folders.installRoot, configuredPath),
      folders.dataDirectory.empty() ? std::string() : joined(folders.dataDirectory, fallbackPack),
      folders.appDirectory.empty() ? std::string() : joined(folders.appDirectory, fallbackPack),
      joined(folders.installRoot, fallbackPack),
  };
  for (const std::string& candidate : candidates) {
    if (!candidate.empty() && isExistingFolder(candidate)) {
      return candidate;
    }
  }
  return joined(folders.installRoot, fallbackPack);
}

}  // namespace Tavrune
