// Settings sessions over the real "config.json" and the running window: what a commit
// stores, what it changes in the program, and what a file that cannot be written leaves.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/CapturedLog.h"
#include "app/MenuCommand.h"
#include "app/WindowTestRig.h"
#include "core/ConfigManager.h"
#include "engine/CpuFeatures.h"
#include "settings/ConfigKeyTable.h"
#include "settings/ConfigManagerDataSource.h"

namespace Tavrune {
namespace {

using Settings::SettingValue;
using Settings::ValueMap;
using Test::ScratchFolder;
using Test::WindowTestRig;

std::unique_ptr<Settings::IDataSource> fileStore() {
  return Settings::makeConfigManagerDataSource(&ConfigManager::loadConfig, &ConfigManager::saveConfig,
                                               ConfigManager::getConfigFilePath());
}

std::string fileBytes(const std::string& utf8Path) {
  std::ifstream in(ScratchFolder::fromUtf8(utf8Path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class ConfigFileStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigManager::resetForTesting({folder.utf8(), folder.utf8("per-user")});
    ConfigManager::setPortableMode(true);
  }
  void TearDown() override { ConfigManager::resetForTesting(); }
  ScratchFolder folder{"settings-存储"};
};

TEST_F(ConfigFileStore, EveryStoredKeyRoundTripsAndAWrongKindLeavesTheFileAlone) {
  // A value unlike the default for every stored key, within what the file's reader accepts.
  ValueMap written = Settings::ConfigKeyTable::readAllValues({});
  for (auto& [key, value] : written) {
    if (bool* b = std::get_if<bool>(&value)) *b = !*b;
    if (int64_t* i = std::get_if<int64_t>(&value)) *i += 1;
    if (std::string* s = std::get_if<std::string>(&value)) *s += "-改";
  }
  const std::pair<const char*, int64_t> specials[] = {
      {"audio.masterVolumePercent", 45}, {"audio.gameSfxVolumePercent", 5}, {"audio.backgroundVolumePercent", 70},
      {"ai.timeLimitProfile", -1},       {"ai.timeLimit", 4000},           {"ai.depthProfile", -1},
      {"ai.depth", 7},                   {"ai.mateThreatDepth", 5},        {"ai.customElo", 2000}};
  for (const auto& [key, value] : specials) written[key] = value;

  ASSERT_TRUE(fileStore()->apply(written, nullptr));
  ValueMap read;
  ASSERT_TRUE(fileStore()->load(read, nullptr));
  for (const auto& [key, value] : written) {
    EXPECT_TRUE(Settings::Provider::valuesEqual(read.at(key), value)) << key << " read "
                                                                       << Settings::valueToString(read.at(key));
  }

  const std::string before = fileBytes(ConfigManager::getConfigFilePath());
  std::string error;
  EXPECT_FALSE(fileStore()->apply({{"ai.threads", 2.0}}, &error));
  EXPECT_EQ(error, "ai.threads requires integer");
  EXPECT_EQ(fileBytes(ConfigManager::getConfigFilePath()), before);
}

TEST_F(ConfigFileStore, AnEngineTypedInsideTheProgramFolderIsStoredRelativeToIt) {
  ASSERT_TRUE(fileStore()->apply({{"ai.enginePath", folder.utf8() + "/Engines\\棋.exe"}}, nullptr));
  ValueMap read;
  ASSERT_TRUE(fileStore()->load(read, nullptr));
  EXPECT_EQ(read.at("ai.enginePath"), SettingValue(std::string("Engines\\棋.exe")));
}

TEST(SettingsWindowSession, ACommitReachesTheWindowAndItsOwnSaveKeepsIt) {
  WindowTestRig rig(Tavrune::Test::SavedSettings{});
  ASSERT_TRUE(rig.create());
  SettingsSession session = rig.window().openSettingsSession();
  ASSERT_TRUE(session.provider);
  Settings::Provider& provider = *session.provider;

  std::vector<std::string> rows;
  for (const Settings::ControlState& state : provider.listPageControls("menu.settings.ai.engine")) {
    if (state.control->readOnly) rows.push_back(Settings::valueToString(state.value));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"空闲", "Recording Engine", "1", "Threads=1 Hash=16", "一致",
                                            "7 个 UCI 选项"}));

  const std::pair<const char*, SettingValue> edits[] = {
      {"ai.searchLimitMode", int64_t{1}},
      {"ai.depthProfile", int64_t{8}},
      {"ai.hashSize", int64_t{64}},
      {"a11y.professionalNotation", false},
      {"a11y.windowsNumpadNotationInputEnabled", false},
      {"a11y.windowsMainKeyboardNotationInputEnabled", true},
      {"a11y.windowsNumpadFrontBackAlias82Enabled", false},
      {"a11y.windowsNumpadInputTimeoutMs", int64_t{1500}},
      {"input.player2Scheme", int64_t{2}},
  };
  for (const auto& [key, value] : edits) ASSERT_TRUE(provider.setDraftValue(key, value, nullptr)) << key;
  rig.engine().clearCalls();
  std::vector<std::string> errors;
  ASSERT_TRUE(provider.closeSession(true, &errors)) << (errors.empty() ? "" : errors[0]);

