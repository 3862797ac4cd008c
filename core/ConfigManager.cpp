#include "core/ConfigManager.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "core/AtomicFileWriter.h"
#include "core/ConfigJson.h"
#include "core/EnginePaths.h"
#include "core/LegacyDataMigration.h"
#include "core/Log.h"
#include "core/SystemErrorText.h"
#include "core/TextConversion.h"
#include "platform/PlatformBase.h"

namespace Tavrune {

namespace fs = std::filesystem;

namespace {

// The mode is fixed once per process (by the command line or by detection); the
// configuration folder is computed once per mode. No lock: start-up settles all of it on
// the UI thread before any other thread reads it.
struct ProcessState {
  bool portableMode = false;
  bool portableModeDecided = false;
  bool migrationAttempted = false;
  std::string cachedConfigDirectory;
  ConfigManager::FolderOverrides overrides;
  bool unreadableFileNoticeOwed = false;
};

ProcessState& state() {
  static ProcessState instance;
  return instance;
}

fs::path toFsPath(const std::string& utf8) { return fs::path(utf8ToWide(utf8)); }
std::string fromFsPath(const fs::path& path) { return wideToUtf8(path.wstring()); }

bool pathExists(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::error_code error;
  return fs::exists(toFsPath(path), error) && !error;
}

// Creates a folder with its parents; the folder must be a folder afterwards.
bool createFolder(const std::string& folder, std::string& failure) {
  std::error_code error;
  fs::create_directories(toFsPath(folder), error);
  if (!error && !fs::is_directory(toFsPath(folder), error)) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  if (error) {
    failure = SystemErrorText::fromErrorCode(error);
    return false;
  }
  return true;
}

void decideMode() {
  ProcessState& s = state();
  if (!s.portableModeDecided) {
    s.portableMode = ConfigManager::detectPortableMode();
    s.portableModeDecided = true;
  }
}

std::string systemTempFallback() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  const std::string folder = (length > 0 && length <= MAX_PATH + 1) ? wideToUtf8(std::wstring(buffer, length)) : "";
  return folder + "tavrune_update";
}

std::string legacyConfigPath() {
  const std::string programFolder = ConfigManager::getExecutableDirectory();
  return programFolder.empty() ? std::string() : programFolder + "\\config\\config.json";
}

bool parseFile(const std::string& path, nlohmann::json& document, std::string& error, bool& opened) {
  std::ifstream input(toFsPath(path), std::ios::binary);
  opened = static_cast<bool>(input);
  if (!opened) {
    return false;
  }
  return ConfigJson::parse(input, document, error);
}

const char* onOff(bool on) { return on ? "ON" : "OFF"; }

void logLoadSummary(const std::string& path, const AIConfig& ai, const AccessibilityConfig& a) {
  logInfo("Config loaded from: " + path);
  logInfo("AI DifficultyTier: " + std::to_string(ai.difficultyTier));
  logInfo("AI Time Limit: " + std::to_string(ai.timeLimit));
  logInfo("AI Depth: " + std::to_string(ai.depth));
  logInfo("AI Search Limit Mode: " + std::to_string(ai.searchLimitMode));
  logInfo("Engine Path: " + ai.enginePath);
  logInfo(std::string("Player Color: ") + (ai.playerColor == 1 ? "RED" : "BLACK"));
  logInfo(std::string("Professional Notation: ") + onOff(a.professionalNotation));
  logInfo(std::string("Touch Guard Gesture Mode: ") + onOff(a.touchGuardGestureMode));
  logInfo(std::string("Windows UIA Provider: ") + onOff(a.windowsUiaProviderEnabled));
  logInfo(std::string("Windows Read Line Hotkeys: ") + onOff(a.windowsReadLineHotkeysEnabled));
  logInfo(std::string("Windows Read Line Empty Shortcut: ") + onOff(a.windowsReadLineAllEmptyShortcutEnabled));
  logInfo(std::string("Windows Numpad Notation Input: ") + onOff(a.windowsNumpadNotationInputEnabled));
  logInfo(std::string("Windows Main Keyboard Notation Input: ") +
          onOff(a.windowsMainKeyboardNotationInputEnabled));
  logInfo(std::string("Windows Numpad 8/2 Alias: ") + onOff(a.windowsNumpadFrontBackAlias82Enabled));
  logInfo("Windows Numpad Timeout: " + std::to_string(a.windowsNumpadInputTimeoutMs));
}

// One value the parser refuses (a number out of range, a byte that is not UTF-8) spoils
// the whole file, yet it still holds the user's settings: it is kept beside itself when
// it is read and again before a save replaces it, a later copy replacing an earlier.
// When it cannot be kept, a save writes nothing.
bool copyUnreadableConfig(const std::string& path, const std::string& operation) {
  const std::string kept = path + ".unreadable";
  if (!CopyFileW(utf8ToWide(path).c_str(), utf8ToWide(kept).c_str(), FALSE)) {
    logError(operation + ": Failed to keep the unreadable config file as " + kept + " (" +
             SystemErrorText::fromCode(GetLastError()) + ")");
    return false;
  }
  logWarning(operation + ": unreadable config file kept as: " + kept);
  return true;
}

// Before a save: copies the file about to be replaced when it does not parse.
bool keepUnreadableConfig(const std::string& path, const std::string& operation) {
  nlohmann::json ignored;
  std::string error;
  bool opened = false;
  if (!pathExists(path) || parseFile(path, ignored, error, opened) || !opened) {
    return true;
  }
  return copyUnreadableConfig(path, operation);
}

void loadConfigUnguarded(AIConfig& ai, int& player2Scheme, AccessibilityConfig& accessibility,
                         SystemConfig* system, AudioConfig* audio) {
  std::string path = ConfigManager::getConfigFilePath();
  if (path.empty()) {
    return;
  }
  if (!pathExists(path)) {
    const std::string legacy = legacyConfigPath();
    if (!legacy.empty() && pathExists(legacy)) {
      logInfo("ConfigManager::loadConfig using legacy fallback: " + legacy);
      path = legacy;
    }
  }
  if (!pathExists(path)) {
    logInfo("Config file not found, using defaults: " + path);
    return;
  }

  nlohmann::json document;
  std::string error;
  bool opened = false;
  if (!parseFile(path, document, error, opened)) {
    if (!opened) {
      logError("ConfigManager::loadConfig: Failed to open config file: " + path);
      return;
    }
    logError("ConfigManager::loadConfig: JSON parse error: " + error);
    // Kept now: the defaults in use may be saved over the per-user file at the next change.
    // An unreadable older file beside the program is never saved over, yet it is kept the
    // same way. The user is told when the copy exists and nothing better than the defaults
    // was found.
    const bool kept = copyUnreadableConfig(path, "ConfigManager::loadConfig");
    // The per-user file is damaged: an older copy beside the program is better than
    // nothing. In portable mode both are the same file.
    const std::string legacy = legacyConfigPath();
    if (legacy.empty() || ConfigManager::pathCompareKey(legacy) == ConfigManager::pathCompareKey(path) ||
        !pathExists(legacy)) {
      state().unreadableFileNoticeOwed = kept;
      return;
    }
    std::string legacyError;
    if (!parseFile(legacy, document, legacyError, opened)) {
      if (opened) {
        logError("ConfigManager::loadConfig: legacy config is not valid JSON either: " + legacyError);
      }
      state().unreadableFileNoticeOwed = kept;
      return;
    }
    logWarning("ConfigManager::loadConfig fallback to legacy config due to parse error");
    path = legacy;
  }

  // Work on copies so the holder's pieces change all together or not at all.
  AIConfig newAi = ai;
  int newScheme = player2Scheme;
  AccessibilityConfig newAccessibility = accessibility;
  std::optional<SystemConfig> newSystem;
  std::optional<AudioConfig> newAudio;
  if (system != nullptr) newSystem = *system;
  if (audio != nullptr) newAudio = *audio;
  ConfigJson::applyDocument(document, newAi, newScheme, newAccessibility, newSystem ? &*newSystem : nullptr,
                            newAudio ? &*newAudio : nullptr);
  ai = std::move(newAi);
  player2Scheme = newScheme;
  accessibility = newAccessibility;
  if (system != nullptr) *system = *newSystem;
  if (audio != nullptr) *audio = std::move(*newAudio);

  logLoadSummary(path, ai, accessibility);
}

bool saveConfigUnguarded(const AIConfig& ai, int player2Scheme, const AccessibilityConfig& accessibility,
                         const SystemConfig* system, const AudioConfig* audio) {
  // Writing without these sections would erase the user's stored values for them.
  if (system == nullptr || audio == nullptr) {
    logError("ConfigManager::saveConfig: System and Audio settings are required, nothing written");
    return false;
  }
  const std::string path = ConfigManager::getConfigFilePath();
  if (path.empty()) {
    logError("ConfigManager::saveConfig: No config path set");
    return false;
  }
  std::string failure;
  if (!createFolder(state().cachedConfigDirectory, failure)) {
    logError("ConfigManager::saveConfig: Failed to create config dir: " + failure);
    return false;
  }
  if (!keepUnreadableConfig(path, "ConfigManager::saveConfig")) {
    logError("ConfigManager::saveConfig: the unreadable config file stays, nothing written");
    return false;
  }
  const std::string text =
      ConfigJson::toFileText(ConfigJson::buildDocument(ai, player2Scheme, accessibility, *system, *audio));
  switch (AtomicFileWriter::write(path, text, failure)) {
    case AtomicFileWriter::Outcome::Written:
      logInfo("Config saved to: " + path);
      return true;
    case AtomicFileWriter::Outcome::OpenFailed:
      logError("ConfigManager::saveConfig: Failed to open config file: " + path + " (" + failure + ")");
      return false;
    case AtomicFileWriter::Outcome::WriteFailed:
      logError("ConfigManager::saveConfig: Failed to write config file: " + path + " (" + failure + ")");
      return false;
    case AtomicFileWriter::Outcome::ReplaceFailed:
      logError("ConfigManager::saveConfig: Failed to replace config file: " + path + " (" + failure + ")");
      return false;
  }
  return false;
}

}  // namespace

