// The format registry and record files on disk: detection by extension, loading, and
// saves that never destroy what was there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "RecordLogCapture.h"
#include "RecordTestFiles.h"
#include "XqfTestEncoder.h"
#include "records/ChessScoreManager.h"
#include "records/PGNFormat.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

namespace fs = std::filesystem;

ChessScore sampleRecord() {
  ChessScore score;
  score.header.event = "象棋赛";
  score.header.result = "1-0";
  ScoreMove entry;
  entry.move.from = Position(7, 7);
  entry.move.to = Position(4, 7);
  score.moves.push_back(entry);
  return score;
}

TEST(ScoreManager, DetectsTheFormatByTheLastExtension) {
  const struct {
    const wchar_t* path;
    ScoreFormat format;
  } cases[] = {
      {L"game.pgn", ScoreFormat::PGN},          {L"GAME.PGN", ScoreFormat::PGN},
      {L"c:\\棋谱\\对局.Pgn", ScoreFormat::PGN},  {L"a.b.xqf", ScoreFormat::XQF},
      {L"a.xqf.pgn", ScoreFormat::PGN},         {L"notes.txt", ScoreFormat::UCCI},
      {L"x.ucci", ScoreFormat::UCCI},           {L"x.json", ScoreFormat::JSON},
      {L"x.CBF", ScoreFormat::CBF},             {L"c:\\my.games\\record", ScoreFormat::UNKNOWN},
      {L"c:\\my.pgn\\record", ScoreFormat::UNKNOWN}, {L"record.", ScoreFormat::UNKNOWN},
      {L"record", ScoreFormat::UNKNOWN},        {L"", ScoreFormat::UNKNOWN},
      {L"x.pgnx", ScoreFormat::UNKNOWN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChessScoreManager::detectFormat(c.path), c.format) << static_cast<int>(c.format);
  }
  EXPECT_STREQ(scoreFormatName(ScoreFormat::UCCI), "UCCI");
  EXPECT_STREQ(scoreFormatName(static_cast<ScoreFormat>(42)), "INVALID");

  ChessScoreManager manager(nullptr);
  EXPECT_NE(manager.getFormat(ScoreFormat::PGN), nullptr);
  EXPECT_NE(manager.getFormat(ScoreFormat::XQF), nullptr);
  EXPECT_EQ(manager.getFormat(ScoreFormat::MXQ), nullptr);
}

TEST(ScoreManager, LoadFailuresAreNamedInTheLog) {
  support::RecordLogCapture log;
  support::RecordTestFolder folder;
  ChessScoreManager manager(nullptr);
  support::writeWholeFile(folder.file("说明.txt"), "h8e8\n");
  ChessScore score;
  EXPECT_FALSE(manager.load(folder.widePath("说明.txt"), score));
  EXPECT_TRUE(log.contains("ChessScoreManager::load - 未找到对应的格式解析器"));
  EXPECT_FALSE(manager.load(folder.widePath("记录"), score));
  EXPECT_TRUE(log.contains("ChessScoreManager::load - 无法检测文件格式: "));
  EXPECT_FALSE(manager.load(folder.widePath("没有.pgn"), score));
  EXPECT_TRUE(log.contains("IChessScoreFormat::load - 无法打开文件: "));
  // A format named by the caller wins over the extension.
  support::writeWholeFile(folder.file("对局.txt"), "\nh8e8\n");
  EXPECT_TRUE(manager.load(folder.widePath("对局.txt"), score, ScoreFormat::PGN));
  EXPECT_EQ(score.moves.size(), 1u);
}

