// The JSON mapping of the configuration record: defaults, clamps, the exact bytes written
// and texts written by another tool. Runs in both builds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <sstream>

#include "core/ConfigJson.h"
#include "core/ConfigLogCapture.h"
#include "core/ConfigTestFolder.h"
#include "core/ConfigTestRecord.h"

namespace Tavrune {
namespace {

using nlohmann::json;

using Record = Tavrune::Test::ConfigTestRecord;

json parseOrFail(const std::string& text) {
  std::istringstream input(text);
  json document;
  std::string error;
  EXPECT_TRUE(ConfigJson::parse(input, document, error)) << error << "\n" << text;
  return document;
}

Record load(const std::string& text, Record record = {}) {
  ConfigJson::applyDocument(parseOrFail(text), record.ai, record.scheme, record.accessibility, &record.system,
                            &record.audio);
  return record;
}

std::string save(const Record& r) {
  return ConfigJson::toFileText(ConfigJson::buildDocument(r.ai, r.scheme, r.accessibility, r.system, r.audio));
}

std::string withCrLf(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

TEST(ConfigJsonTest, EmptyObjectGivesTheDocumentedDefaults) {
  // A holder with values of its own: "current" defaults must keep them.
  Record holder;
  holder.ai.enginePath = "custom.exe";
  holder.ai.engineVariant = "avx2";
  holder.ai.autoSelectEngine = false;
  holder.ai.difficultyTier = 5;
  holder.ai.timeLimit = 1234;
  holder.ai.hashSize = 64;
  holder.ai.scoreType = "Raw";
  holder.scheme = 2;
  holder.system = {true, true};
  holder.audio.masterVolume = 0.5f;
  holder.audio.soundPackPath = "sounds/x";

  Record expected = holder;
  expected.ai.engineVariant = "auto";
  expected.ai.autoSelectEngine = true;
  expected.ai.difficultyTier = 2;  // from the legacy SkillLevel default 6
  expected.ai.searchLimitMode = 0;
  expected.scheme = 0;
  expected.accessibility = AccessibilityConfig{};
  expected.accessibility.professionalNotation = false;  // a file without the key is an older user's
  expected.system = {false, false};

  EXPECT_EQ(load("{}", holder), expected);

  holder.ai.depth = 7;
  EXPECT_EQ(load("{}", holder).ai.searchLimitMode, 1);
}

TEST(ConfigJsonTest, ValuesArePulledIntoRange) {
  struct Case {
    const char* text;
    std::function<int(const Record&)> field;
    int expected;
  };
  const auto tier = [](const Record& r) { return r.ai.difficultyTier; };
  const auto elo = [](const Record& r) { return r.ai.customElo; };
  const auto skill = [](const Record& r) { return r.ai.customSkill; };
  const auto ply = [](const Record& r) { return r.ai.rule60MaxPly; };
  const auto overhead = [](const Record& r) { return r.ai.moveOverhead; };
  const auto nodes = [](const Record& r) { return r.ai.nodesTime; };
  const auto mate = [](const Record& r) { return r.ai.mateThreatDepth; };
  const auto color = [](const Record& r) { return r.ai.playerColor; };
  const auto scheme = [](const Record& r) { return r.scheme; };
  const auto book = [](const Record& r) { return r.ai.openingBookMode; };
  const auto mode = [](const Record& r) { return r.ai.searchLimitMode; };
  const auto timeout = [](const Record& r) { return r.accessibility.windowsNumpadInputTimeoutMs; };
  const auto timeLimit = [](const Record& r) { return r.ai.timeLimit; };
  const auto threads = [](const Record& r) { return r.ai.threads; };

  const Case cases[] = {
      {R"({"AI":{"DifficultyTier":7}})", tier, 2},
      {R"({"AI":{"DifficultyTier":-1}})", tier, 2},
      {R"({"AI":{"DifficultyTier":0}})", tier, 0},
      {R"({"AI":{"DifficultyTier":6}})", tier, 6},
      {R"({"AI":{"DifficultyTier":3.0}})", tier, 2},
      {R"({"AI":{"DifficultyTier":3.0,"SkillLevel":8}})", tier, 3},
      {R"({"AI":{"DifficultyTier":4294967299,"SkillLevel":1}})", tier, 0},  // not wrapped to 3
      {R"({"AI":{"SkillLevel":0}})", tier, 0},
      {R"({"AI":{"SkillLevel":2}})", tier, 0},
      {R"({"AI":{"SkillLevel":3}})", tier, 1},
      {R"({"AI":{"SkillLevel":4}})", tier, 1},
      {R"({"AI":{"SkillLevel":5}})", tier, 2},
      {R"({"AI":{"SkillLevel":7}})", tier, 3},
      {R"({"AI":{"SkillLevel":8}})", tier, 3},
      {R"({"AI":{"SkillLevel":9}})", tier, 2},
      {R"({"AI":{"SkillLevel":10}})", tier, 2},
      {R"({"AI":{"CustomElo":1000}})", elo, 1280},
      {R"({"AI":{"CustomElo":1}})", elo, 1280},
      {R"({"AI":{"CustomElo":5000}})", elo, 3133},
      {R"({"AI":{"CustomElo":3133}})", elo, 3133},
      {R"({"AI":{"CustomElo":0}})", elo, 0},
      {R"({"AI":{"CustomElo":-5}})", elo, 0},
      {R"({"AI":{"CustomSkill":0}})", skill, 1},
      {R"({"AI":{"CustomSkill":1}})", skill, 1},
      {R"({"AI":{"CustomSkill":21}})", skill, 21},
      {R"({"AI":{"CustomSkill":30}})", skill, 21},
      {R"({"AI":{"Rule60MaxPly":0}})", ply, 1},
      {R"({"AI":{"Rule60MaxPly":1}})", ply, 1},
      {R"({"AI":{"Rule60MaxPly":150}})", ply, 150},
      {R"({"AI":{"Rule60MaxPly":200}})", ply, 150},
      {R"({"AI":{"MoveOverhead":-3}})", overhead, 0},
      {R"({"AI":{"MoveOverhead":1}})", overhead, 1},
      {R"({"AI":{"MoveOverhead":5000}})", overhead, 5000},
      {R"({"AI":{"MoveOverhead":5001}})", overhead, 5000},
      {R"({"AI":{"NodesTime":10001}})", nodes, 10000},
      {R"({"AI":{"NodesTime":0}})", nodes, 0},
      {R"({"AI":{"MateThreatDepth":50}})", mate, 10},
      {R"({"AI":{"MateThreatDepth":1}})", mate, 1},
      {R"({"AI":{"MateThreatDepth":0}})", mate, 0},
      {R"({"AI":{"PlayerColor":3}})", color, 1},
      {R"({"AI":{"PlayerColor":-1}})", color, 1},
      {R"({"AI":{"PlayerColor":0}})", color, 0},
      {R"({"AI":{"PlayerColor":2}})", color, 2},
      {R"({"Input":{"Player2Scheme":3}})", scheme, 0},
      {R"({"Input":{"Player2Scheme":-1}})", scheme, 0},
      {R"({"Input":{"Player2Scheme":2}})", scheme, 2},
      {R"({"AI":{"OpeningBookMode":3}})", book, 0},
      {R"({"AI":{"OpeningBookMode":-1}})", book, 0},
      {R"({"AI":{"OpeningBookMode":2}})", book, 2},
      {R"({"AI":{"SearchLimitMode":2,"Depth":5}})", mode, 1},
      {R"({"AI":{"SearchLimitMode":0,"Depth":5}})", mode, 0},
      {R"({"AI":{"SearchLimitMode":1}})", mode, 1},
      {R"({"Accessibility":{"WindowsNumpadInputTimeoutMs":10001}})", timeout, 10000},
      {R"({"Accessibility":{"WindowsNumpadInputTimeoutMs":10000}})", timeout, 10000},
      {R"({"Accessibility":{"WindowsNumpadInputTimeoutMs":1}})", timeout, 1},
      {R"({"Accessibility":{"WindowsNumpadInputTimeoutMs":-1}})", timeout, 0},
      // Wrong types and integers beyond 32 bits keep the holder's value (3000, 0).
      {R"({"AI":{"TimeLimit":"5000"}})", timeLimit, 3000},
      {R"({"AI":{"TimeLimit":1e3}})", timeLimit, 3000},
      {R"({"AI":{"TimeLimit":2147483648}})", timeLimit, 3000},
      {R"({"AI":{"TimeLimit":2147483647}})", timeLimit, 2147483647},
      {R"({"AI":{"TimeLimit":-2147483648}})", timeLimit, std::numeric_limits<int>::min()},
      {R"({"AI":{"TimeLimit":-2147483649}})", timeLimit, 3000},
      {R"({"AI":{"Threads":18446744073709551615}})", threads, 0},
      {R"({"AI":{"Threads":null}})", threads, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.field(load(c.text)), c.expected) << c.text;
  }
}

TEST(ConfigJsonTest, InvalidPlayerColorIsLoggedAndReset) {
  Tavrune::Test::ConfigTestFolder folder;
  Tavrune::Test::ConfigLogCapture capture(folder.path());
  EXPECT_EQ(load(R"({"AI":{"PlayerColor":7}})").ai.playerColor, 1);
  EXPECT_TRUE(capture.contains("[WARNING] ConfigManager: Invalid PlayerColor value: 7, resetting to RED"));
}

TEST(ConfigJsonTest, EngineTextsLoseControlCharacters) {
  const Record r = load(
      R"({"AI":{"DebugLogFile":"a\nb\r\tc","NumaPolicy":"auto\nquit","RepetitionRule":"Asian\u0000Rule",)"
      R"("DrawRule":"None\u007f","ScoreType":"Elo\r\nisready","EnginePath":"x\ty.exe"}})");
  EXPECT_EQ(r.ai.debugLogFile, "abc");
  EXPECT_EQ(r.ai.numaPolicy, "autoquit");
  EXPECT_EQ(r.ai.repetitionRule, "AsianRule");
  EXPECT_EQ(r.ai.drawRule, "None");
  EXPECT_EQ(r.ai.scoreType, "Eloisready");
  EXPECT_EQ(r.ai.enginePath, "x\ty.exe");  // not sent as an option line
}

TEST(ConfigJsonTest, DocumentsOfTheWrongShapeReadAsMissing) {
  const Record defaults = load("{}");
  for (const char* text : {"[]", "5", "\"text\"", "null", R"({"AI":[],"Accessibility":"x","System":1,"Audio":null})",
                           R"({"AI":{"AI":{"TimeLimit":1}},"Input":[2]})"}) {
    const json document = parseOrFail(text);
    const json before = document;
    Record r;
    ConfigJson::applyDocument(document, r.ai, r.scheme, r.accessibility, &r.system, &r.audio);
    EXPECT_EQ(r, defaults) << text;
    EXPECT_EQ(document, before) << "readers must not insert: " << text;
  }
}

TEST(ConfigJsonTest, NullPiecesAreNotRead) {
  Record r;
  r.system = {true, true};
  r.audio.masterVolume = 0.25f;
  ConfigJson::applyDocument(parseOrFail(R"({"System":{"LoggerEnabled":false},"Audio":{"MasterVolume":1}})"), r.ai,
                            r.scheme, r.accessibility, nullptr, nullptr);
  EXPECT_TRUE(r.system.loggerEnabled);
  EXPECT_EQ(r.audio.masterVolume, 0.25f);
}

TEST(ConfigJsonTest, FloatReaderAcceptsEveryNumberThatFitsAFloat) {
  struct Case {
    const char* text;
    float expected;
  };
  const Case cases[] = {
      {R"({"Audio":{"MasterVolume":0.5}})", 0.5f},
      {R"({"Audio":{"MasterVolume":1}})", 1.0f},
      {R"({"Audio":{"MasterVolume":-2}})", -2.0f},  // audio values are not clamped here
      {R"({"Audio":{"MasterVolume":18446744073709551615}})", 18446744073709551615.0f},
      {R"({"Audio":{"MasterVolume":1e-50}})", 0.0f},
      {R"({"Audio":{"MasterVolume":1e300}})", 1.0f},  // beyond a float: the holder's value
      {R"({"Audio":{"MasterVolume":-1e39}})", 1.0f},
      {R"({"Audio":{"MasterVolume":"0.5"}})", 1.0f},
      {R"({"Audio":{"MasterVolume":true}})", 1.0f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(load(c.text).audio.masterVolume, c.expected) << c.text;
  }
}

// Written by Python's json.dumps (default float forms, \u escapes, four-space indent,
// insertion order), with a byte-order mark before and a hand-written line after.
const char* const otherToolText = "\xEF\xBB\xBF" R"py({
    "System": {
        "VolumeIntroShown": true,
        "LoggerEnabled": true,
        "Theme": "dark"
    },
    "Audio": {
        "MasterVolume": 0.8,
        "BoardScaleX": 0.15,
        "BoardScaleY": 1e-05,
        "ListenerHeight": 2,
        "SoundPackPath": "sounds/\u6c34\u58a8",
        "BackgroundVolume": 0.25,
        "UIVolume": 0.0015,
        "Enabled": false,
        "BackendType": "openal_soft"
    },
    "AI": {
        "TimeLimit": 5000,
        "Depth": 12,
        "EnginePath": "D:\\\u8c61\u68cb\\engine.exe",
        "DifficultyTier": 5,
        "CustomElo": 2000,
        "PlayerColor": 2,
        "HashSize": 1024,
        "Threads": 4,
        "PonderEnabled": true,
        "DrawRule": "DrawAsWin",
        "Extra": [
            1,
            2,
            {
                "x": null
            }
        ]
    },
    "Input": {
        "Player2Scheme": 2
    },
    "Accessibility": {
        "ProfessionalNotation": true,
        "WindowsNumpadInputTimeoutMs": 2500
    },
    "Unknown": {
        "Nested": {
            "Deep": [
                true,
                false
            ]
        }
    }
}
# written by hand afterwards
)py";

TEST(ConfigJsonTest, TextWrittenByAnotherToolLoads) {
  const Record r = load(otherToolText);
  EXPECT_TRUE(r.system.loggerEnabled);
  EXPECT_TRUE(r.system.volumeIntroShown);
  EXPECT_EQ(r.audio.masterVolume, 0.8f);
  EXPECT_EQ(r.audio.boardScaleX, 0.15f);
  EXPECT_EQ(r.audio.boardScaleY, 1e-05f);
  EXPECT_EQ(r.audio.listenerHeight, 2.0f);
  EXPECT_EQ(r.audio.soundPackPath, "sounds/水墨");
  EXPECT_EQ(r.audio.uiVolume, 0.0015f);
  EXPECT_FALSE(r.audio.enabled);
  EXPECT_EQ(r.audio.backendType, "openal_soft");
  EXPECT_EQ(r.ai.timeLimit, 5000);
  EXPECT_EQ(r.ai.depth, 12);
  EXPECT_EQ(r.ai.searchLimitMode, 1);
  EXPECT_EQ(r.ai.enginePath, "D:\\象棋\\engine.exe");
  EXPECT_EQ(r.ai.difficultyTier, 5);
  EXPECT_EQ(r.ai.customElo, 2000);
  EXPECT_EQ(r.ai.playerColor, 2);
  EXPECT_EQ(r.ai.hashSize, 1024);
  EXPECT_EQ(r.ai.threads, 4);
  EXPECT_TRUE(r.ai.ponderEnabled);
  EXPECT_EQ(r.ai.drawRule, "DrawAsWin");
  EXPECT_EQ(r.scheme, 2);
  EXPECT_TRUE(r.accessibility.professionalNotation);
  EXPECT_EQ(r.accessibility.windowsNumpadInputTimeoutMs, 2500);

  // Unknown keys do not survive a save.
  const std::string saved = save(r);
  EXPECT_EQ(saved.find("Theme"), std::string::npos);
  EXPECT_EQ(saved.find("Unknown"), std::string::npos);
  EXPECT_EQ(saved.find("Extra"), std::string::npos);
  EXPECT_EQ(load(saved), r);
}

TEST(ConfigJsonTest, ParserReportsBrokenTextWithoutThrowing) {
  for (const char* text :
       {"", "   ", "{", "{\"AI\":}", "// comment\n{}", "{\"a\":1,}", "\xEF\xBB", "{\"a\":\"\xff\"}"}) {
    std::istringstream input(text);
    json document;
    std::string error;
    EXPECT_FALSE(ConfigJson::parse(input, document, error)) << text;
    EXPECT_FALSE(error.empty());
  }
}

// The defaults as Python's json.dumps(indent=2, sort_keys=True) writes them from the
// same values; only the line ends differ.
const char* const defaultFileText = R"py({
  "AI": {
    "AutoSelectEngine": true,
    "CustomElo": 0,
    "CustomSkill": 11,
    "DebugLogFile": "",
    "Depth": 0,
    "DifficultyTier": 2,
    "DrawRule": "None",
    "EnginePath": "engines\\pikafish.exe",
    "EngineVariant": "auto",
    "HashSize": 256,
    "LU_Output": true,
    "MateThreatDepth": 10,
    "MoveOverhead": 30,
    "MultiPV": 1,
    "NodesTime": 0,
    "NumaPolicy": "auto",
    "OpeningBookMode": 0,
    "PlayerColor": 1,
    "PonderEnabled": false,
    "RepetitionRule": "AsianRule",
    "Rule60MaxPly": 120,
    "ScoreType": "Elo",
    "SearchLimitMode": 0,
    "ShowWDL": true,
    "SixtyMoveRule": true,
    "SkillLevel": 6,
    "Threads": 0,
    "TimeLimit": 3000
  },
  "Accessibility": {
    "AccessibilityAudioChannel": false,
    "LiftOrSelectReadPieceName": true,
    "LiftToActivate": false,
    "ProfessionalNotation": true,
    "TouchGuardGestureMode": false,
    "WindowsMainKeyboardNotationInputEnabled": false,
    "WindowsNumpadFrontBackAlias82Enabled": true,
    "WindowsNumpadInputTimeoutMs": 0,
    "WindowsNumpadNotationInputEnabled": true,
    "WindowsReadLineAllEmptyShortcutEnabled": true,
    "WindowsReadLineHotkeysEnabled": true,
    "WindowsUiaProviderEnabled": false
  },
  "Audio": {
    "BackendType": "auto",
    "BackgroundMusicEnabled": true,
    "BackgroundVolume": 0.30000001192092896,
    "BoardScaleX": 0.15000000596046448,
    "BoardScaleY": 0.15000000596046448,
    "CaptureVolume": 1.0,
    "CheckVolume": 1.0,
    "Enable3D": true,
    "Enabled": true,
    "ForceAccessibilityChannel": false,
    "GameSfxEnabled": true,
    "GameSfxVolume": 1.0,
    "HrtfEnabled": true,
    "HrtfPreferred": "",
    "ListenerHeight": 0.30000001192092896,
    "MasterVolume": 1.0,
    "MoveVolume": 1.0,
    "SoundPackPath": "sounds/default",
    "UIVolume": 1.0
  },
  "System": {
    "LoggerEnabled": false,
    "VolumeIntroShown": false
  }
})py";