void ConfigManager::setPortableMode(bool on) {
  ProcessState& s = state();
  s.portableMode = on;
  s.portableModeDecided = true;
  s.cachedConfigDirectory.clear();
  s.migrationAttempted = false;
  logInfo(std::string("ConfigManager::setPortableMode: ") + (on ? "ON" : "OFF"));
}

bool ConfigManager::detectPortableMode() {
  const std::string programFolder = getExecutableDirectory();
  if (programFolder.empty()) {
    return false;
  }
  // A file or a folder of that name both count.
  if (GetFileAttributesW(utf8ToWide(joinPath(programFolder, "portable.flag")).c_str()) != INVALID_FILE_ATTRIBUTES) {
    logInfo("[ConfigManager] Portable mode enabled by portable.flag");
    return true;
  }
  logInfo("[ConfigManager] Portable mode disabled: portable.flag not found");
  return false;
}

std::string ConfigManager::getAppDirectory() { return getExecutableDirectory(); }

std::string ConfigManager::getExecutableDirectory() {
  if (state().overrides.programFolder) {
    return *state().overrides.programFolder;
  }
  const std::string program = wideToUtf8(PlatformBase::programPath());
  const size_t separator = program.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : program.substr(0, separator);
}

std::string ConfigManager::getDataFolder() {
  if (state().overrides.userDataFolder) {
    return *state().overrides.userDataFolder;
  }
  std::wstring base = PlatformBase::localAppDataFolder();
  if (base.empty()) {
    base = PlatformBase::localAppDataFolderLegacy();
  }
  return base.empty() ? std::string() : wideToUtf8(base) + "\\Tavrune";
}