// Generated at run time, never stored: knights out and back make a legal game of any
// length, and a comment pads a record to any size.
TEST(ScoreManager, RecordsOverTheSizeCapsAreRefused) {
  using support::XqfTestEncoder;
  const Move cycle[] = {{{1, 9}, {2, 7}}, {{1, 0}, {2, 2}}, {{2, 7}, {1, 9}}, {{2, 2}, {1, 0}}};
  auto pgn = [&](size_t plies, size_t padding) {
    std::string text = "\n{" + std::string(padding, 'x') + "}";
    for (size_t i = 0; i < plies; ++i) text += ' ' + moveToICCS(cycle[i % 4]);
    return text;
  };
  auto xqf = [&](size_t plies) {
    XqfTestEncoder encoder;
    for (size_t i = 0; i < plies; ++i) {
      const Move& m = cycle[i % 4];
      encoder.mainLine.push_back(
          {XqfTestEncoder::square(m.from.x, m.from.y), XqfTestEncoder::square(m.to.x, m.to.y), "", {}, 0});
    }
    return encoder.encode();
  };
  const size_t limit = 16u << 20;
  const struct {
    const char* name;
    std::string bytes;
    const char* refusal;  // the log line naming the cap; empty when it loads
  } cases[] = {
      {"a.pgn", pgn(10000, 0), ""},
      {"b.pgn", pgn(10001, 0), "PGNFormat::parseMoveText - 着法超过 10000 手上限"},
      {"c.xqf", xqf(10000), ""},
      {"d.xqf", xqf(10001), "XQFFormat::parse - 着法超过 10000 手上限"},
      {"e.pgn", pgn(1, limit - 8), ""},
      {"f.pgn", pgn(1, limit - 7), "IChessScoreFormat::load - 文件超过 16 MB 上限 (16777217 字节)"},
  };
  support::RecordLogCapture log;
  support::RecordTestFolder folder;
  ChessScoreManager manager(nullptr);
  for (const auto& c : cases) {
    support::writeWholeFile(folder.file(c.name), c.bytes);
    ChessScore score;
    EXPECT_EQ(manager.load(folder.widePath(c.name), score), *c.refusal == '\0') << c.name;
    if (*c.refusal != '\0') {
      EXPECT_TRUE(log.contains(c.refusal)) << c.name;
    }
    fs::remove(folder.file(c.name));
  }
}

TEST(ScoreManager, SavesAndLoadsUnderChineseFolderAndFileNames) {
  support::RecordTestFolder folder;
  ChessScoreManager manager(nullptr);
  const std::wstring path = folder.widePath("第一局.pgn");
  ASSERT_TRUE(manager.save(path, sampleRecord(), ScoreFormat::PGN));
  EXPECT_EQ(support::readWholeFile(folder.file("第一局.pgn")),
            "[Event \"象棋赛\"]\n[Result \"1-0\"]\n\n1. h8e8  1-0\n");
  ChessScore loaded;
  ASSERT_TRUE(manager.load(path, loaded));
  EXPECT_EQ(loaded.header.event, "象棋赛");
  EXPECT_EQ(loaded.moves.size(), 1u);

  // Saving again replaces the file whole and leaves no temporary file behind.
  ChessScore second = sampleRecord();
  second.header.event = "second";
  ASSERT_TRUE(manager.save(path, second, ScoreFormat::PGN));
  EXPECT_EQ(support::readWholeFile(folder.file("第一局.pgn")).substr(0, 16), "[Event \"second\"]");
  EXPECT_EQ(folder.entryNames(), std::vector<std::string>{"第一局.pgn"});
}

// A save that cannot be completed must leave the existing file as it was.
TEST(ScoreManager, FailedSavesLeaveTheOldFileWhole) {
  support::RecordTestFolder folder;
  ChessScoreManager manager(nullptr);
  const std::string old = "[Event \"old\"]\n\n*\n";
  support::writeWholeFile(folder.file("旧.xqf"), old);
  EXPECT_FALSE(manager.save(folder.widePath("旧.xqf"), sampleRecord(), ScoreFormat::XQF));
  EXPECT_EQ(support::readWholeFile(folder.file("旧.xqf")), old);
  EXPECT_FALSE(manager.save(folder.widePath("旧.xqf"), sampleRecord(), ScoreFormat::UNKNOWN));
  EXPECT_FALSE(manager.save(folder.widePath("旧.xqf"), sampleRecord(), ScoreFormat::CHN));
  EXPECT_EQ(support::readWholeFile(folder.file("旧.xqf")), old);

  // A folder standing where the file should go.
  fs::create_directory(folder.file("占位.pgn"));
  support::writeWholeFile(folder.file("占位.pgn") / "inside.txt", old);
  EXPECT_FALSE(manager.save(folder.widePath("占位.pgn"), sampleRecord(), ScoreFormat::PGN));
  EXPECT_TRUE(fs::is_directory(folder.file("占位.pgn")));
  EXPECT_EQ(support::readWholeFile(folder.file("占位.pgn") / "inside.txt"), old);

  // A folder that does not exist.
  EXPECT_FALSE(manager.save(folder.widePath("缺少/记录.pgn"), sampleRecord(), ScoreFormat::PGN));
  const std::vector<std::string> expected = {"占位.pgn", "旧.xqf"};
  std::vector<std::string> names = folder.entryNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace Tavrune
