// Loading and saving "config.json" through real files: the legacy fallbacks, the bytes on
// disk, and saves that fail for real reasons without losing the previous file.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "core/ConfigJson.h"
#include "core/ConfigLogCapture.h"
#include "core/ConfigManager.h"
#include "core/ConfigTestFolder.h"
#include "core/ConfigTestRecord.h"
#include "core/TextConversion.h"

namespace Tavrune {
namespace {

using Tavrune::Test::ConfigTestFolder;

using Record = Tavrune::Test::ConfigTestRecord;

class ConfigManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigTestFolder::makeFolder(program);
    ConfigManager::resetForTesting({program, userData});
    path = ConfigManager::getConfigFilePath();  // runs the (empty) migration first
    log.clear();
  }
  void TearDown() override { ConfigManager::resetForTesting(); }

  static Record load(Record record = {}) {
    ConfigManager::loadConfig(record.ai, record.scheme, record.accessibility, &record.system, &record.audio);
    return record;
  }
  static bool save(const Record& r) {
    return ConfigManager::saveConfig(r.ai, r.scheme, r.accessibility, &r.system, &r.audio);
  }
  static Record sample() {
    Record r;
    r.ai.enginePath = "D:\\象棋\\pikafish.exe";
    r.ai.timeLimit = 7000;
    r.ai.difficultyTier = 4;
    r.scheme = 1;
    r.accessibility.windowsNumpadInputTimeoutMs = 1500;
    r.system.loggerEnabled = true;
    r.audio.masterVolume = 0.7f;
    r.audio.soundPackPath = "sounds/水墨";
    return r;
  }

  // Files a save left in the configuration folder beside "config.json".
  size_t leftoverFiles() const {
    size_t count = 0;
    std::error_code noFolder;
    for (const auto& entry : std::filesystem::directory_iterator(utf8ToWide(userData + "\\config"), noFolder)) {
      count += entry.is_regular_file() && entry.path().extension() == L".tmp";
    }
    return count;
  }

  ConfigTestFolder root;
  std::string program = root.at("program");
  std::string userData = root.at("user\\Tavrune");
  std::string configFile = userData + "\\config\\config.json";
  std::string legacyFile = program + "\\config\\config.json";
  std::string path;
  Tavrune::Test::ConfigLogCapture log{root.at("logs")};
};

TEST_F(ConfigManagerTest, SaveWritesTheExactTextAndLoadReadsItBack) {
  EXPECT_EQ(path, userData + "\\config/config.json");
  const Record r = sample();
  ASSERT_TRUE(save(r));
  EXPECT_TRUE(log.contains("[INFO] Config saved to: " + path));
  const auto bytes = ConfigTestFolder::readFile(configFile);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, ConfigJson::toFileText(
                        ConfigJson::buildDocument(r.ai, r.scheme, r.accessibility, r.system, r.audio)));
  EXPECT_EQ(bytes->front(), '{');  // no byte-order mark
  EXPECT_EQ(bytes->back(), '}');   // no final line break
  EXPECT_EQ(leftoverFiles(), 0u);

  log.clear();
  EXPECT_EQ(load(), r);
  EXPECT_TRUE(log.contains("[INFO] Config loaded from: " + path));
  EXPECT_TRUE(log.contains("[INFO] AI DifficultyTier: 4"));
  EXPECT_TRUE(log.contains("[INFO] Engine Path: D:\\象棋\\pikafish.exe"));
  EXPECT_TRUE(log.contains("[INFO] Windows Numpad Timeout: 1500"));
}

TEST_F(ConfigManagerTest, MissingFilesLeaveThePiecesUntouched) {
  const Record holder = sample();
  EXPECT_EQ(load(holder), holder);
  EXPECT_TRUE(log.contains("[INFO] Config file not found, using defaults: " + path));
}

TEST_F(ConfigManagerTest, MissingFileFallsBackToTheLegacyFile) {
  ConfigTestFolder::makeFolder(program + "\\config");
  ConfigTestFolder::writeFile(legacyFile, R"({"AI":{"TimeLimit":4444}})");
  EXPECT_EQ(load().ai.timeLimit, 4444);
  EXPECT_TRUE(log.contains("[INFO] ConfigManager::loadConfig using legacy fallback: " + legacyFile));
  EXPECT_TRUE(log.contains("[INFO] Config loaded from: " + legacyFile));
}

