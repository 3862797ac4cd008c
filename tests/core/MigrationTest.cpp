// One-time copy of older data from the program folder into the per-user data folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>

#include "core/ConfigJson.h"
#include "core/ConfigManager.h"
#include "core/ConfigTestFolder.h"
#include "core/LegacyDataMigration.h"
#include "core/TextConversion.h"

namespace Tavrune {
namespace {

using Tavrune::Test::ConfigTestFolder;

class MigrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigTestFolder::makeFolder(program);
    ConfigManager::resetForTesting({program, data});
  }
  void TearDown() override { ConfigManager::resetForTesting(); }

  void put(const std::string& relative, const std::string& bytes) {
    const std::string file = program + "\\" + relative;
    ConfigTestFolder::makeFolder(file.substr(0, file.find_last_of('\\')));
    ConfigTestFolder::writeFile(file, bytes);
  }
  std::optional<std::string> copied(const std::string& relative) const {
    return ConfigTestFolder::readFile(data + "\\" + relative);
  }
  nlohmann::json record() const {
    const auto text = ConfigTestFolder::readFile(data + "\\migration_state.json");
    EXPECT_TRUE(text.has_value());
    std::istringstream input(text.value_or(""));
    nlohmann::json document;
    std::string error;
    EXPECT_TRUE(ConfigJson::parse(input, document, error)) << error;
    return document;
  }
  void migrate() const { ConfigManager::migrateLegacyData(data, program); }

  ConfigTestFolder root;
  std::string program = root.at("program");
  std::string data = root.at("user\\Tavrune");
};

TEST_F(MigrationTest, FreshInstallCreatesTheFoldersAndRecordsSuccess) {
  migrate();
  for (const char* folder : {"config", "logs", "sounds", "books", ".tmp"}) {
    EXPECT_TRUE(ConfigTestFolder::isFolder(data + "\\" + folder)) << folder;
  }
  const nlohmann::json r = record();
  EXPECT_EQ(r.at("schemaVersion"), 1);
  EXPECT_EQ(r.at("status"), "success");
  EXPECT_EQ(r.at("details"), nlohmann::json::array());
  EXPECT_EQ(r.at("fromPath"), program);
  EXPECT_EQ(r.at("toPath"), data);
  EXPECT_TRUE(r.at("appVersion").is_string());
  ASSERT_TRUE(r.at("timestamp").is_string());
  EXPECT_EQ(r.at("timestamp").get<std::string>().find_first_not_of("0123456789"), std::string::npos);

  // Written as every JSON file of the program: sorted keys, CR LF, no final line break.
  const std::string text = *ConfigTestFolder::readFile(data + "\\migration_state.json");
  EXPECT_EQ(text.rfind("{\r\n  \"appVersion\": ", 0), 0u) << text;
  EXPECT_LT(text.find("\"details\""), text.find("\"fromPath\""));
  EXPECT_EQ(text.back(), '}');

  // A second start copies nothing, even what appeared meanwhile.
  put("books\\new.obk", "book");
  migrate();
  EXPECT_FALSE(copied("books\\new.obk").has_value());
}

TEST_F(MigrationTest, CopiesEveryKindOfLegacyDataWithoutOverwriting) {
  put("config\\config.json", "{\"old\":true}");
  put("config\\audio.ini", "[SoundPaths]");
  put("tavrune_debug.log", "beside the program");
  put("logs\\tavrune_debug.log", "in the logs folder");
  put("sounds\\default\\move.wav", "RIFFmove");
  put("sounds\\default\\deep\\er\\x.wav", "RIFFx");
  put("sounds\\bg\\歌曲.mp3", "ID3");
  put("sounds\\readme.txt", "sounds");
  put("books\\book.dat", "dat");
  put("books\\sub\\a.obk", "obk");
  ConfigTestFolder::makeFolder(data + "\\config");
  ConfigTestFolder::writeFile(data + "\\config\\config.json", "{\"mine\":true}");
  ConfigTestFolder::makeFolder(data + "\\sounds\\default");
  ConfigTestFolder::writeFile(data + "\\sounds\\default\\move.wav", "user's own");

  migrate();

  EXPECT_EQ(copied("config\\config.json"), "{\"mine\":true}");
  EXPECT_EQ(copied("config\\audio.ini"), "[SoundPaths]");
  EXPECT_EQ(copied("logs\\tavrune_debug.log"), "beside the program");
  EXPECT_EQ(copied("sounds\\default\\move.wav"), "user's own");
  EXPECT_EQ(copied("sounds\\default\\deep\\er\\x.wav"), "RIFFx");
  EXPECT_EQ(copied("sounds\\bg\\歌曲.mp3"), "ID3");
  EXPECT_EQ(copied("sounds\\readme.txt"), "sounds");
  EXPECT_EQ(copied("books\\book.dat"), "dat");
  EXPECT_EQ(copied("books\\sub\\a.obk"), "obk");
  EXPECT_EQ(record().at("status"), "success");
  // Nothing is moved out of the program folder.
  EXPECT_TRUE(ConfigTestFolder::isFile(program + "\\sounds\\default\\move.wav"));
}

TEST_F(MigrationTest, FailedFolderCreationIsPartial) {
  ConfigTestFolder::makeFolder(data);
  ConfigTestFolder::writeFile(data + "\\books", "a file where the folder should be");
  migrate();
  const nlohmann::json r = record();
  EXPECT_EQ(r.at("status"), "partial");
  ASSERT_EQ(r.at("details").size(), 1u) << r.dump();
  EXPECT_EQ(r.at("details").at(0).get<std::string>().rfind("E_CREATE_DIR:" + data + "\\books:", 0), 0u) << r.dump();

  // A partial record lets the migration run again at the next start.
  put("config\\config.json", "{}");
  migrate();
  EXPECT_EQ(copied("config\\config.json"), "{}");
}

