#include "app/BoardKeys.h"

#include "app/VirtualKeys.h"

namespace Tavrune {

namespace {

using VirtualKey::letter;

BoardKeyAction only(BoardKeyCommand command) { return {command, CursorStep{}}; }
BoardKeyAction moveMain(CursorStep step) { return {BoardKeyCommand::MoveMainCursor, step}; }
BoardKeyAction movePlayer2(int32_t dx, int32_t dy) { return {BoardKeyCommand::MovePlayer2Cursor, {dx, dy}}; }

}  // namespace

bool BoardKeys::isPlayer2Letter(uint32_t virtualKey) {
  for (char c : {'A', 'C', 'D', 'F', 'S', 'V', 'W', 'X', 'Z'}) {
    if (virtualKey == letter(c)) return true;
  }
  return false;
}

std::optional<Position> BoardKeys::stepCursor(Position cursor, CursorStep step) {
  const Position next{cursor.x + step.dx, cursor.y + step.dy};
  if (!next.isValid()) return std::nullopt;
  return next;
}

std::optional<CursorStep> BoardKeys::arrowStep(uint32_t virtualKey, bool boardFlipped) {
  const int32_t sign = boardFlipped ? -1 : 1;
  switch (virtualKey) {
    case VirtualKey::Left: return CursorStep{-sign, 0};
    case VirtualKey::Right: return CursorStep{sign, 0};
    case VirtualKey::Up: return CursorStep{0, -sign};
    case VirtualKey::Down: return CursorStep{0, sign};
    default: return std::nullopt;
  }
}

std::optional<BoardKeyAction> BoardKeys::player2Action(uint32_t virtualKey, int32_t scheme, bool boardFlipped) {
  // Vertical keys follow the flipped board; the horizontal ones never do.
  const int32_t up = boardFlipped ? 1 : -1;
  if (scheme == 1) {
    if (virtualKey == letter('Z')) return movePlayer2(1, 0);
    if (virtualKey == letter('C')) return movePlayer2(-1, 0);
    if (virtualKey == letter('X')) return movePlayer2(0, up);
    if (virtualKey == letter('S')) return movePlayer2(0, -up);
    if (virtualKey == letter('V')) return only(BoardKeyCommand::SelectOrDropPlayer2);
  } else if (scheme == 2) {
    if (virtualKey == letter('A')) return movePlayer2(1, 0);
    if (virtualKey == letter('D')) return movePlayer2(-1, 0);
    if (virtualKey == letter('S')) return movePlayer2(0, up);
    if (virtualKey == letter('W')) return movePlayer2(0, -up);
    if (virtualKey == letter('F')) return only(BoardKeyCommand::SelectOrDropPlayer2);
  }
  return std::nullopt;
}

BoardKeyAction BoardKeys::actionFor(uint32_t virtualKey, const BoardKeySituation& situation) {
  const std::optional<CursorStep> arrow = arrowStep(virtualKey, situation.boardFlipped);

  if (situation.reviewOpen) {
    switch (virtualKey) {
      case VirtualKey::PageUp: return only(BoardKeyCommand::ReviewPreviousStep);
      case VirtualKey::PageDown: return only(BoardKeyCommand::ReviewNextStep);
      case VirtualKey::F1: return only(BoardKeyCommand::ReviewJumpToStep);
      case VirtualKey::Escape: return only(BoardKeyCommand::LeaveReview);
      case VirtualKey::Return: return only(BoardKeyCommand::AnnounceMainCursorPiece);
      default: break;
    }
    if (virtualKey == letter('P')) return only(BoardKeyCommand::ReviewJumpToStep);
    if (arrow) return moveMain(*arrow);
    // In review the player-2 confirm key reads the piece instead of picking it up.
    if (std::optional<BoardKeyAction> p2 = player2Action(virtualKey, situation.player2Scheme, situation.boardFlipped)) {
      if (p2->command == BoardKeyCommand::SelectOrDropPlayer2) return only(BoardKeyCommand::AnnouncePlayer2CursorPiece);
      return *p2;
    }
    return only(BoardKeyCommand::None);
  }

  if (!situation.gameActive) {
    if (virtualKey == VirtualKey::Escape) return only(BoardKeyCommand::CancelSelection);
    if (virtualKey == VirtualKey::Return || arrow || isPlayer2Letter(virtualKey)) {
      return only(BoardKeyCommand::PromptForGameMode);
    }
    return only(BoardKeyCommand::None);
  }

  if (virtualKey == VirtualKey::Return) return only(BoardKeyCommand::SelectOrDropMain);
  if (virtualKey == VirtualKey::Escape) return only(BoardKeyCommand::CancelSelection);
  if (arrow) return moveMain(*arrow);
  if (situation.player2Scheme == 0) {
    if (isPlayer2Letter(virtualKey)) return only(BoardKeyCommand::ChoosePlayer2Scheme);
    return only(BoardKeyCommand::None);
  }
  if (std::optional<BoardKeyAction> p2 = player2Action(virtualKey, situation.player2Scheme, situation.boardFlipped)) {
    return *p2;
  }
  return only(BoardKeyCommand::None);
}

Player2SchemeChoice BoardKeys::schemeChoice(bool yesPressed) {
  if (yesPressed) return {1, L"已选择 zxcv 键盘方案", "Player2 key scheme: ZXCV"};
  return {2, L"已选择 wasd 键盘方案", "Player2 key scheme: WASD"};
}

}  // namespace Tavrune
