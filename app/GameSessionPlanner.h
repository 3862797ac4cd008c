#pragma once
// The decisions and texts of a game session that need no window: the side box against
// the engine and its answers, switching sides, when the engine must move, stopping,
// resuming and taking back moves. The window carries them out.
#include <string>

#include "app/MenuCommand.h"
#include "app/PromptBox.h"
#include "app/SessionStatus.h"
#include "game/ChessTypes.h"

namespace Tavrune {

// The player's side and view after a choice, with what is said and logged about it.
struct SeatChoice {
  bool start = true;  // false: the side box was cancelled and nothing starts
  PieceColor humanColor = RED;
  bool boardFlipped = false;
  std::wstring notice;
  std::string logLine;  // empty when nothing is logged
};

struct StopPlan {
  bool stops = false;           // false: nothing in progress, only the notices are spoken
  bool leaveLanRoom = false;    // leave the room (or give up a connect) and kill the LAN timer
  bool keepSnapshot = false;    // save the game and seat; the stopped flag is set
  std::wstring notice;
  std::wstring noticeAfter;     // spoken after notice when not empty
};

// What a mode command (本地双人, 人机对战, 局域网对战) or a record load closes before it
// starts, once its boxes were answered.
struct ModeSwitchPlan {
  bool exitReview = false;
  bool leaveLanRoom = false;  // leave the room and kill the LAN timer
};

enum class StopOrResume { Stop, Resume };

class GameSessionPlanner {
 public:
  static constexpr const wchar_t* kNewGameNotice = L"开始新游戏";
  static constexpr const wchar_t* kContinueFromScoreNotice = L"从当前棋局继续对弈";
  static constexpr const char* kContinueFromScoreLog =
      "MainWindow::continueGameFromScore - Starting game from loaded score";
  // Command 200 while a loaded position waits.
  static constexpr const wchar_t* kContinueTwoPlayerNotice = L"从当前棋局位置继续双人对弈";
  static constexpr const char* kEngineInitLog = "PVE mode: Initializing AI engine";
  static constexpr const wchar_t* kEngineLoadingStatus = L"正在加载AI引擎...";
  static constexpr const wchar_t* kEngineFailedStatus = L"AI引擎加载失败";
  // The engine answered with a move the game refuses.
  static constexpr const wchar_t* kEngineMoveRefusedNotice = L"引擎走法无效，请悔棋或重新开始";
  // The engine's turn cannot be played: the engine gave up.
  static constexpr const wchar_t* kEngineUnavailableNotice = L"AI引擎不可用，可悔棋、重新开始或改为本地双人";
  static constexpr const wchar_t* kResumedNotice = L"已恢复当前对局";
  static constexpr const wchar_t* kNothingToResumeNotice = L"当前没有可恢复的对局";
  static constexpr const wchar_t* kUndoGameOverNotice = L"游戏已结束，无法悔棋";
  static constexpr const wchar_t* kUndoToOpeningNotice = L"悔棋，回到开局";
  // A command gave up the player's LAN connect under way.
  static constexpr const wchar_t* kConnectCancelledNotice = L"已取消连接";

  static PromptBox sideChoiceBox();
  // Yes: Red, first to move; No: Black, board flipped; Cancel: nothing starts, "取消游戏".
  static SeatChoice seatFromSideAnswer(BoxAnswer answer);
  // Against the engine from a loaded position: the player takes the side to move.
  static SeatChoice seatFromPosition(PieceColor sideToMove);
  // The other side (Red from anything but Red) and its view.
  static SeatChoice switchedSeat(PieceColor humanColor);

  // Against the engine, in a game still being played, with the engine's side to move:
  // the engine must be asked for a move (also right after a session starts, whether or
  // not the engine was loaded before).
  static bool isEngineTurn(GameMode mode, GameState state, PieceColor sideToMove, PieceColor humanColor);

  // Command 209.
  static StopOrResume stopOrResume(const SessionStatus& status);
  static StopPlan stopPlan(const SessionStatus& status);

  // A command that replaces the game or starts a LAN set-up (NewGame, LoadScore, the three
  // mode commands, resuming a stopped game) gives up a connect under way before it asks
  // anything: left to go on, the connect's game would start under its boxes or dialog, or
  // over the game it starts. The command then goes on as with no connect.
  static bool givesUpConnectFirst(MenuCommand command, const SessionStatus& status);

  // Commands TwoPlayerMode, EngineMode, LanMode and LoadScore, with no connect under way.
  static ModeSwitchPlan modeSwitchPlan(MenuCommand command, const SessionStatus& status);

  // Before taking a move back: the refusal to speak, empty when the move may be taken.
  static std::wstring undoRefusal(GameState state);

  static PromptBox engineFailedBox();
};

}  // namespace Tavrune
