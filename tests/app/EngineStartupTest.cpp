// Start-up of the engine side: the settings mirror, the fixed order in which every
// setting reaches the engine front end, and the opening-book scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/AIFrontEnd.h"
#include "app/EngineSettingsMirror.h"
#include "app/OpeningBookScan.h"
#include "app/RecordingEngineFrontEnd.h"
#include "app/ScratchFolder.h"

namespace Tavrune {

void PrintTo(const OpeningBookFile& book, std::ostream* out) { *out << book.path << " (type " << book.type << ")"; }

namespace {

using Test::RecordingEngineFrontEnd;
using Test::ScratchFolder;

AIConfig distinctiveConfig() {
  AIConfig config;
  config.difficultyTier = 3;
  config.customElo = 2100;
  config.customSkill = 7;
  config.searchLimitMode = 1;
  config.timeLimit = 4500;
  config.depth = 12;
  config.threads = 4;
  config.hashSize = 128;
  config.showWDL = false;
  config.ponderEnabled = true;
  config.multiPV = 3;
  config.debugLogFile = "engine.log";
  config.numaPolicy = "none";
  config.moveOverhead = 40;
  config.nodesTime = 500;
  config.mateThreatDepth = 8;
  config.repetitionRule = "ChineseRule";
  config.drawRule = "DrawAsBlackWin";
  config.sixtyMoveRule = false;
  config.rule60MaxPly = 100;
  config.scoreType = "PawnValueNormalized";
  config.luOutput = false;
  config.openingBookMode = 2;
  return config;
}

TEST(EngineSettingsMirrorTest, EverySettingInTheFixedOrder) {
  RecordingEngineFrontEnd engine;
  EngineSettingsMirror::fromConfig(distinctiveConfig()).applyTo(engine);
  const std::vector<std::string> expected = {
      "setDifficultyTier(3)",
      "setSearchLimitMode(1)",
      "setTimeLimit(4500)",
      "setDepth(12)",
      "setThreads(4)",
      "setHash(128)",
      "setPonderEnabled(true)",
      "setShowWDL(false)",
      "setMultiPV(3)",
      "setDebugLogFile(engine.log)",
      "setNumaPolicy(none)",
      "setMoveOverhead(40)",
      "setNodesTime(500)",
      "setMateThreatDepth(8)",
      "setRepetitionRule(ChineseRule)",
      "setDrawRule(DrawAsBlackWin)",
      "setSixtyMoveRule(false)",
      "setRule60MaxPly(100)",
      "setScoreType(PawnValueNormalized)",
      "setLuOutput(false)",
      "setOpeningBookMode(2)",
  };
  EXPECT_EQ(engine.calls(), expected);
}

TEST(EngineSettingsMirrorTest, DifficultyCallChosenByTier) {
  struct Case {
    int32_t tier;
    int32_t elo;
    int32_t skill;
    std::string expected;
  };
  const Case cases[] = {
      {0, 0, 11, "setDifficultyTier(0)"},
      {4, 2500, 11, "setDifficultyTier(4)"},
      {5, 1800, 11, "setCustomElo(1800)"},
      {5, 0, 11, "setDifficultyTier(5)"},  // custom Elo without a value: the tier itself
      {5, -3, 11, "setDifficultyTier(5)"},
      {6, 0, 15, "setCustomSkill(15)"},
      {6, 2000, 9, "setCustomSkill(9)"},
  };
  for (const Case& c : cases) {
    AIConfig config;
    config.difficultyTier = c.tier;
    config.customElo = c.elo;
    config.customSkill = c.skill;
    RecordingEngineFrontEnd engine;
    EngineSettingsMirror::fromConfig(config).applyTo(engine);
    ASSERT_FALSE(engine.calls().empty());
    EXPECT_EQ(engine.calls().front(), c.expected) << "tier " << c.tier << " elo " << c.elo;
    EXPECT_EQ(engine.calls().size(), 21u);
  }
}

TEST(EngineSettingsMirrorTest, EverySettingReachesTheAI) {
  AIFrontEnd frontEnd;
  EngineSettingsMirror::fromConfig(distinctiveConfig()).applyTo(frontEnd);
  frontEnd.setEnginePath("engines\\pikafish-avx2.exe");
  const AISettings settings = frontEnd.engine().getSettings();
  EXPECT_EQ(settings.enginePath, "engines\\pikafish-avx2.exe");
  EXPECT_EQ(settings.difficultyTier, 3);
  EXPECT_EQ(settings.searchLimitMode, 1);
  EXPECT_EQ(settings.timeLimit, 4500);
  EXPECT_EQ(settings.depth, 12);
  EXPECT_EQ(settings.threads, 4);
  EXPECT_EQ(settings.hashSize, 128);
  EXPECT_TRUE(settings.ponderEnabled);
  EXPECT_FALSE(settings.showWDL);
  EXPECT_EQ(settings.multiPV, 3);
  EXPECT_EQ(settings.debugLogFile, "engine.log");
  EXPECT_EQ(settings.numaPolicy, "none");
  EXPECT_EQ(settings.moveOverhead, 40);
  EXPECT_EQ(settings.nodesTime, 500);
  EXPECT_EQ(settings.mateThreatDepth, 8);
  EXPECT_EQ(settings.repetitionRule, "ChineseRule");
  EXPECT_EQ(settings.drawRule, "DrawAsBlackWin");
  EXPECT_FALSE(settings.sixtyMoveRule);
  EXPECT_EQ(settings.rule60MaxPly, 100);
  EXPECT_EQ(settings.scoreType, "PawnValueNormalized");
  EXPECT_FALSE(settings.luOutput);
  EXPECT_EQ(settings.openingBookMode, 2);
  EXPECT_FALSE(frontEnd.isThinking());
}

TEST(EngineSettingsMirrorTest, SearchModeOtherThanDepthMeansTime) {
  for (const auto& [stored, expected] : std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 1}, {2, 0}, {-1, 0}}) {
    AIConfig config;
    config.searchLimitMode = stored;
    EXPECT_EQ(EngineSettingsMirror::fromConfig(config).searchLimitMode, expected) << stored;
  }
}

