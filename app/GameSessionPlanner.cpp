#include "app/GameSessionPlanner.h"

namespace Tavrune {

PromptBox GameSessionPlanner::sideChoiceBox() {
  return PromptBox{MessageBoxKind::YesNoCancelQuestion, L"人机对战 - 选择执棋方",
                        L"您想执红棋（先行）还是执黑棋（后手）？\n\n点击「是」执红棋（先行）\n点击「否」执黑棋（后手）\n"
                        L"点击「取消」不开始游戏",
                        L""};
}

SeatChoice GameSessionPlanner::seatFromSideAnswer(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::Yes:
      return SeatChoice{true, RED, false, L"您执红棋先行", "PVE mode: Player chooses RED (first), board not flipped"};
    case BoxAnswer::No:
      return SeatChoice{true, BLACK, true, L"您执黑棋后手", "PVE mode: Player chooses BLACK (second), board flipped"};
    default:
      return SeatChoice{false, RED, false, L"取消游戏", "PVE mode: User cancelled"};
  }
}

SeatChoice GameSessionPlanner::seatFromPosition(PieceColor sideToMove) {
  const PieceColor human = sideToMove == BLACK ? BLACK : RED;
  return SeatChoice{true, human, human == BLACK,
                    std::wstring(L"从当前棋局继续人机对弈，您执") + (human == RED ? L"红" : L"黑") + L"棋", ""};
}

SeatChoice GameSessionPlanner::switchedSeat(PieceColor humanColor) {
  const PieceColor now = otherColor(humanColor);
  const bool flipped = now == BLACK;
  return SeatChoice{true, now, flipped, now == RED ? L"执红先行" : L"执黑后手",
                    std::string("Switch player color: ") + (now == RED ? "RED" : "BLACK") + ", board " +
                        (flipped ? "flipped" : "not flipped")};
}

bool GameSessionPlanner::isEngineTurn(GameMode mode, GameState state, PieceColor sideToMove,
                                      PieceColor humanColor) {
  return mode == MODE_PVE && state == PLAYING && sideToMove != humanColor;
}

StopOrResume GameSessionPlanner::stopOrResume(const SessionStatus& status) {
  return !status.gameStopped || status.isGameInProgress() ? StopOrResume::Stop : StopOrResume::Resume;
}

StopPlan GameSessionPlanner::stopPlan(const SessionStatus& status) {
  StopPlan plan;
  if (!status.isGameInProgress()) {
    plan.notice = L"当前没有进行中的对局";
  } else if (status.lanCommandsAvailable()) {
    plan.stops = true;
    plan.leaveLanRoom = status.lanControllerBusy;
    plan.notice = L"已停止当前对局，请从游戏菜单选择模式开始";
  } else {
    plan.stops = plan.keepSnapshot = true;
    plan.notice = L"已停止当前对局，可在游戏菜单恢复";
  }
  if (status.lanConnectPending) {
    // Left to go on, the connect would bring its game onto the board after the stop.
    plan.leaveLanRoom = true;
    (plan.stops ? plan.noticeAfter : plan.notice) = kConnectCancelledNotice;
  }
  return plan;
}

bool GameSessionPlanner::givesUpConnectFirst(MenuCommand command, const SessionStatus& status) {
  if (!status.lanConnectPending) return false;
  switch (command) {
    case MenuCommand::NewGame:
    case MenuCommand::LoadScore:
    case MenuCommand::TwoPlayerMode:
    case MenuCommand::EngineMode:
    case MenuCommand::LanMode: return true;
    // Stopping gives the connect up as part of its own plan.
    case MenuCommand::StopOrResume: return stopOrResume(status) == StopOrResume::Resume;
    default: return false;
  }
}

ModeSwitchPlan GameSessionPlanner::modeSwitchPlan(MenuCommand command, const SessionStatus& status) {
  ModeSwitchPlan plan;
  // A record's own choice leaves a LAN game once it is opened.
  if (command == MenuCommand::LoadScore) return plan;
  plan.exitReview = status.reviewActive;
  // Also the room of a finished game: the peer's leave would be heard in the new one.
  plan.leaveLanRoom = status.lanRoomToLeave();
  return plan;
}

std::wstring GameSessionPlanner::undoRefusal(GameState state) {
  return state == PLAYING ? std::wstring() : std::wstring(kUndoGameOverNotice);
}

PromptBox GameSessionPlanner::engineFailedBox() {
  return PromptBox{MessageBoxKind::Error, L"错误", L"AI引擎初始化失败！\n请检查引擎路径设置。", L""};
}

}  // namespace Tavrune