TEST(ConfigJsonTest, SavedBytesAreExact) {
  EXPECT_EQ(save(Record{}), withCrLf(defaultFileText));

  Record r;
  r.scheme = 1;
  r.ai.enginePath = "D:\\象棋\\引擎.exe";
  const std::string text = save(r);
  EXPECT_NE(text.find("\r\n  \"Input\": {\r\n    \"Player2Scheme\": 1\r\n  },\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"EnginePath\": \"D:\\\\象棋\\\\引擎.exe\""), std::string::npos) << text;
}

TEST(ConfigJsonTest, SkillLevelIsDerivedFromTheTier) {
  struct Case {
    int tier;
    int customSkill;
    int skillLevel;
  };
  const Case cases[] = {{0, 11, 2}, {1, 11, 4}, {2, 11, 6}, {3, 11, 8}, {4, 11, 10}, {5, 11, 10},
                        {6, 0, 1},  {6, 30, 21}, {6, 15, 15}, {-1, 11, 2}, {9, 11, 10}};
  for (const Case& c : cases) {
    Record r;
    r.ai.difficultyTier = c.tier;
    r.ai.customSkill = c.customSkill;
    const json document = ConfigJson::buildDocument(r.ai, r.scheme, r.accessibility, r.system, r.audio);
    EXPECT_EQ(document.at("AI").at("SkillLevel"), c.skillLevel) << c.tier << "/" << c.customSkill;
  }
}

