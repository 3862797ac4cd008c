#pragma once
// Where the program keeps its files (per-user or portable data folder), the one-time
// migration of older data, and "config.json". Process-wide state, no instances.
#include <optional>
#include <string>

#include "core/AIConfig.h"
#include "core/AccessibilityConfig.h"
#include "core/AudioConfig.h"
#include "core/SystemConfig.h"

namespace Tavrune {

class ConfigManager {
 public:
  // Data folder and portable mode. All paths are UTF-8.
  static void setPortableMode(bool on);
  static bool detectPortableMode();
  static std::string getDataDirectory();
  static std::string getConfigFilePath();
  static std::string getAppDirectory();
  static std::string getExecutableDirectory();
  static std::string getDataFolder();
  static std::string getTempDirectory();
  static bool cleanupTempDirectory();

  // Reads "config.json" into the pieces; never fails towards the caller. A null system
  // or audio piece is not read.
  static void loadConfig(AIConfig& ai, int& player2Scheme, AccessibilityConfig& accessibility,
                         SystemConfig* system, AudioConfig* audio);
  // True once after a load found "config.json" unreadable, kept it as
  // "config.json.unreadable" and went on with the defaults: the user is to be told.
  static bool takeUnreadableFileNotice();
  // Replaces "config.json" with the five pieces; system and audio must both be given.
  // False (and the old file left whole) when nothing was written.
  static bool saveConfig(const AIConfig& ai, int player2Scheme, const AccessibilityConfig& accessibility,
                         const SystemConfig* system, const AudioConfig* audio);

  // Copies older data from the program folder into the data folder, once.
  static void migrateLegacyData(const std::string& dataFolder, const std::string& programFolder);
  // Lexically normalised, backslashes, ASCII lower case: equal keys mean the same folder.
  static std::string pathCompareKey(const std::string& path);
  static std::string getProductVersion();

  // Test seam: forgets the process-wide state and, where given, replaces the program
  // folder and the per-user data folder the platform would report.
  struct FolderOverrides {
    std::optional<std::string> programFolder;
    std::optional<std::string> userDataFolder;
  };
  static void resetForTesting(const FolderOverrides& overrides = {});
};

}  // namespace Tavrune
