#include "core/LegacyDataMigration.h"

#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/AtomicFileWriter.h"
#include "core/ConfigJson.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "core/SystemErrorText.h"
#include "core/TextConversion.h"

namespace Tavrune {

namespace fs = std::filesystem;

namespace {

fs::path toFsPath(const std::string& utf8) { return fs::path(utf8ToWide(utf8)); }
std::string fromFsPath(const fs::path& path) { return wideToUtf8(path.wstring()); }
std::string message(const std::error_code& error) { return SystemErrorText::fromErrorCode(error); }

bool isFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error) && !error;
}

// Copies each direct entry of a legacy folder (sounds or books) into the data folder.
// Returns false when any copy or the listing itself failed.
bool copyFolderEntries(const std::string& sourceFolder, const std::string& targetFolder,
                       const std::string& iterateErrorPrefix, std::vector<std::string>& errors) {
  const fs::path source = toFsPath(sourceFolder);
  if (!isFolder(source)) {
    return true;
  }
  bool ok = true;
  std::error_code error;
  fs::directory_iterator entry(source, error);
  // A listing that breaks partway is recorded like one that cannot start.
  for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
    const std::string name = fromFsPath(entry->path().filename());
    const std::string sourcePath = fromFsPath(entry->path());
    const std::string targetPath = joinPath(targetFolder, name);
    std::error_code typeError;
    if (entry->is_directory(typeError)) {
      ok = LegacyDataMigration::copyDirectoryTree(sourcePath, targetPath, errors) && ok;
    } else if (entry->is_regular_file(typeError)) {
      ok = LegacyDataMigration::copyFileIfMissing(sourcePath, targetPath, errors) && ok;
    }
  }
  if (error) {
    errors.push_back(iterateErrorPrefix + sourceFolder + ":" + message(error));
    ok = false;
  }
  return ok;
}

}  // namespace

void LegacyDataMigration::run(const std::string& dataFolder, const std::string& programFolder) {
  if (dataFolder.empty() || programFolder.empty()) {
    return;
  }
  const std::string recordPath = joinPath(dataFolder, recordFileName);
  if (readState(recordPath, programFolder, dataFolder)) {
    return;
  }

  std::vector<std::string> errors;
  ensureDataFolders(dataFolder, errors);

  const std::string programConfig = joinPath(programFolder, "config");
  const std::string dataConfig = joinPath(dataFolder, "config");
  bool copiesOk = copyFileIfMissing(joinPath(programConfig, "config.json"), joinPath(dataConfig, "config.json"),
                                    errors);

  // The debug log lived beside the program, later in its logs folder; the first one found wins.
  const std::string logTarget = joinPath(joinPath(dataFolder, "logs"), "tavrune_debug.log");
  for (const std::string& logSource : {joinPath(programFolder, "tavrune_debug.log"),
                                       joinPath(joinPath(programFolder, "logs"), "tavrune_debug.log")}) {
    if (!copyFileIfMissing(logSource, logTarget, errors)) {
      copiesOk = false;
      continue;
    }
    std::error_code error;
    if (fs::exists(toFsPath(logTarget), error)) {
      break;
    }
  }

  copiesOk = copyFolderEntries(joinPath(programFolder, "sounds"), joinPath(dataFolder, "sounds"),
                               "E_ITERATE_SOUNDS:", errors) && copiesOk;
  copiesOk = copyFolderEntries(joinPath(programFolder, "books"), joinPath(dataFolder, "books"),
                               "E_ITERATE_BOOKS:", errors) && copiesOk;

  const bool audioIniOk =
      copyFileIfMissing(joinPath(programConfig, "audio.ini"), joinPath(dataConfig, "audio.ini"), errors);

  std::string status = "success";
  if (!errors.empty()) {
    status = (audioIniOk && copiesOk) ? "partial" : "failed";
  }
  writeState(recordPath, programFolder, dataFolder, status, errors);
}

bool LegacyDataMigration::readState(const std::string& recordPath, const std::string& programFolder,
                                    const std::string& dataFolder) {
  try {
    const fs::path path = toFsPath(recordPath);
    std::error_code error;
    if (!fs::exists(path, error) || error) {
      return false;
    }
    std::ifstream input(path, std::ios::binary);
    if (!input) {
      return false;
    }
    nlohmann::json record;
    std::string parseError;
    if (!ConfigJson::parse(input, record, parseError)) {
      return false;
    }
    // Members of another type than written count as a record that does not match.
    const nlohmann::json* version = ConfigJson::member(record, "schemaVersion");
    const nlohmann::json* status = ConfigJson::member(record, "status");
    const nlohmann::json* from = ConfigJson::member(record, "fromPath");
    const nlohmann::json* to = ConfigJson::member(record, "toPath");
    if (version == nullptr || !version->is_number_integer() || version->get<std::int64_t>() != 1) {
      return false;
    }
    if (status == nullptr || !status->is_string() || status->get<std::string>() != "success") {
      return false;
    }
    if (from == nullptr || !from->is_string() ||
        ConfigManager::pathCompareKey(from->get<std::string>()) != ConfigManager::pathCompareKey(programFolder)) {
      return false;
    }
    return to != nullptr && to->is_string() &&
           ConfigManager::pathCompareKey(to->get<std::string>()) == ConfigManager::pathCompareKey(dataFolder);
  } catch (const std::exception& e) {
    logError(std::string("[ConfigManager] readMigrationState: ") + e.what());
    return false;
  }
}

