// Data folder, portable mode and the update temporary folder, with the program folder and
// the per-user folder pointed at temporary folders. Windows paths, so under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "core/ConfigLogCapture.h"
#include "core/ConfigManager.h"
#include "core/ConfigTestFolder.h"
#include "core/TextConversion.h"

namespace Tavrune {
namespace {

using Tavrune::Test::ConfigTestFolder;

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigTestFolder::makeFolder(program);
    ConfigManager::resetForTesting({program, userData});
  }
  void TearDown() override { ConfigManager::resetForTesting(); }

  ConfigTestFolder root;
  std::string program = root.at("program");
  std::string userData = root.at("user\\Tavrune");
  Tavrune::Test::ConfigLogCapture log{root.at("logs")};
};

TEST_F(DataFolderTest, ModeComesFromTheCommandLineOrTheFlag) {
  enum class Flag { None, File, Folder };
  struct Case {
    std::optional<bool> commandLine;  // --portable / --installed / neither
    Flag flag;
    bool portable;
  };
  const Case cases[] = {
      {std::nullopt, Flag::None, false}, {std::nullopt, Flag::File, true}, {std::nullopt, Flag::Folder, true},
      {true, Flag::None, true},          {false, Flag::File, false},       {false, Flag::Folder, false},
  };
  for (const Case& c : cases) {
    ConfigTestFolder caseRoot;
    const std::string p = caseRoot.at("program");
    const std::string u = caseRoot.at("user\\Tavrune");
    ConfigTestFolder::makeFolder(p);
    if (c.flag == Flag::File) ConfigTestFolder::writeFile(p + "\\portable.flag", "");
    if (c.flag == Flag::Folder) ConfigTestFolder::makeFolder(p + "\\portable.flag");
    ConfigManager::resetForTesting({p, u});
    if (c.commandLine) ConfigManager::setPortableMode(*c.commandLine);

    const std::string data = c.portable ? p : u;
    const std::string label = std::to_string(static_cast<int>(c.flag)) + "/" +
                              (c.commandLine ? std::to_string(*c.commandLine) : "none");
    EXPECT_EQ(ConfigManager::getDataDirectory(), data) << label;
    EXPECT_EQ(ConfigManager::getConfigFilePath(), data + "\\config/config.json") << label;
    // The migration runs in installed mode only, and records into the data folder.
    EXPECT_EQ(ConfigTestFolder::isFile(u + "\\migration_state.json"), !c.portable) << label;
    EXPECT_FALSE(ConfigTestFolder::exists(p + "\\migration_state.json")) << label;
  }
}

TEST_F(DataFolderTest, DetectionLogsItsDecision) {
  EXPECT_FALSE(ConfigManager::detectPortableMode());
  EXPECT_TRUE(log.contains("[INFO] [ConfigManager] Portable mode disabled: portable.flag not found"));
  ConfigTestFolder::writeFile(program + "\\portable.flag", "");
  EXPECT_TRUE(ConfigManager::detectPortableMode());
  EXPECT_TRUE(log.contains("[INFO] [ConfigManager] Portable mode enabled by portable.flag"));

  ConfigManager::resetForTesting({std::string(), userData});
  EXPECT_FALSE(ConfigManager::detectPortableMode());
}

TEST_F(DataFolderTest, SwitchingTheModeRecomputesTheConfigPath) {
  EXPECT_EQ(ConfigManager::getConfigFilePath(), userData + "\\config/config.json");
  ConfigManager::setPortableMode(true);
  EXPECT_TRUE(log.contains("ConfigManager::setPortableMode: ON"));
  EXPECT_EQ(ConfigManager::getConfigFilePath(), program + "\\config/config.json");
  ConfigManager::setPortableMode(false);
  EXPECT_EQ(ConfigManager::getConfigFilePath(), userData + "\\config/config.json");
}

TEST_F(DataFolderTest, FallsBackToTheProgramFolderWithoutAUserFolder) {
  ConfigManager::resetForTesting({program, std::string()});
  EXPECT_EQ(ConfigManager::getDataDirectory(), program);
  ConfigManager::resetForTesting({std::string(), std::string()});
  EXPECT_EQ(ConfigManager::getDataDirectory(), "");
  EXPECT_EQ(ConfigManager::getConfigFilePath(), "");
}

TEST_F(DataFolderTest, RealFoldersComeFromThePlatform) {
  ConfigManager::resetForTesting();
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::string exe = wideToUtf8(module);
  EXPECT_EQ(ConfigManager::getExecutableDirectory(), exe.substr(0, exe.find_last_of('\\')));
  EXPECT_EQ(ConfigManager::getAppDirectory(), ConfigManager::getExecutableDirectory());
  const std::string dataFolder = ConfigManager::getDataFolder();
  EXPECT_GT(dataFolder.size(), 8u);
  EXPECT_EQ(dataFolder.substr(dataFolder.size() - 8), "\\Tavrune");
}

