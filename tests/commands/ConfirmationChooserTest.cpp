// Which boxes each command shows before it acts, for the states the window can be in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConfirmationChooser.h"

namespace Tavrune {
namespace {

using Kind = MessageBoxKind;

SessionStatus none() { return SessionStatus{}; }
SessionStatus playing(GameMode mode) {
  SessionStatus s{true, false, PLAYING, false, mode, mode == MODE_LAN, mode == MODE_LAN};
  s.lanCanResign = mode == MODE_LAN;
  return s;
}
SessionStatus finished(GameMode mode) {
  SessionStatus s = playing(mode);
  s.gameState = RED_WIN;
  s.lanCanResign = false;
  return s;
}
SessionStatus reviewing(GameMode mode) {
  SessionStatus s = finished(mode);
  s.reviewActive = true;
  s.gameState = REVIEW;
  return s;
}
SessionStatus stopped() {
  SessionStatus s;
  s.gameStopped = true;
  return s;
}
SessionStatus stoppedUnderReview() {
  SessionStatus s = reviewing(MODE_PVP);
  s.gameActive = false;
  s.gameStopped = true;
  return s;
}
SessionStatus connecting(SessionStatus s) {
  s.lanControllerExists = s.lanControllerBusy = s.lanConnectPending = true;
  return s;
}
SessionStatus lanWithoutController() {
  SessionStatus s = finished(MODE_LAN);
  s.lanControllerExists = s.lanControllerBusy = false;
  return s;
}

struct Box {
  Kind kind;
  const wchar_t* caption;
  const wchar_t* text;
  const wchar_t* notice;
};

struct Case {
  const char* name;
  MenuCommand command;
  SessionStatus status;
  std::vector<Box> boxes;
};

constexpr const wchar_t* kSuspendedNew = L"当前存在已挂起对局，开始新局将丢弃该挂起对局，是否继续？";
constexpr const wchar_t* kSuspendedLoad = L"当前存在已挂起对局，加载棋谱将丢弃该挂起对局，是否继续？";
constexpr const wchar_t* kSuspendedMode = L"当前存在已挂起对局，切换模式将丢弃该挂起对局，是否继续？";
constexpr const wchar_t* kModeReview = L"当前处于复盘模式，切换模式将退出复盘并重建会话，是否继续？";
constexpr const wchar_t* kModePlaying = L"当前对局正在进行，切换模式将结束当前对局，是否继续？";
constexpr const wchar_t* kModeLan = L"当前为局域网对战，切换模式将离开房间并结束当前对局，是否继续？";

TEST(ConfirmationChooserTest, BoxesPerCommandAndState) {
  const Box newGameReview{Kind::YesNoQuestion, L"确认新游戏",
                          L"当前处于复盘模式，开始新局将退出复盘并替换当前内容，是否继续？", L""};
  const Box yesNoCancelSwitch{Kind::YesNoCancelQuestion, L"切换执红/黑",
                              L"请选择切换方式：\n\n【是】切色并重开\n【否】仅切色不重开\n【取消】保持不变", L""};
  const std::vector<Case> cases = {
      {"new game, nothing running", MenuCommand::NewGame, none(), {}},
      {"new game after a finished game", MenuCommand::NewGame, finished(MODE_PVE), {}},
      {"new game while playing", MenuCommand::NewGame, playing(MODE_PVE),
       {{Kind::YesNoQuestion, L"确认新游戏", L"当前对局正在进行，开始新局将结束当前对局，是否继续？", L""}}},
      {"new game in a LAN game", MenuCommand::NewGame, playing(MODE_LAN),
       {{Kind::YesNoQuestion, L"确认新游戏", L"当前为局域网对战，开始新局将离开房间并结束当前对局，是否继续？", L""}}},
      {"new game in a review", MenuCommand::NewGame, reviewing(MODE_LAN), {newGameReview}},
      {"new game with a stopped game", MenuCommand::NewGame, stopped(),
       {{Kind::YesNoQuestion, L"确认操作", kSuspendedNew, L""}}},
      {"new game with a stopped game under review", MenuCommand::NewGame, stoppedUnderReview(),
       {{Kind::YesNoQuestion, L"确认操作", kSuspendedNew, L""}, newGameReview}},

      {"load, nothing running", MenuCommand::LoadScore, finished(MODE_PVP), {}},
      {"load while playing", MenuCommand::LoadScore, playing(MODE_PVP),
       {{Kind::YesNoQuestion, L"确认加载棋谱", L"当前对局正在进行，加载棋谱将替换当前对局，是否继续？", L""}}},
      {"load in a LAN game", MenuCommand::LoadScore, playing(MODE_LAN),
       {{Kind::YesNoQuestion, L"确认加载棋谱", L"当前为局域网对战，加载棋谱将离开房间并替换当前对局，是否继续？", L""}}},
      {"load in a review", MenuCommand::LoadScore, reviewing(MODE_PVP),
       {{Kind::YesNoQuestion, L"确认加载棋谱", L"当前处于复盘模式，加载棋谱将替换当前复盘内容，是否继续？", L""}}},
      {"load with a stopped game", MenuCommand::LoadScore, stopped(),
       {{Kind::YesNoQuestion, L"确认操作", kSuspendedLoad, L""}}},

      {"two players, nothing running", MenuCommand::TwoPlayerMode, none(), {}},
      {"engine mode while playing", MenuCommand::EngineMode, playing(MODE_PVP),
       {{Kind::YesNoQuestion, L"确认切换模式", kModePlaying, L""}}},
      {"two players from a LAN game", MenuCommand::TwoPlayerMode, playing(MODE_LAN),
       {{Kind::YesNoQuestion, L"确认切换模式", kModeLan, L""}}},
      {"LAN from a LAN game", MenuCommand::LanMode, playing(MODE_LAN),
       {{Kind::YesNoQuestion, L"确认切换模式", L"当前为局域网对战，切换模式将离开当前房间并重建会话，是否继续？", L""}}},
      {"LAN while playing two players", MenuCommand::LanMode, playing(MODE_PVP),
       {{Kind::YesNoQuestion, L"确认切换模式", kModePlaying, L""}}},
      {"LAN from a review", MenuCommand::LanMode, reviewing(MODE_LAN),
       {{Kind::YesNoQuestion, L"确认切换模式", kModeReview, L""}}},
      // A connect under way asks nothing of its own.
      {"two players while a connect waits", MenuCommand::TwoPlayerMode, connecting(none()), {}},
      {"engine mode while playing and a connect waits", MenuCommand::EngineMode, connecting(playing(MODE_PVP)),
       {{Kind::YesNoQuestion, L"确认切换模式", kModePlaying, L""}}},
      {"engine mode with a stopped game", MenuCommand::EngineMode, stopped(),
       {{Kind::YesNoQuestion, L"确认操作", kSuspendedMode, L""}}},
      {"LAN with a stopped game", MenuCommand::LanMode, stopped(),
       {{Kind::YesNoQuestion, L"确认操作", kSuspendedMode, L""}}},

      {"switch sides in a review", MenuCommand::SwitchSides, reviewing(MODE_PVE),
       {{Kind::Information, L"提示", L"复盘模式中不支持切换执红/黑，请先退出复盘", L"复盘模式中不支持切换执红黑"}}},
      {"switch sides in a LAN game", MenuCommand::SwitchSides, playing(MODE_LAN),
       {{Kind::Information, L"提示", L"局域网对战中不支持切换执红/黑，请先结束当前对局",
         L"局域网对战中不支持切换执红黑"}}},
      {"switch sides after a LAN game", MenuCommand::SwitchSides, finished(MODE_LAN), {}},
      {"switch sides while playing", MenuCommand::SwitchSides, playing(MODE_PVE), {yesNoCancelSwitch}},
      {"switch sides with a stopped game", MenuCommand::SwitchSides, stopped(), {}},

      {"review in a LAN game", MenuCommand::Review, playing(MODE_LAN),
       {{Kind::Information, L"提示", L"当前局域网对战会话中暂不支持进入复盘，请先结束当前对局",
         L"局域网对战中暂不支持进入复盘"}}},
      {"review after a LAN game", MenuCommand::Review, finished(MODE_LAN), {}},
      {"leaving a LAN review", MenuCommand::Review, reviewing(MODE_LAN), {}},
      {"review while playing two players", MenuCommand::Review, playing(MODE_PVP), {}},

      {"draw in a LAN game", MenuCommand::Draw, playing(MODE_LAN), {}},
      {"draw in LAN mode before a controller", MenuCommand::Draw, lanWithoutController(),
       {{Kind::Information, L"提示", L"和棋功能仅在局域网对战中可用", L""}}},
      {"draw against the engine", MenuCommand::Draw, playing(MODE_PVE),
       {{Kind::Information, L"提示", L"和棋功能仅在局域网对战中可用", L""}}},
      {"resign in a LAN game", MenuCommand::Resign, playing(MODE_LAN),
       {{Kind::YesNoQuestion, L"确认认输", L"确定要认输吗？", L""}}},
      // The session would not take it: the command says so, unasked.
      {"resign after a LAN game ended", MenuCommand::Resign, finished(MODE_LAN), {}},
      {"resign against the engine", MenuCommand::Resign, playing(MODE_PVE),
       {{Kind::Information, L"提示", L"认输功能仅在局域网对战中可用", L""}}},

      {"undo", MenuCommand::Undo, playing(MODE_PVE), {}},
      {"stop with a stopped game", MenuCommand::StopOrResume, stopped(), {}},
      {"save", MenuCommand::SaveScore, stopped(), {}},
      {"exit while playing", MenuCommand::Exit, playing(MODE_LAN), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<PromptBox> boxes = ConfirmationChooser::boxesFor(c.command, c.status);
    ASSERT_EQ(boxes.size(), c.boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i].kind, c.boxes[i].kind);
      EXPECT_EQ(boxes[i].caption, c.boxes[i].caption);
      EXPECT_EQ(boxes[i].text, c.boxes[i].text);
      EXPECT_EQ(boxes[i].noticeAfter, c.boxes[i].notice);
    }
  }
}

TEST(ConfirmationChooserTest, OnlyTheGoingOnAnswersGoOn) {
  const struct {
    Kind kind;
    BoxAnswer answer;
    bool goesOn;
  } cases[] = {
      {Kind::YesNoQuestion, BoxAnswer::Yes, true},           {Kind::YesNoQuestion, BoxAnswer::No, false},
      {Kind::YesNoQuestion, BoxAnswer::Cancel, false},       {Kind::YesNoCancelQuestion, BoxAnswer::Yes, true},
      {Kind::YesNoCancelQuestion, BoxAnswer::No, true},      {Kind::YesNoCancelQuestion, BoxAnswer::Cancel, false},
      {Kind::Information, BoxAnswer::Ok, false},             {Kind::Error, BoxAnswer::Ok, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConfirmationChooser::goesOn(c.kind, c.answer), c.goesOn)
        << static_cast<int>(c.kind) << " " << static_cast<int>(c.answer);
  }
}

}  // namespace
}  // namespace Tavrune