void LegacyDataMigration::writeState(const std::string& recordPath, const std::string& programFolder,
                                     const std::string& dataFolder, const std::string& status,
                                     const std::vector<std::string>& errors) {
  try {
    nlohmann::json record = nlohmann::json::object();
    record["schemaVersion"] = 1;
    record["appVersion"] = ConfigManager::getProductVersion();
    record["fromPath"] = programFolder;
    record["toPath"] = dataFolder;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    record["timestamp"] = std::to_string(seconds.count());
    record["status"] = status;
    record["details"] = errors;

    std::error_code error;
    fs::create_directories(toFsPath(recordPath).parent_path(), error);
    // A record that cannot be written only means the migration runs again next time.
    std::string reason;
    AtomicFileWriter::write(recordPath, ConfigJson::toFileText(record), reason);
  } catch (const std::exception& e) {
    logError(std::string("[ConfigManager] writeMigrationState: ") + e.what());
  }
}

void LegacyDataMigration::ensureDataFolders(const std::string& dataFolder, std::vector<std::string>& errors) {
  for (const char* name : {"config", "logs", "sounds", "books", ".tmp"}) {
    const std::string folder = joinPath(dataFolder, name);
    std::error_code error;
    fs::create_directories(toFsPath(folder), error);
    if (!error && !isFolder(toFsPath(folder))) {
      error = std::make_error_code(std::errc::not_a_directory);
    }
    if (error) {
      errors.push_back("E_CREATE_DIR:" + folder + ":" + message(error));
    }
  }
}

bool LegacyDataMigration::copyFileIfMissing(const std::string& source, const std::string& target,
                                            std::vector<std::string>& errors) {
  const fs::path from = toFsPath(source);
  const fs::path to = toFsPath(target);
  std::error_code error;
  if (!fs::exists(from, error) || error) {
    return true;
  }
  // A target whose status cannot be read is treated as present: never risk overwriting.
  error.clear();
  if (fs::exists(to, error) || error) {
    return true;
  }
  const fs::path parent = to.parent_path();
  fs::create_directories(parent, error);
  if (!error && !isFolder(parent)) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  if (error) {
    errors.push_back("E_CREATE_PARENT:" + fromFsPath(parent) + ":" + message(error));
    return false;
  }
  fs::copy_file(from, to, fs::copy_options::none, error);
  if (error) {
    errors.push_back("E_COPY_FILE:" + source + "->" + target + ":" + message(error));
    return false;
  }
  return true;
}

bool LegacyDataMigration::copyDirectoryTree(const std::string& source, const std::string& target,
                                            std::vector<std::string>& errors) {
  const fs::path from = toFsPath(source);
  const fs::path to = toFsPath(target);
  if (!isFolder(from)) {
    return true;
  }
  std::error_code error;
  fs::create_directories(to, error);
  if (!error && !isFolder(to)) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  if (error) {
    errors.push_back("E_CREATE_DIR:" + target + ":" + message(error));
    return false;
  }

  bool ok = true;
  fs::recursive_directory_iterator entry(from, error);
  for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
    const std::string entryPath = fromFsPath(entry->path());
    const fs::path relative = entry->path().lexically_relative(from);
    if (relative.empty()) {
      errors.push_back("E_RELATIVE_PATH:" + entryPath + ":" +
                       message(std::make_error_code(std::errc::invalid_argument)));
      ok = false;
      continue;
    }
    const fs::path entryTarget = to / relative;
    std::error_code typeError;
    // Links are skipped: following one could copy files from outside the tree.
    if (entry->is_symlink(typeError)) {
      continue;
    }
    typeError.clear();
    const bool folder = entry->is_directory(typeError);
    if (typeError) {
      errors.push_back("E_DIR_TYPE:" + entryPath + ":" + message(typeError));
      ok = false;
      continue;
    }
    if (folder) {
      std::error_code createError;
      fs::create_directories(entryTarget, createError);
      if (!createError && !isFolder(entryTarget)) {
        createError = std::make_error_code(std::errc::not_a_directory);
      }
      if (createError) {
        errors.push_back("E_CREATE_DIR:" + fromFsPath(entryTarget) + ":" + message(createError));
        ok = false;
      }
      continue;
    }
    const bool regular = entry->is_regular_file(typeError);
    if (typeError) {
      errors.push_back("E_FILE_TYPE:" + entryPath + ":" + message(typeError));
      ok = false;
      continue;
    }
    if (regular && !copyFileIfMissing(entryPath, fromFsPath(entryTarget), errors)) {
      ok = false;
    }
  }
  if (error) {
    errors.push_back("E_ITERATE_RECURSIVE:" + source + ":" + message(error));
    ok = false;
  }
  return ok;
}

}  // namespace Tavrune