std::string ConfigManager::getDataDirectory() {
  decideMode();
  const std::string programFolder = getExecutableDirectory();
  if (state().portableMode && !programFolder.empty()) {
    return programFolder;
  }
  if (std::string userFolder = getDataFolder(); !userFolder.empty()) {
    return userFolder;
  }
  return programFolder;
}

std::string ConfigManager::getConfigFilePath() {
  ProcessState& s = state();
  if (s.cachedConfigDirectory.empty()) {
    if (const std::string data = getDataDirectory(); !data.empty()) {
      s.cachedConfigDirectory = joinPath(data, "config");
    }
  }
  decideMode();
  if (!s.portableMode && !s.migrationAttempted) {
    migrateLegacyData(getDataDirectory(), getExecutableDirectory());
    s.migrationAttempted = true;
  }
  return s.cachedConfigDirectory.empty() ? std::string() : s.cachedConfigDirectory + "/config.json";
}

std::string ConfigManager::getTempDirectory() {
  ProcessState& s = state();
  if (s.cachedConfigDirectory.empty()) {
    getConfigFilePath();
  }
  std::string failure;
  if (const std::string data = getDataDirectory(); !data.empty()) {
    const std::string folder = joinPath(data, ".tmp");
    if (createFolder(folder, failure)) {
      logInfo("[ConfigManager] Using temp directory: " + folder);
      return folder;
    }
    logError("[ConfigManager] getTempDirectory: Failed to create data root .tmp: " + failure);
  }
  const std::string parent =
      s.cachedConfigDirectory.empty() ? std::string() : fromFsPath(toFsPath(s.cachedConfigDirectory).parent_path());
  if (parent.empty()) {
    return systemTempFallback();
  }
  const std::string folder = parent + "/.tmp";
  if (createFolder(folder, failure)) {
    logInfo("[ConfigManager] Using temp directory: " + folder);
    return folder;
  }
  logError("[ConfigManager] getTempDirectory: Failed to create .tmp directory: " + failure);
  return systemTempFallback();
}