TEST_F(MigrationTest, FailedCopyIsRecordedWithBothPaths) {
  put("sounds\\locked.wav", "RIFF");
  const std::wstring source = utf8ToWide(program + "\\sounds\\locked.wav");
  HANDLE held = CreateFileW(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  migrate();
  CloseHandle(held);

  const nlohmann::json r = record();
  EXPECT_EQ(r.at("status"), "failed");
  ASSERT_EQ(r.at("details").size(), 1u) << r.dump();
  const std::string expected =
      "E_COPY_FILE:" + program + "\\sounds\\locked.wav->" + data + "\\sounds\\locked.wav:";
  EXPECT_EQ(r.at("details").at(0).get<std::string>().rfind(expected, 0), 0u) << r.dump();
  EXPECT_GT(r.at("details").at(0).get<std::string>().size(), expected.size()) << "the system's message follows";
}

TEST_F(MigrationTest, FailuresInsideACopiedTreeMarkItFailed) {
  put("sounds\\pack\\move.wav", "RIFF");
  ConfigTestFolder::makeFolder(data + "\\sounds");
  ConfigTestFolder::writeFile(data + "\\sounds\\pack", "a file where the pack folder should be");
  migrate();
  const nlohmann::json r = record();
  EXPECT_EQ(r.at("status"), "failed");
  ASSERT_EQ(r.at("details").size(), 1u) << r.dump();
  EXPECT_EQ(r.at("details").at(0).get<std::string>().rfind("E_CREATE_DIR:" + data + "\\sounds\\pack:", 0), 0u);
}

TEST_F(MigrationTest, RecordDecidesWhetherToRunAgain) {
  const std::string recordPath = data + "\\migration_state.json";
  std::string upperSlashed = program;
  for (char& c : upperSlashed) {
    if (c == '\\') c = '/';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  auto recordText = [&](const std::string& version, const std::string& status, const std::string& from) {
    return "{\"schemaVersion\":" + version + ",\"status\":" + status + ",\"fromPath\":" +
           nlohmann::json(from).dump() + ",\"toPath\":" + nlohmann::json(data).dump() + "}";
  };
  struct Case {
    std::string text;
    bool finished;
  };
  const Case cases[] = {
      {recordText("1", "\"success\"", program), true},
      {recordText("1", "\"success\"", upperSlashed), true},  // case and slashes do not matter
      {recordText("1", "\"partial\"", program), false},
      {recordText("1", "\"failed\"", program), false},
      {recordText("2", "\"success\"", program), false},
      {recordText("\"1\"", "\"success\"", program), false},  // other JSON types: run again
      {recordText("1", "true", program), false},
      {recordText("1.0", "\"success\"", program), false},
      {recordText("1", "\"success\"", program + "\\elsewhere"), false},
      {"{\"schemaVersion\":1,\"status\":\"success\",\"fromPath\":5,\"toPath\":[]}", false},
      {"[1]", false},
      {"not json", false},
      {"", false},
  };
  ConfigTestFolder::makeFolder(data);
  for (const Case& c : cases) {
    ConfigTestFolder::writeFile(recordPath, c.text);
    EXPECT_EQ(LegacyDataMigration::readState(recordPath, program, data), c.finished) << c.text;
  }
  EXPECT_FALSE(LegacyDataMigration::readState(data + "\\missing.json", program, data));
}

TEST_F(MigrationTest, ChineseProgramFolder) {
  const std::string chinese = root.at("旧版 象棋");
  ConfigTestFolder::makeFolder(chinese + "\\config");
  ConfigTestFolder::writeFile(chinese + "\\config\\config.json", "{\"AI\":{\"TimeLimit\":1}}");
  ConfigManager::migrateLegacyData(data, chinese);
  EXPECT_EQ(copied("config\\config.json"), "{\"AI\":{\"TimeLimit\":1}}");
  EXPECT_EQ(record().at("fromPath"), chinese);
  EXPECT_EQ(record().at("status"), "success");
}

TEST_F(MigrationTest, RunsThroughTheFirstConfigPathOnlyInInstalledMode) {
  put("config\\config.json", "{\"AI\":{\"TimeLimit\":2222}}");
  EXPECT_EQ(ConfigManager::getConfigFilePath(), data + "\\config/config.json");
  EXPECT_EQ(copied("config\\config.json"), "{\"AI\":{\"TimeLimit\":2222}}");
  EXPECT_TRUE(ConfigTestFolder::isFile(data + "\\migration_state.json"));
  // The record sits inside the data folder, not beside it.
  EXPECT_FALSE(ConfigTestFolder::exists(data + "migration_state.json"));
}

TEST_F(MigrationTest, PathKeysIgnoreCaseSeparatorsAndDots) {
  struct Case {
    const char* path;
    const char* key;
  };
  const Case cases[] = {
      {"", ""},
      {"C:\\Program Files\\Tavrune", "c:\\program files\\tavrune"},
      {"c:/program files/TAVRUNE", "c:\\program files\\tavrune"},
      {"C:\\a\\.\\b\\..\\c", "c:\\a\\c"},
      {"C:\\a\\\\b", "c:\\a\\b"},
      {"D:\\象棋\\Ab", "d:\\象棋\\ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConfigManager::pathCompareKey(c.path), c.key) << c.path;
  }
}

}  // namespace
}  // namespace Tavrune
