#pragma once
// One-time copy of older data kept beside the program (config, debug log, sounds, books,
// audio.ini) into the per-user data folder. Never overwrites, moves or deletes a file;
// the outcome is kept in "migration_state.json" in the data folder.
#include <string>
#include <vector>

namespace Tavrune {

class LegacyDataMigration {
 public:
  static constexpr const char* recordFileName = "migration_state.json";

  // Copies from programFolder into dataFolder unless a success for this pair is on record.
  static void run(const std::string& dataFolder, const std::string& programFolder);

  // True when the record holds a finished migration for these two folders.
  static bool readState(const std::string& recordPath, const std::string& programFolder,
                        const std::string& dataFolder);
  static void writeState(const std::string& recordPath, const std::string& programFolder,
                         const std::string& dataFolder, const std::string& status,
                         const std::vector<std::string>& errors);

  // Creates config, logs, sounds, books and .tmp in the data folder.
  static void ensureDataFolders(const std::string& dataFolder, std::vector<std::string>& errors);
  // False only when a copy was needed and failed.
  static bool copyFileIfMissing(const std::string& source, const std::string& target,
                                std::vector<std::string>& errors);
  // False when anything in the tree failed.
  static bool copyDirectoryTree(const std::string& source, const std::string& target,
                                std::vector<std::string>& errors);
};

}  // namespace Tavrune