  // Only the mode is switched: the time limit is neither zeroed nor sent again.
  EXPECT_EQ(rig.engine().calls(), (std::vector<std::string>{"setSearchLimitMode(1)", "setDepth(8)", "setHash(64)"}));
  const NotationSettings notation = rig.window().notationSettings();
  EXPECT_FALSE(notation.numpadEnabled);
  EXPECT_TRUE(notation.mainKeyboardEnabled);
  EXPECT_FALSE(notation.frontBackAlias82);
  EXPECT_EQ(notation.timeoutMs, 1500);
  const UINT menuState = GetMenuState(GetMenu(rig.window().handle()),
                                      static_cast<UINT>(MenuCommand::ProfessionalNotation), MF_BYCOMMAND);
  EXPECT_EQ(menuState & MF_CHECKED, 0u);

  // The window's own save writes the same values: the appliers kept its copies current.
  ASSERT_TRUE(rig.window().saveSettings());
  const Tavrune::Test::SavedSettings saved = rig.readSettings();
  EXPECT_EQ(saved.ai.searchLimitMode, 1);
  EXPECT_EQ(saved.ai.depth, 8);
  EXPECT_EQ(saved.ai.timeLimit, 3000);
  EXPECT_EQ(saved.ai.hashSize, 64);
  EXPECT_EQ(saved.player2Scheme, 2);
  EXPECT_FALSE(saved.accessibility.professionalNotation);
  EXPECT_EQ(saved.accessibility.windowsNumpadInputTimeoutMs, 1500);
}

TEST(SettingsWindowSession, EngineAppliersSendOnlyWhatTheSettingMeans) {
  WindowTestRig rig(Tavrune::Test::SavedSettings{});
  ASSERT_TRUE(rig.create());
  SettingsSession session = rig.window().openSettingsSession();
  ASSERT_TRUE(session.executor);
  const struct {
    const char* key;
    SettingValue value;
    std::vector<std::string> calls;
    std::string refusal;
  } cases[] = {
      {"ai.timeLimitProfile", int64_t{-1}, {}, ""},
      {"ai.timeLimitProfile", int64_t{5000}, {"setTimeLimit(5000)"}, ""},
      {"ai.depthProfile", int64_t{-1}, {}, ""},
      {"ai.depthProfile", int64_t{0}, {"setDepth(0)"}, ""},
      {"ai.customSkill", int64_t{40}, {}, ""},  // stored as 21; the tier is not 6
      {"ai.difficultyTier", int64_t{6}, {"setCustomSkill(21)"}, ""},
      {"ai.difficultyTier", int64_t{5}, {"setDifficultyTier(5)"}, ""},  // no custom Elo yet
      {"ai.customElo", int64_t{2000}, {"setCustomElo(2000)"}, ""},
      {"ai.openingBookMode", int64_t{5}, {"setOpeningBookMode(2)"}, ""},
      {"ai.clearHash", SettingValue{}, {"clearHash"}, ""},
      {"ai.threads", true, {}, "需要整数值"},
      {"ai.engineVariant", std::string("avx2"), {}, ""},
  };
  for (const auto& c : cases) {
    rig.engine().clearCalls();
    const Settings::ApplyResult result = session.executor->execute(c.key, c.value);
    EXPECT_EQ(result.message, c.refusal) << c.key;
    EXPECT_EQ(rig.engine().calls(), c.calls) << c.key;
  }

  // The chosen build is looked for in the program folder.
  rig.engine().clearCalls();
  EXPECT_TRUE(session.executor->execute("ai.autoSelectEngine", true).ok);
  EXPECT_EQ(rig.engine().calls(),
            std::vector<std::string>{"setEnginePath(engines\\" + CpuFeatures::selectBestEngine().fileName + ")"});

  Tavrune::Test::CapturedLog log;
  EXPECT_TRUE(session.executor->execute("input.player2Scheme", int64_t{7}).ok);
  EXPECT_TRUE(log.contains("Player2 key scheme (settings panel): UNSPECIFIED"));
  ASSERT_TRUE(rig.window().saveSettings());
  const Tavrune::Test::SavedSettings saved = rig.readSettings();
  EXPECT_EQ(saved.player2Scheme, 0);
  EXPECT_EQ(saved.ai.customSkill, 21);
  EXPECT_EQ(saved.ai.openingBookMode, 2);
  EXPECT_EQ(saved.ai.timeLimit, 5000);
  EXPECT_EQ(saved.ai.depth, 0);
}

TEST(SettingsWindowSession, AFileThatCannotBeWrittenFailsTheCommitBeforeAnythingChanges) {
  WindowTestRig rig(Tavrune::Test::SavedSettings{});
  ASSERT_TRUE(rig.create());
  SettingsSession session = rig.window().openSettingsSession();
  ASSERT_TRUE(session.provider);
  ASSERT_TRUE(session.provider->setDraftValue("ai.hashSize", int64_t{64}, nullptr));
  const std::string path = rig.configPath();
  const std::string before = fileBytes(path);
  rig.engine().clearCalls();

  // Another program holds the file open without sharing it.
  HANDLE held = CreateFileW(ScratchFolder::fromUtf8(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::vector<std::string> errors;
  EXPECT_FALSE(session.provider->closeSession(true, &errors));
  CloseHandle(held);
  EXPECT_EQ(errors, (std::vector<std::string>{"无法写入配置文件：" + ConfigManager::getConfigFilePath()}));
  EXPECT_TRUE(rig.engine().calls().empty());
  EXPECT_EQ(fileBytes(path), before);

  // Once the file is free the same draft goes through.
  errors.clear();
  EXPECT_TRUE(session.provider->closeSession(true, &errors));
  EXPECT_EQ(rig.engine().calls(), (std::vector<std::string>{"setHash(64)"}));
}

}  // namespace
}  // namespace Tavrune