TEST(EngineSettingsMirrorTest, WriteBackKeepsWhatTheWindowDoesNotMirror) {
  AIConfig source = distinctiveConfig();
  const EngineSettingsMirror mirror = EngineSettingsMirror::fromConfig(source);
  AIConfig target;
  target.enginePath = "C:\\engines\\custom.exe";
  target.engineVariant = "pikafish-avx2.exe";
  target.autoSelectEngine = false;
  target.playerColor = 2;
  mirror.writeTo(target);
  EXPECT_EQ(EngineSettingsMirror::fromConfig(target), mirror);
  EXPECT_EQ(target.enginePath, "C:\\engines\\custom.exe");
  EXPECT_EQ(target.engineVariant, "pikafish-avx2.exe");
  EXPECT_FALSE(target.autoSelectEngine);
  EXPECT_EQ(target.playerColor, 2);
}

std::vector<OpeningBookFile> sorted(std::vector<OpeningBookFile> books) {
  std::sort(books.begin(), books.end(),
            [](const OpeningBookFile& a, const OpeningBookFile& b) { return a.path < b.path; });
  return books;
}

TEST(OpeningBookScanTest, BookNamesAndTypes) {
  ScratchFolder folder("books");
  folder.writeFile("books/BOOK.DAT", "e");
  folder.writeFile("books/main.obk", "m");
  folder.writeFile("books/Second.OBK", "m");
  folder.writeFile("books/book.dat.bak", "-");
  folder.writeFile("books/mybook.dat", "-");
  folder.writeFile("books/notes.txt", "-");
  folder.writeFile("books/.obk", "-");
  folder.makeFolder("books/folder.obk");
  folder.writeFile("books/nested/deep.obk", "-");
  const std::vector<OpeningBookFile> books = sorted(OpeningBookScan::find({folder.utf8("books")}));
  const std::vector<OpeningBookFile> expected = sorted({
      {folder.utf8("books/BOOK.DAT"), 0},
      {folder.utf8("books/main.obk"), 1},
      {folder.utf8("books/Second.OBK"), 1},
  });
  EXPECT_EQ(books, expected);
}

TEST(OpeningBookScanTest, EachNameOnceAndTheFirstFolderWins) {
  ScratchFolder data("data");
  ScratchFolder program("程序");
  data.writeFile("books/book.dat", "data");
  program.writeFile("books/Book.Dat", "program");
  program.writeFile("books/extra.obk", "program");
  data.writeFile("books/EXTRA.obk", "data");
  program.writeFile("books/only-here.obk", "program");
  const std::vector<OpeningBookFile> books =
      OpeningBookScan::find({data.utf8("books"), program.utf8("books"), "", data.utf8("missing")});
  EXPECT_EQ(sorted(books), sorted({
                               {data.utf8("books/book.dat"), 0},
                               {data.utf8("books/EXTRA.obk"), 1},
                               {program.utf8("books/only-here.obk"), 1},
                           }));
  // The same folder listed twice (portable mode) loads each book once.
  EXPECT_EQ(OpeningBookScan::find({data.utf8("books"), data.utf8("books")}).size(), 2u);
}

TEST(OpeningBookScanTest, MissingFoldersAndFilesInPlaceOfFoldersAreSkipped) {
  ScratchFolder folder("none");
  folder.writeFile("books", "a file, not a folder");
  EXPECT_TRUE(OpeningBookScan::find({folder.utf8("books"), folder.utf8("absent"), ""}).empty());
}

}  // namespace
}  // namespace Tavrune