TEST(ConfigJsonTest, SchemeZeroWritesNoInputObject) {
  for (int scheme : {0, 3, -1}) {
    Record r;
    r.scheme = scheme;
    EXPECT_EQ(save(r).find("\"Input\""), std::string::npos) << scheme;
  }
}

TEST(ConfigJsonTest, SaveThenLoadRoundTripsEveryField) {
  Record r;
  r.ai = {.enginePath = "C:\\Engines\\棋.exe", .engineVariant = "bmi2", .autoSelectEngine = false,
          .difficultyTier = 6, .searchLimitMode = 1, .timeLimit = 12345, .depth = 17, .playerColor = 2,
          .threads = 8, .hashSize = 4096, .showWDL = false, .ponderEnabled = true, .multiPV = 3,
          .debugLogFile = "engine.log", .numaPolicy = "system", .moveOverhead = 250, .nodesTime = 5000,
          .mateThreatDepth = 7, .repetitionRule = "ChineseRule", .drawRule = "DrawAsBlackWin",
          .sixtyMoveRule = false, .rule60MaxPly = 99, .scoreType = "Raw", .luOutput = false, .customElo = 3000,
          .customSkill = 19, .openingBookMode = 1};
  r.scheme = 2;
  r.accessibility = {false, true, false, true, true, true, false, false, false, true, false, 7500};
  r.system = {true, true};
  r.audio = {.enabled = false, .masterVolume = 0.1f, .enable3D = false,
             .boardScaleX = std::nextafter(0.15f, 1.0f), .boardScaleY = 1e-7f, .listenerHeight = 123456.789f,
             .soundPackPath = "sounds/墨\"韵\\", .moveVolume = 0.333333f, .captureVolume = 0.0f,
             .checkVolume = 1.0f, .uiVolume = 0.999999f, .gameSfxVolume = 2.5f, .backgroundVolume = 3.4e38f,
             .gameSfxEnabled = false, .backgroundMusicEnabled = false, .backendType = "miniaudio",
             .hrtfEnabled = false, .hrtfPreferred = "default.mhr", .forceAccessibilityChannel = true};
  const Record loaded = load(save(r));
  EXPECT_EQ(loaded, r);
  // Bit-exact floats, not merely close.
  EXPECT_EQ(std::memcmp(&loaded.audio.boardScaleX, &r.audio.boardScaleX, sizeof(float)), 0);
}

TEST(ConfigJsonTest, InvalidUtf8TextDoesNotStopASave) {
  Record r;
  r.ai.enginePath = "bad\xff\xfe.exe";
  r.audio.soundPackPath = std::string("x\0y", 3);
  std::string text;
  ASSERT_NO_THROW(text = save(r));
  const Record loaded = load(text);
  EXPECT_EQ(loaded.ai.enginePath, "bad\xEF\xBF\xBD\xEF\xBF\xBD.exe");
  EXPECT_EQ(loaded.audio.soundPackPath, std::string("x\0y", 3));
}

}  // namespace
}  // namespace Tavrune
