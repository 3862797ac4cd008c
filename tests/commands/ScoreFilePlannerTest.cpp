// Record dialogs and texts: filters, the default name, the loaded record's summary and
// mode notice, and the load choice.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/ScoreFilePlanner.h"

namespace Tavrune {
namespace {

ChessScoreHeader header(const char* event, const char* red, const char* black) {
  ChessScoreHeader h;
  h.event = event;
  h.red = red;
  h.black = black;
  return h;
}

TEST(ScoreFilePlannerTest, SummaryAndModeNoticeNameTheRecord) {
  const struct {
    const char* name;
    ChessScoreHeader header;
    size_t moves;
    std::optional<size_t> pliesBeforeRefusal;
    const wchar_t* summary;
    const wchar_t* popup;
  } cases[] = {
      {"event and both players", header("全国赛", "甲", "乙"), 42, {}, L"赛事: 全国赛\n红方: 甲\n黑方: 乙\n共 42 手棋",
       L"棋谱已加载，红方: 甲，黑方: 乙。请选择对战模式"},
      {"nothing named", header("", "", ""), 0, {}, L"共 0 手棋", L"棋谱已加载。请选择对战模式"},
      {"red only", header("", "甲", ""), 7, {}, L"共 7 手棋", L"棋谱已加载，红方: 甲。请选择对战模式"},
      {"black only, with event", header("杯赛", "", "乙"), 1, {}, L"赛事: 杯赛\n共 1 手棋",
       L"棋谱已加载，黑方: 乙。请选择对战模式"},
      {"cut short at a refused move", header("", "", ""), 31, 31, L"共 31 手棋\n第 32 手无法走出，只载入了前 31 手",
       L"棋谱已加载。请选择对战模式"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PromptBox box = ScoreFilePlanner::summaryBox(c.header, c.moves, c.pliesBeforeRefusal);
    EXPECT_EQ(box.kind, MessageBoxKind::Plain);
    EXPECT_EQ(box.caption, L"棋谱信息");
    EXPECT_EQ(box.text, c.summary);
    EXPECT_EQ(ScoreFilePlanner::modePopupNotice(c.header), c.popup);
  }
}

TEST(ScoreFilePlannerTest, DialogTexts) {
  // The whole literal, its inner NULs and the final double NUL included.
#define WHOLE(literal) std::wstring(literal, sizeof(literal) / sizeof(wchar_t) - 1)
  EXPECT_EQ(ScoreFilePlanner::openFilter(),
            WHOLE(L"所有棋谱文件 (*.pgn;*.xqf)\0*.pgn;*.xqf\0PGN 棋谱 (*.pgn)\0*.pgn\0"
                  L"XQF 棋谱 (*.xqf)\0*.xqf\0所有文件 (*.*)\0*.*\0\0"));
  EXPECT_EQ(ScoreFilePlanner::saveFilter(), WHOLE(L"PGN 棋谱 (*.pgn)\0*.pgn\0所有文件 (*.*)\0*.*\0\0"));
#undef WHOLE
  EXPECT_EQ(std::wstring(ScoreFilePlanner::kDefaultExtension), L"pgn");

  EXPECT_EQ(ScoreFilePlanner::defaultSaveName(2024, 3, 5), L"棋谱_20240305.pgn");
  EXPECT_EQ(ScoreFilePlanner::defaultSaveName(987, 12, 31), L"棋谱_09871231.pgn");
}

TEST(ScoreFilePlannerTest, OnlyYesAndNoKeepTheLoadedRecord) {
  EXPECT_EQ(ScoreFilePlanner::loadChoice(BoxAnswer::Yes), LoadChoice::Review);
  EXPECT_EQ(ScoreFilePlanner::loadChoice(BoxAnswer::No), LoadChoice::PlayOn);
  EXPECT_EQ(ScoreFilePlanner::loadChoice(BoxAnswer::Cancel), LoadChoice::Revert);
  EXPECT_EQ(ScoreFilePlanner::loadChoice(BoxAnswer::Ok), LoadChoice::Revert);
}

}  // namespace
}  // namespace Tavrune
