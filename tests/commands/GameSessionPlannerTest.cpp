// Session decisions: the side box and its answers, switching sides, the engine's turn,
// stopping and resuming, undo, and the notice after the engine's first start.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "app/EngineReadyNotice.h"
#include "app/GameSessionPlanner.h"

namespace Tavrune {
namespace {

TEST(GameSessionPlannerTest, SeatsFromTheSideBoxAPositionAndASwitch) {
  const struct {
    const char* name;
    SeatChoice seat;
    SeatChoice expected;
  } cases[] = {
      {"side box Yes", GameSessionPlanner::seatFromSideAnswer(BoxAnswer::Yes),
       {true, RED, false, L"您执红棋先行", "PVE mode: Player chooses RED (first), board not flipped"}},
      {"side box No", GameSessionPlanner::seatFromSideAnswer(BoxAnswer::No),
       {true, BLACK, true, L"您执黑棋后手", "PVE mode: Player chooses BLACK (second), board flipped"}},
      {"side box Cancel", GameSessionPlanner::seatFromSideAnswer(BoxAnswer::Cancel),
       {false, RED, false, L"取消游戏", "PVE mode: User cancelled"}},
      {"loaded position, Red to move", GameSessionPlanner::seatFromPosition(RED),
       {true, RED, false, L"从当前棋局继续人机对弈，您执红棋", ""}},
      {"loaded position, Black to move", GameSessionPlanner::seatFromPosition(BLACK),
       {true, BLACK, true, L"从当前棋局继续人机对弈，您执黑棋", ""}},
      {"switch from Red", GameSessionPlanner::switchedSeat(RED),
       {true, BLACK, true, L"执黑后手", "Switch player color: BLACK, board flipped"}},
      {"switch from Black", GameSessionPlanner::switchedSeat(BLACK),
       {true, RED, false, L"执红先行", "Switch player color: RED, board not flipped"}},
      {"switch from no side", GameSessionPlanner::switchedSeat(NONE),
       {true, RED, false, L"执红先行", "Switch player color: RED, board not flipped"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.seat.start, c.expected.start);
    EXPECT_EQ(c.seat.humanColor, c.expected.humanColor);
    EXPECT_EQ(c.seat.boardFlipped, c.expected.boardFlipped);
    EXPECT_EQ(c.seat.notice, c.expected.notice);
    EXPECT_EQ(c.seat.logLine, c.expected.logLine);
  }
}

TEST(GameSessionPlannerTest, EngineTurn) {
  const struct {
    GameMode mode;
    GameState state;
    PieceColor toMove, human;
    bool engineTurn;
  } cases[] = {
      {MODE_PVE, PLAYING, RED, BLACK, true},   // the player took Black: the engine opens
      {MODE_PVE, PLAYING, BLACK, RED, true},   {MODE_PVE, PLAYING, RED, RED, false},
      {MODE_PVE, RED_WIN, RED, BLACK, false},  {MODE_PVE, REVIEW, RED, BLACK, false},
      {MODE_PVP, PLAYING, RED, BLACK, false},  {MODE_LAN, PLAYING, RED, BLACK, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GameSessionPlanner::isEngineTurn(c.mode, c.state, c.toMove, c.human), c.engineTurn)
        << c.mode << " " << c.state << " " << c.toMove << " " << c.human;
  }
}

TEST(GameSessionPlannerTest, StopResumeAndUndo) {
  SessionStatus playing{true, false, PLAYING, false, MODE_PVE};
  SessionStatus lan{true, false, PLAYING, false, MODE_LAN, true, true};
  SessionStatus lanIdle = lan;
  lanIdle.lanControllerBusy = false;
  SessionStatus lanWithoutController{true, false, PLAYING, false, MODE_LAN};
  SessionStatus stopped{false, false, PLAYING, true, MODE_PVE};
  SessionStatus finished{true, false, BLACK_WIN, false, MODE_PVP};
  SessionStatus connecting{false, false, PLAYING, false, MODE_PVE, true, true};
  connecting.lanConnectPending = true;
  SessionStatus playingWhileConnecting = connecting;
  playingWhileConnecting.gameActive = true;

  const struct {
    const char* name;
    SessionStatus status;
    StopOrResume command;
    bool stops, leaveRoom, snapshot;
    const wchar_t* notice;
    const wchar_t* noticeAfter = L"";
  } cases[] = {
      {"engine game", playing, StopOrResume::Stop, true, false, true, L"已停止当前对局，可在游戏菜单恢复"},
      {"LAN game", lan, StopOrResume::Stop, true, true, false, L"已停止当前对局，请从游戏菜单选择模式开始"},
      {"LAN game, controller idle", lanIdle, StopOrResume::Stop, true, false, false,
       L"已停止当前对局，请从游戏菜单选择模式开始"},
      {"LAN mode without a controller", lanWithoutController, StopOrResume::Stop, true, false, true,
       L"已停止当前对局，可在游戏菜单恢复"},
      {"finished game", finished, StopOrResume::Stop, false, false, false, L"当前没有进行中的对局"},
      {"stopped game", stopped, StopOrResume::Resume, false, false, false, L"当前没有进行中的对局"},
      // A connect under way is given up, and said so.
      {"connect under way", connecting, StopOrResume::Stop, false, true, false, L"已取消连接"},
      {"engine game while a connect is under way", playingWhileConnecting, StopOrResume::Stop, true, true, true,
       L"已停止当前对局，可在游戏菜单恢复", L"已取消连接"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GameSessionPlanner::stopOrResume(c.status), c.command);
    const StopPlan plan = GameSessionPlanner::stopPlan(c.status);
    EXPECT_EQ(plan.stops, c.stops);
    EXPECT_EQ(plan.leaveLanRoom, c.leaveRoom);
    EXPECT_EQ(plan.keepSnapshot, c.snapshot);
    EXPECT_EQ(plan.notice, c.notice);
    EXPECT_EQ(plan.noticeAfter, c.noticeAfter);
  }

  EXPECT_EQ(GameSessionPlanner::undoRefusal(PLAYING), L"");
  for (GameState over : {RED_WIN, BLACK_WIN, DRAW, REVIEW}) {
    EXPECT_EQ(GameSessionPlanner::undoRefusal(over), L"游戏已结束，无法悔棋") << over;
  }
}

TEST(GameSessionPlannerTest, WhatACommandGivesUpOrLeavesFirst) {
  SessionStatus connecting{true, false, PLAYING, false, MODE_PVP, true, true};
  connecting.lanConnectPending = true;
  SessionStatus stoppedWhileConnecting = connecting;
  stoppedWhileConnecting.gameActive = false;
  stoppedWhileConnecting.gameStopped = true;
  const SessionStatus lanOver{true, false, RED_WIN, false, MODE_LAN, true, true};
  const SessionStatus lanReview{true, true, REVIEW, false, MODE_LAN, true, true};

  // Before any box, by each command that replaces the game or starts a LAN set-up.
  const struct {
    MenuCommand command;
    SessionStatus status;
    bool givesUp;
  } connects[] = {
      {MenuCommand::NewGame, connecting, true},        {MenuCommand::LoadScore, connecting, true},
      {MenuCommand::TwoPlayerMode, connecting, true},  {MenuCommand::EngineMode, connecting, true},
      {MenuCommand::LanMode, connecting, true},        {MenuCommand::StopOrResume, stoppedWhileConnecting, true},
      {MenuCommand::StopOrResume, connecting, false},  // stopping gives it up in its own plan
      {MenuCommand::Draw, connecting, false},          {MenuCommand::LanMode, lanOver, false},
  };
  for (const auto& c : connects) {
    EXPECT_EQ(GameSessionPlanner::givesUpConnectFirst(c.command, c.status), c.givesUp)
        << static_cast<int>(c.command) << " " << c.status.gameStopped;
  }

  const struct {
    MenuCommand command;
    SessionStatus status;
    bool exitReview, leaveRoom;
  } cases[] = {
      {MenuCommand::EngineMode, lanOver, false, true},
      {MenuCommand::LanMode, lanOver, false, true},
      {MenuCommand::LoadScore, lanOver, false, false},  // the record's choice leaves it
      {MenuCommand::TwoPlayerMode, lanReview, true, true},
  };
  for (const auto& c : cases) {
    const ModeSwitchPlan plan = GameSessionPlanner::modeSwitchPlan(c.command, c.status);
    EXPECT_EQ(std::make_tuple(plan.exitReview, plan.leaveLanRoom), std::make_tuple(c.exitReview, c.leaveRoom))
        << static_cast<int>(c.command) << " " << c.status.gameState;
  }
}

TEST(EngineReadyNoticeTest, NamesTheBuildAndComparesItWithTheBest) {
  const std::map<std::string, std::string> names = {{"pikafish-avx2.exe", "AVX2 版"},
                                                    {"pikafish-sse41-popcnt.exe", "SSE4.1 版"}};
  const EngineReadyNotice::Describe describe = [&](const std::string& file) {
    auto found = names.find(file);
    return found == names.end() ? file : found->second;
  };
  const std::string best = "pikafish-avx2.exe";
  const std::string older = "pikafish-sse41-popcnt.exe";
  const std::wstring head = L"AI引擎加载成功\n\n";
  const std::wstring differs = L"当前 CPU 的最优推荐是：\nAVX2 版\n\n您可以在设置中更改引擎";
  const struct {
    const char* name;
    bool autoSelect;
    std::string variant, inUse;
    std::wstring text;
    std::string log;
  } cases[] = {
      {"auto-selection", true, older, best,
       head + L"已为您自动选择最优引擎：\nAVX2 版\n\n这是根据您的 CPU 特性推荐的最佳版本",
       "Engine selection: Auto-selected pikafish-avx2.exe"},
      // "auto" names no build: the one started is named.
      {"variant auto", false, "auto", best, head + L"当前使用默认引擎：\nAVX2 版\n\n这正是当前 CPU 的最优推荐！",
       "Engine selection: Using default optimal engine pikafish-avx2.exe"},
      {"default build, not the best", false, "pikafish.exe", "pikafish.exe",
       head + L"当前使用默认引擎：\npikafish.exe\n\n" + differs,
       "Engine selection: Using default engine pikafish.exe, best is pikafish-avx2.exe"},
      {"user's choice is the best", false, best, best, head + L"您选择了：\nAVX2 版\n\n这正是当前 CPU 的最优推荐！",
       "Engine selection: User selected optimal engine pikafish-avx2.exe"},
      {"user's choice is not the best", false, older, older, head + L"您选择了：\nSSE4.1 版\n\n" + differs,
       "Engine selection: User selected pikafish-sse41-popcnt.exe, best is pikafish-avx2.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const EngineNoticeText notice = EngineReadyNotice::compose(c.autoSelect, c.variant, c.inUse, best, describe);
    EXPECT_EQ(notice.text, c.text);
    EXPECT_EQ(notice.logLine, c.log);
  }
}

}  // namespace
}  // namespace Tavrune
