// The audio manager's sound table: where the sound pack is, and one entry per sound type.
#include "audio/AudioConfigReader.h"
#include "audio/AudioManager.h"
#include "audio/LegacySoundPathFile.h"
#include "audio/SoundPackLocator.h"
#include "audio/Utf8Path.h"
#include "core/ConfigManager.h"
#include "core/Log.h"

namespace Tavrune {

bool AudioManager::loadSoundConfigs(const std::string& configPath) {
  const std::string path = configPath.empty() ? ConfigManager::getConfigFilePath() : configPath;
  const AudioFolders folders = folderSource_ ? folderSource_() : AudioFolders::current();

  std::string packPath;
  if (const auto fromJson = AudioConfigReader::readSoundPackPathFromJson(path)) {
    packPath = *fromJson;
    logInfo("Audio sound pack loaded from config.json: " + packPath);
  } else {
    for (const std::string& base : {folders.dataDirectory, folders.appDirectory, folders.installRoot}) {
      if (base.empty()) {
        continue;
      }
      const std::string ini = utf8FromPath(pathFromUtf8(base) / "config" / "audio.ini");
      if (const auto fromIni = LegacySoundPathFile::readSoundPackPathFromIni(ini)) {
        packPath = *fromIni;
        logInfo("Audio sound pack loaded from audio.ini fallback: " + packPath);
        break;
      }
    }
  }
  packPath = AudioConfigReader::normalizeSoundPackPath(packPath);

  const std::string folder = SoundPackLocator::resolveSoundPackDirectory(packPath, folders);
  for (const SoundTableEntry& row : SOUND_TABLE) {
    SoundConfig entry;
    entry.filePath = folder + "/" + row.fileName;
    entry.volume = row.volume;
    entry.enabled = true;
    entry.use3D = row.use3D;
    entry.minDistance = 0.2f;
    entry.maxDistance = 1.5f;
    soundConfigs_[row.type] = entry;
  }
  logInfo("Audio sound pack base path: " + folder);
  return true;
}

void AudioManager::validateSoundFiles() {
  int missing = 0;
  for (const auto& [type, entry] : soundConfigs_) {
    if (entry.enabled && !isExistingFile(entry.filePath)) {
      logError("Sound file not found: " + entry.filePath + " (type: " + std::to_string(type) + ")");
      ++missing;
    }
  }
  if (missing == 0) {
    logInfo("All sound files validated successfully");
  } else {
    logWarning("Sound validation failed: " + std::to_string(missing) + " sound file(s) missing");
  }
}

}  // namespace Tavrune
