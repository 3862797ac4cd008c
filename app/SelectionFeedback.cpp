#include "app/SelectionFeedback.h"

#include "game/Notation.h"

namespace Tavrune {

using Selection = SelectionReaction::Selection;

std::optional<std::wstring> SelectionFeedback::refusalBeforeSelect(Cursor cursor, bool gameActive, GameMode mode) {
  if (!gameActive) return L"当前未开始对局，请从游戏菜单选择模式";
  if (cursor == Cursor::Player2 && mode == MODE_LAN) return L"局域网对战中玩家2只能浏览，不能走棋";
  return std::nullopt;
}

SelectionReaction SelectionFeedback::react(Cursor cursor, const SelectionResult& result, bool hadSelection,
                                           bool readPieceName, Position cursorPoint, PieceColor speakingSide,
                                           GameMode mode, PieceColor atCursor) {
  const bool main = cursor == Cursor::Main;
  SelectionReaction r;
  switch (result.code) {
    case SelectionResult::None:
      if (main) r.notice = L"复盘模式下不能走棋，按ESC退出复盘";
      break;
    case SelectionResult::GameOver:
      // The first Enter after the end only drops the piece in hand.
      if (hadSelection) {
        r.selection = Selection::Clear;
        r.repaint = true;
      } else {
        r.notice = L"游戏已结束，请开始新游戏";
      }
      break;
    case SelectionResult::NotYourTurn:
      if (hadSelection) {
        r.selection = Selection::Clear;
        r.repaint = true;
      }
      r.notice = L"AI正在思考，请稍候";
      break;
    case SelectionResult::BrowseOnly:
      if (!main) r.notice = L"人机对战模式下，只能浏览棋盘，不能走棋";
      break;
    case SelectionResult::PieceSelected:
      r.selection = Selection::Set;
      r.newSelection = result.selected;
      if (readPieceName) r.notice = Notation::selectionText(cursorPoint, result.selectedPiece, speakingSide);
      r.repaint = true;
      break;
    case SelectionResult::WrongSide: {
      // In a LAN game the player's own piece is refused only because the peer is to move.
      const bool ownPiece = main && mode == MODE_LAN && atCursor == speakingSide;
      r.notice = ownPiece ? L"当前未轮到你走棋" : L"不能选择对方的棋子";
      break;
    }
    case SelectionResult::EmptySquare:
      r.notice = L"这里没有棋子";
      break;
    case SelectionResult::Moved:
      r.selection = Selection::Clear;
      r.playMoveSound = true;
      r.repaint = true;
      r.reportHumanMove = true;
      // Only the main cursor's moves go to a LAN peer.
      r.sendToLanPeer = main && mode == MODE_LAN;
      break;
    case SelectionResult::IllegalMove:
      r.notice = L"无效的移动";
      r.selection = Selection::Clear;
      r.repaint = true;
      break;
  }
  return r;
}

}  // namespace Tavrune
