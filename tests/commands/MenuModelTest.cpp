// The menu bar's layout and the item states the window's flags give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MenuModel.h"

namespace Tavrune {
namespace {

TEST(MenuModelTest, BarLayoutAndIds) {
  struct Row {
    const wchar_t* popup;
    int id;  // 0 for a separator
    const wchar_t* label;
  };
  const std::vector<Row> expected = {
      {L"文件", 100, L"新游戏"}, {L"文件", 101, L"加载棋谱..."}, {L"文件", 102, L"保存棋谱..."}, {L"文件", 0, L""},
      {L"文件", 103, L"退出"},
      {L"游戏", 200, L"本地双人"}, {L"游戏", 201, L"人机对战"}, {L"游戏", 202, L"局域网对战"}, {L"游戏", 0, L""},
      {L"游戏", 203, L"悔棋"}, {L"游戏", 207, L"和棋"}, {L"游戏", 208, L"认输"}, {L"游戏", 209, L"停止当前对局"},
      {L"游戏", 204, L"切换执红/黑"}, {L"游戏", 0, L""}, {L"游戏", 205, L"进入复盘模式"},
      {L"游戏", 206, L"专业记谱法"},
      {L"设置", 304, L"软件设置...\tCtrl+P"},
      {L"帮助", 300, L"操作说明"}, {L"帮助", 303, L"3D音效测试(&T)"}, {L"帮助", 0, L""},
      {L"帮助", 302, L"检查更新(&U)"}, {L"帮助", 0, L""}, {L"帮助", 301, L"关于"},
  };
  std::vector<Row> actual;
  for (const MenuPopup& popup : MenuModel::menuBar()) {
    for (const MenuEntry& entry : popup.entries) {
      actual.push_back({popup.title, entry.separator ? 0 : static_cast<int>(entry.command), entry.label});
    }
  }
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(std::wstring(actual[i].popup), expected[i].popup) << i;
    EXPECT_EQ(actual[i].id, expected[i].id) << i;
    EXPECT_EQ(std::wstring(actual[i].label), expected[i].label) << i;
  }
  EXPECT_EQ(std::wstring(MenuModel::menuBar()[MenuModel::kGamePopupIndex].title), L"游戏");

  for (const Row& row : expected) {
    if (row.id != 0) {
      EXPECT_EQ(MenuModel::commandFromId(row.id), static_cast<MenuCommand>(row.id));
    }
  }
  for (int id : {-1, 0, 99, 104, 199, 210, 299, 305, 0x10000 + 100}) {
    EXPECT_FALSE(MenuModel::commandFromId(id).has_value()) << id;
  }
}

TEST(MenuModelTest, UndoStopAndReviewFollowTheGame) {
  struct Case {
    const char* name;
    bool active, review;
    GameState state;
    bool stopped;
    bool undo, stop;
    const wchar_t* stopLabel;
    const wchar_t* reviewLabel;
    bool connecting = false;
  };
  const wchar_t* stopText = L"停止当前对局";
  const wchar_t* resumeText = L"恢复当前对局";
  const wchar_t* enter = L"进入复盘模式";
  const wchar_t* leave = L"退出复盘模式";
  const Case cases[] = {
      {"no game", false, false, PLAYING, false, false, false, stopText, enter},
      {"game in progress", true, false, PLAYING, false, true, true, stopText, enter},
      {"finished game", true, false, RED_WIN, false, false, false, stopText, enter},
      {"draw", true, false, DRAW, false, false, false, stopText, enter},
      {"review of a game", true, true, REVIEW, false, false, false, stopText, leave},
      {"stopped game", false, false, PLAYING, true, false, true, resumeText, enter},
      {"stopped game under review", false, true, REVIEW, true, false, true, resumeText, leave},
      {"loaded record waiting for a mode", false, false, BLACK_WIN, false, false, false, stopText, enter},
      // The stopped flag with a game in progress reads as stop, not resume.
      {"stopped flag while playing", true, false, PLAYING, true, true, true, stopText, enter},
      {"a LAN connect under way", false, false, PLAYING, false, false, true, stopText, enter, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (GameMode mode : {MODE_PVP, MODE_PVE, MODE_LAN}) {
      SessionStatus status{c.active, c.review, c.state, c.stopped, mode, mode == MODE_LAN, mode == MODE_LAN};
      status.lanConnectPending = c.connecting;
      for (bool professional : {false, true}) {
        const std::vector<MenuItemState> states = MenuModel::itemStates(status, professional);
        ASSERT_EQ(states.size(), 19u);
        for (const MenuItemState& item : states) {
          SCOPED_TRACE(static_cast<int>(item.command));
          EXPECT_EQ(item, MenuModel::itemState(item.command, status, professional));
          switch (item.command) {
            case MenuCommand::Undo: EXPECT_EQ(item.enabled, c.undo); break;
            case MenuCommand::StopOrResume:
              EXPECT_EQ(item.enabled, c.stop);
              EXPECT_EQ(item.label, c.stopLabel);
              break;
            case MenuCommand::Review:
              EXPECT_TRUE(item.enabled);
              EXPECT_EQ(item.label, c.reviewLabel);
              break;
            default: EXPECT_TRUE(item.enabled);
          }
          EXPECT_EQ(item.checked, item.command == MenuCommand::ProfessionalNotation && professional);
        }
      }
    }
  }
}

}  // namespace
}  // namespace Tavrune