TEST_F(DataFolderTest, TempFolderIsCreatedInTheDataFolderAndEmptied) {
  const std::string temp = ConfigManager::getTempDirectory();
  EXPECT_EQ(temp, userData + "\\.tmp");
  EXPECT_TRUE(ConfigTestFolder::isFolder(temp));
  EXPECT_TRUE(log.contains("[INFO] [ConfigManager] Using temp directory: " + temp));

  ConfigTestFolder::makeFolder(temp + "\\update\\nested");
  ConfigTestFolder::writeFile(temp + "\\update\\nested\\setup.exe", "MZ");
  ConfigTestFolder::writeFile(temp + "\\left.txt", "x");
  log.clear();
  EXPECT_TRUE(ConfigManager::cleanupTempDirectory());
  EXPECT_TRUE(log.contains("[INFO] [ConfigManager] Cleaning up temp directory: " + temp));
  EXPECT_TRUE(log.contains("[INFO] [ConfigManager] Temp directory cleaned successfully"));
  EXPECT_TRUE(ConfigTestFolder::isFolder(temp));
  EXPECT_FALSE(ConfigTestFolder::exists(temp + "\\left.txt"));
  EXPECT_FALSE(ConfigTestFolder::exists(temp + "\\update"));
}

TEST_F(DataFolderTest, BlockedTempFolderFallsBackToTheSystemTempFolder) {
  ConfigManager::setPortableMode(true);
  ConfigTestFolder::writeFile(program + "\\.tmp", "a file where the folder should be");

  const std::string temp = ConfigManager::getTempDirectory();
  wchar_t system[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, system);
  EXPECT_EQ(temp, wideToUtf8(system) + "tavrune_update");
  EXPECT_TRUE(log.contains("[ERROR] [ConfigManager] getTempDirectory: Failed to create data root .tmp: "));
  EXPECT_TRUE(log.contains("[ERROR] [ConfigManager] getTempDirectory: Failed to create .tmp directory: "));

  log.clear();
  EXPECT_TRUE(ConfigManager::cleanupTempDirectory());
  EXPECT_TRUE(log.contains("[INFO] [ConfigManager] Using system temp directory, skipping cleanup"));
  EXPECT_FALSE(log.contains("Cleaning up temp directory"));
  EXPECT_EQ(ConfigTestFolder::readFile(program + "\\.tmp"), "a file where the folder should be");
}

TEST_F(DataFolderTest, ChineseProgramFolderGivesUtf8Paths) {
  const std::string chinese = root.at("象棋 程序");
  ConfigTestFolder::makeFolder(chinese);
  ConfigManager::resetForTesting({chinese, userData});
  ConfigManager::setPortableMode(true);

  EXPECT_EQ(ConfigManager::getConfigFilePath(), chinese + "\\config/config.json");
  EXPECT_EQ(ConfigManager::getTempDirectory(), chinese + "\\.tmp");
  EXPECT_TRUE(ConfigTestFolder::isFolder(chinese + "\\.tmp"));

  AIConfig ai;
  ai.timeLimit = 4321;
  const SystemConfig system;
  const AudioConfig audio;
  ASSERT_TRUE(ConfigManager::saveConfig(ai, 0, AccessibilityConfig{}, &system, &audio));
  EXPECT_TRUE(ConfigTestFolder::isFile(chinese + "\\config\\config.json"));
  AIConfig loaded;
  int scheme = 0;
  AccessibilityConfig accessibility;
  ConfigManager::loadConfig(loaded, scheme, accessibility, nullptr, nullptr);
  EXPECT_EQ(loaded.timeLimit, 4321);
}

// A program folder whose UTF-8 form is far longer than MAX_PATH bytes (though its UTF-16
// form fits, as Wine starts nothing deeper) is read whole. The probe prints
// getExecutableDirectory().
TEST_F(DataFolderTest, ProgramFolderWithLongUtf8Form) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring probe = module;
  probe = probe.substr(0, probe.find_last_of(L'\\')) + L"\\core_config_path_probe.exe";

  std::string deep = root.path();
  const std::string level = "\\深层文件夹深层文件夹";
  while (utf8ToWide(deep + level).size() + 10 < MAX_PATH) deep += level;
  ASSERT_GT(deep.size(), 2u * MAX_PATH);
  ConfigTestFolder::makeFolder(deep);
  const std::wstring copy = utf8ToWide(deep) + L"\\probe.exe";
  ASSERT_TRUE(CopyFileW(probe.c_str(), copy.c_str(), TRUE)) << GetLastError();

  const std::string output = root.at("probe-output.txt");
  std::wstring commandLine = L"\"" + copy + L"\" \"" + utf8ToWide(output) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    FAIL() << "cannot start the probe: error " << GetLastError();
  }
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(ConfigTestFolder::readFile(output), deep);
}

}  // namespace
}  // namespace Tavrune