bool ConfigManager::cleanupTempDirectory() {
  try {
    const std::string folder = getTempDirectory();
    // The shared system temporary folder is never emptied.
    if (folder.find("tavrune_update") != std::string::npos && folder.find(".tmp") == std::string::npos) {
      logInfo("[ConfigManager] Using system temp directory, skipping cleanup");
      return true;
    }
    if (!pathExists(folder)) {
      logInfo("[ConfigManager] Temp directory does not exist, no cleanup needed");
      return true;
    }
    logInfo("[ConfigManager] Cleaning up temp directory: " + folder);
    const std::wstring wide = utf8ToWide(folder);
    if (wide.empty()) {
      logError("[ConfigManager] Failed to convert path to wide char");
      return false;
    }
    // The shell wants a list of paths ended by an empty one: two NULs at the end.
    std::vector<wchar_t> from(wide.begin(), wide.end());
    std::replace(from.begin(), from.end(), L'/', L'\\');  // the shell takes backslashes only
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.data();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_NOCONFIRMMKDIR;
    const int result = SHFileOperationW(&operation);
    if (result != 0) {
      logWarning("[ConfigManager] Failed to cleanup temp directory, error: " + std::to_string(result));
    } else {
      logInfo("[ConfigManager] Temp directory cleaned successfully");
    }
    std::string failure;
    if (!createFolder(folder, failure)) {
      logError("ConfigManager: 创建临时目录失败: " + failure);
    }
    return true;
  } catch (const std::exception& e) {
    logError(std::string("[ConfigManager] cleanupTempDirectory: ") + e.what());
    return false;
  }
}

void ConfigManager::loadConfig(AIConfig& ai, int& player2Scheme, AccessibilityConfig& accessibility,
                               SystemConfig* system, AudioConfig* audio) {
  try {
    loadConfigUnguarded(ai, player2Scheme, accessibility, system, audio);
  } catch (const std::exception& e) {
    logError(std::string("[ConfigManager] loadConfig: ") + e.what());
  } catch (...) {
    logError("[ConfigManager] loadConfig: unknown exception");
  }
}

bool ConfigManager::saveConfig(const AIConfig& ai, int player2Scheme, const AccessibilityConfig& accessibility,
                               const SystemConfig* system, const AudioConfig* audio) {
  try {
    // Every writer goes through here: an engine inside the program folder is stored
    // relative to it, so a moved portable folder keeps its engine.
    AIConfig stored = ai;
    stored.enginePath = storedEnginePath(ai.enginePath, getExecutableDirectory());
    return saveConfigUnguarded(stored, player2Scheme, accessibility, system, audio);
  } catch (const std::exception& e) {
    logError(std::string("[ConfigManager] saveConfig: ") + e.what());
  } catch (...) {
    logError("[ConfigManager] saveConfig: unknown exception");
  }
  return false;
}

void ConfigManager::migrateLegacyData(const std::string& dataFolder, const std::string& programFolder) {
  try {
    LegacyDataMigration::run(dataFolder, programFolder);
  } catch (const std::exception& e) {
    logError(std::string("[ConfigManager] migrateLegacyData: ") + e.what());
  }
}

std::string ConfigManager::pathCompareKey(const std::string& path) {
  if (path.empty()) {
    return {};
  }
  std::string key = fromFsPath(toFsPath(path).lexically_normal());
  for (char& c : key) {
    if (c == '/') {
      c = '\\';
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return key;
}

std::string ConfigManager::getProductVersion() {
  if (const std::wstring version = PlatformBase::productVersion(); !version.empty()) {
    return wideToUtf8(version);
  }
  const std::wstring program = PlatformBase::programPath();
  DWORD handle = 0;
  const DWORD size = program.empty() ? 0 : GetFileVersionInfoSizeW(program.c_str(), &handle);
  if (size > 0) {
    std::vector<unsigned char> block(size);
    void* value = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoW(program.c_str(), 0, size, block.data()) &&
        VerQueryValueW(block.data(), L"\\", &value, &length) && value != nullptr &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
      const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
      return std::to_string(HIWORD(info->dwProductVersionMS)) + "." +
             std::to_string(LOWORD(info->dwProductVersionMS)) + "." +
             std::to_string(HIWORD(info->dwProductVersionLS)) + "." +
             std::to_string(LOWORD(info->dwProductVersionLS));
    }
  }
  return "unknown";
}

bool ConfigManager::takeUnreadableFileNotice() { return std::exchange(state().unreadableFileNoticeOwed, false); }

void ConfigManager::resetForTesting(const FolderOverrides& overrides) {
  state() = ProcessState{};
  state().overrides = overrides;
}

}  // namespace Tavrune