TEST_F(ConfigManagerTest, ParseFailureRecoversFromTheLegacyFileOnlyWhenItParses) {
  ConfigTestFolder::makeFolder(program + "\\config");
  ConfigTestFolder::writeFile(configFile, "{\"AI\": {\"TimeLimit\": 5");
  ConfigTestFolder::writeFile(legacyFile, R"({"AI":{"TimeLimit":4444}})");
  EXPECT_EQ(load().ai.timeLimit, 4444);
  EXPECT_TRUE(log.contains("[ERROR] ConfigManager::loadConfig: JSON parse error: "));
  EXPECT_TRUE(log.contains("[WARNING] ConfigManager::loadConfig fallback to legacy config due to parse error"));
  EXPECT_TRUE(log.contains("[INFO] Config loaded from: " + legacyFile));

  // A broken legacy file too: nothing changes and nothing throws.
  ConfigTestFolder::writeFile(legacyFile, "not json");
  log.clear();
  const Record holder = sample();
  EXPECT_EQ(load(holder), holder);
  EXPECT_FALSE(log.contains("Config loaded from"));
  // The damaged file itself is left for the user to inspect.
  EXPECT_EQ(ConfigTestFolder::readFile(configFile), "{\"AI\": {\"TimeLimit\": 5");
}

TEST_F(ConfigManagerTest, PortableParseFailureDoesNotReadTheSameFileTwice) {
  ConfigManager::setPortableMode(true);
  ConfigTestFolder::makeFolder(program + "\\config");
  ConfigTestFolder::writeFile(legacyFile, "{broken");
  const Record holder = sample();
  EXPECT_EQ(load(holder), holder);
  EXPECT_TRUE(log.contains("JSON parse error"));
  EXPECT_FALSE(log.contains("fallback to legacy config"));
}

TEST_F(ConfigManagerTest, FileWrittenByAnotherToolLoads) {
  ConfigTestFolder::makeFolder(userData + "\\config");
  // Python's json.dump with a byte-order mark, CR LF line ends and text after the object.
  ConfigTestFolder::writeFile(configFile,
                              "\xEF\xBB\xBF{\r\n    \"Audio\": {\"MasterVolume\": 0.5, \"SoundPackPath\": "
                              "\"sounds/\\u6c34\\u58a8\"},\r\n    \"AI\": {\"TimeLimit\": 2500, \"Depth\": 8, "
                              "\"Future\": {\"x\": [1, 2.5e-3]}}\r\n}\r\ntrailing notes\x1A");
  const Record r = load();
  EXPECT_EQ(r.ai.timeLimit, 2500);
  EXPECT_EQ(r.ai.searchLimitMode, 1);
  EXPECT_EQ(r.audio.masterVolume, 0.5f);
  EXPECT_EQ(r.audio.soundPackPath, "sounds/水墨");
}

TEST_F(ConfigManagerTest, AnUnreadableFileIsKeptBesideItBeforeASaveReplacesIt) {
  ConfigTestFolder::makeFolder(userData + "\\config");
  const std::string kept = configFile + ".unreadable";
  // One value out of range, one byte that is not UTF-8: either spoils the whole file.
  for (const std::string bad : {R"({"AI":{"TimeLimit":4444,"Depth":1e400}})", "{\"AI\":{\"EnginePath\":\"\xC0\"}}"}) {
    ConfigTestFolder::writeFile(configFile, bad);
    EXPECT_EQ(load(), Record{}) << bad;
    log.clear();
    ASSERT_TRUE(save(sample())) << bad;
    EXPECT_EQ(ConfigTestFolder::readFile(kept), bad);
    EXPECT_TRUE(log.contains("[WARNING] ConfigManager::saveConfig: unreadable config file kept as: " + path +
                             ".unreadable"));
    // Saving over a file that reads keeps nothing more.
    ASSERT_TRUE(save(sample()));
    EXPECT_EQ(ConfigTestFolder::readFile(kept), bad);
    EXPECT_EQ(load(), sample());
  }
}

TEST_F(ConfigManagerTest, LeftoversNamedLikeATemporaryFileBlockNoSave) {
  ConfigTestFolder::makeFolder(configFile + ".tmp");
  ASSERT_TRUE(save(sample()));
  EXPECT_EQ(load(), sample());
  EXPECT_EQ(leftoverFiles(), 0u);
}

TEST_F(ConfigManagerTest, BothOptionalPiecesAreRequiredToSave) {
  ASSERT_TRUE(save(sample()));
  const auto before = ConfigTestFolder::readFile(configFile);
  const Record r;
  EXPECT_FALSE(ConfigManager::saveConfig(r.ai, r.scheme, r.accessibility, nullptr, &r.audio));
  EXPECT_FALSE(ConfigManager::saveConfig(r.ai, r.scheme, r.accessibility, &r.system, nullptr));
  EXPECT_EQ(ConfigTestFolder::readFile(configFile), before);

  // Loading with null pieces leaves the caller's other pieces alone.
  AIConfig ai;
  int scheme = 0;
  AccessibilityConfig accessibility;
  ConfigManager::loadConfig(ai, scheme, accessibility, nullptr, nullptr);
  EXPECT_EQ(ai.timeLimit, 7000);
}

