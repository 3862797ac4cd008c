#pragma once
// What a board key does once notation entry has declined it: move a cursor, pick up or
// put down, step through a review, or prompt. Pure functions of the key and the window's
// situation; the window carries the command out.
#include <cstdint>
#include <optional>
#include <string>

#include "game/ChessTypes.h"

namespace Tavrune {

struct CursorStep {
  int32_t dx = 0;
  int32_t dy = 0;
  friend constexpr bool operator==(const CursorStep&, const CursorStep&) = default;
};

enum class BoardKeyCommand {
  None,
  ReviewPreviousStep,          // ReviewManager::previousStep
  ReviewNextStep,              // ReviewManager::nextStep
  ReviewJumpToStep,            // ReviewManager::jumpToStep
  LeaveReview,
  AnnounceMainCursorPiece,     // announcePieceAt(cursor)
  AnnouncePlayer2CursorPiece,  // announcePieceAt(player2Cursor)
  MoveMainCursor,              // by step
  MovePlayer2Cursor,           // by step
  SelectOrDropMain,
  SelectOrDropPlayer2,
  ChoosePlayer2Scheme,         // the key itself is dropped
  CancelSelection,             // main selection cleared, "取消选择", repaint
  PromptForGameMode,           // "请从菜单选择游戏模式" and the 游戏 menu popup
};

struct BoardKeyAction {
  BoardKeyCommand command = BoardKeyCommand::None;
  CursorStep step;  // for the two cursor moves
  friend constexpr bool operator==(const BoardKeyAction&, const BoardKeyAction&) = default;
};

struct BoardKeySituation {
  bool reviewOpen = false;
  bool gameActive = false;
  int32_t player2Scheme = 0;  // 0 not chosen, 1 ZXCV, 2 WASD
  bool boardFlipped = false;
};

struct Player2SchemeChoice {
  int32_t scheme = 0;
  std::wstring statusText;  // spoken, and kept in the notice history like every notice
  std::string logText;
};

class BoardKeys {
 public:
  static constexpr wchar_t kCancelSelectionText[] = L"取消选择";
  static constexpr wchar_t kChooseGameModeText[] = L"请从菜单选择游戏模式";
  static constexpr wchar_t kSchemeChooserCaption[] = L"选择键盘方案";
  static constexpr wchar_t kSchemeChooserText[] =
      L"请选择玩家2的键盘方案：\n\n方案1：zxcv 方案（屏幕视角）\n  Z键=右  C键=左  X键=上  S键=下  V键=确认\n\n"
      L"方案2：wasd 方案（对面视角）\n  A键=右  D键=左  W键=下  S键=上  F键=确认\n  （适合面对面下棋，方向与对方相反）\n\n"
      L"点击「是」使用 zxcv 方案\n点击「否」使用 wasd 方案";

  static BoardKeyAction actionFor(uint32_t virtualKey, const BoardKeySituation& situation);
  // The point one step away, or none off the board (a silent step: no sound, no speech).
  static std::optional<Position> stepCursor(Position cursor, CursorStep step);
  // The arrows move the main cursor; on the flipped board both axes are reversed.
  static std::optional<CursorStep> arrowStep(uint32_t virtualKey, bool boardFlipped);
  // The player-2 keys of a scheme; only the vertical ones follow the flipped board.
  static std::optional<BoardKeyAction> player2Action(uint32_t virtualKey, int32_t scheme, bool boardFlipped);
  static bool isPlayer2Letter(uint32_t virtualKey);
  // The answer of the scheme chooser's Yes/No box.
  static Player2SchemeChoice schemeChoice(bool yesPressed);
};

}  // namespace Tavrune