TEST_F(ConfigManagerTest, NoPathMeansNothingIsWritten) {
  ConfigManager::resetForTesting({std::string(), std::string()});
  EXPECT_FALSE(save(sample()));
  EXPECT_TRUE(log.contains("[ERROR] ConfigManager::saveConfig: No config path set"));
  const Record holder = sample();
  EXPECT_EQ(load(holder), holder);
}

TEST_F(ConfigManagerTest, SaveCreatesAMissingConfigFolder) {
  ASSERT_FALSE(ConfigTestFolder::exists(userData + "\\config\\config.json"));
  RemoveDirectoryW(utf8ToWide(userData + "\\config").c_str());
  ASSERT_FALSE(ConfigTestFolder::exists(userData + "\\config"));
  EXPECT_TRUE(save(sample()));
  EXPECT_EQ(load(), sample());
}

// Each failure keeps the previous file whole and is reported, never logged as saved.
class ConfigSaveFailureTest : public ConfigManagerTest {
 protected:
  void expectFailedSave(const std::string& logged) {
    Record changed = sample();
    changed.ai.timeLimit = 9999;
    log.clear();
    EXPECT_FALSE(save(changed));
    EXPECT_TRUE(log.contains(logged)) << logged;
    EXPECT_FALSE(log.contains("Config saved to"));
    EXPECT_EQ(leftoverFiles(), 0u);
  }
};

TEST_F(ConfigSaveFailureTest, TargetHeldOpenWithoutSharing) {
  ASSERT_TRUE(save(sample()));
  const auto before = ConfigTestFolder::readFile(configFile);
  HANDLE held = CreateFileW(utf8ToWide(configFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  expectFailedSave("[ERROR] ConfigManager::saveConfig: Failed to replace config file: " + path);
  CloseHandle(held);
  EXPECT_EQ(ConfigTestFolder::readFile(configFile), before);
  EXPECT_EQ(load(), sample());
}

TEST_F(ConfigSaveFailureTest, FolderWhereTheFileShouldBe) {
  ConfigTestFolder::makeFolder(configFile + "\\inside");
  expectFailedSave("[ERROR] ConfigManager::saveConfig: Failed to replace config file: " + path);
  EXPECT_TRUE(ConfigTestFolder::isFolder(configFile + "\\inside"));
  log.clear();
  const Record holder = sample();
  EXPECT_EQ(load(holder), holder);
  EXPECT_TRUE(log.contains("[ERROR] ConfigManager::loadConfig: Failed to open config file: " + path));
}

TEST_F(ConfigSaveFailureTest, FileWhereTheConfigFolderShouldBe) {
  RemoveDirectoryW(utf8ToWide(userData + "\\config").c_str());
  ConfigTestFolder::writeFile(userData + "\\config", "not a folder");
  expectFailedSave("[ERROR] ConfigManager::saveConfig: Failed to create config dir: ");
  EXPECT_EQ(ConfigTestFolder::readFile(userData + "\\config"), "not a folder");
}

// Read-only attributes may or may not stop a write (as root under Wine they do not); either
// way the reported outcome must match what is on disk.
TEST_F(ConfigSaveFailureTest, ReadOnlyFileOrFolderReportsWhatHappened) {
  ASSERT_TRUE(save(sample()));
  const auto before = ConfigTestFolder::readFile(configFile);
  const std::wstring file = utf8ToWide(configFile);
  const std::wstring folder = utf8ToWide(userData + "\\config");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);

  Record changed = sample();
  changed.ai.timeLimit = 9999;
  log.clear();
  const bool saved = save(changed);
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);

  std::printf("read-only config file and folder: save %s\n", saved ? "succeeded" : "was refused");
  EXPECT_EQ(log.contains("Config saved to: " + path), saved);
  EXPECT_EQ(load().ai.timeLimit, saved ? 9999 : 7000);
  if (!saved) {
    EXPECT_EQ(ConfigTestFolder::readFile(configFile), before);
  }
}

TEST_F(ConfigManagerTest, InvalidUtf8IsSavedWithReplacementCharacters) {
  Record r = sample();
  r.ai.enginePath = "engine\xC0\xAF.exe";
  ASSERT_TRUE(save(r));
  EXPECT_EQ(load().ai.enginePath, "engine\xEF\xBF\xBD\xEF\xBF\xBD.exe");
}

}  // namespace
}  // namespace Tavrune
