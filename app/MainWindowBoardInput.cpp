// Board keys, both cursors, select-or-drop and keypad notation entry: the window carries
// out what BoardKeys, SelectionFeedback and NotationEntry decide.
#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/BoardKeys.h"
#include "app/MainWindow.h"
#include "app/ProgramMessages.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "engine/PveController.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"
#include "game/SelectionController.h"
#include "lan/LANGameController.h"

namespace Tavrune {

void MainWindow::applyNotationTimer(const NotationTimerRequest& request) {
  if (!hwnd) return;
  if (request.kind == NotationTimerRequest::Start) SetTimer(hwnd, TIMER_NOTATION_INPUT, request.periodMs, nullptr);
  if (request.kind == NotationTimerRequest::Stop) KillTimer(hwnd, TIMER_NOTATION_INPUT);
}

void MainWindow::applyNotationSettings() {
  applyNotationTimer(notationEntry.setSettings({a11yConfig.windowsNumpadNotationInputEnabled,
                                                a11yConfig.windowsMainKeyboardNotationInputEnabled,
                                                a11yConfig.windowsNumpadFrontBackAlias82Enabled,
                                                a11yConfig.windowsNumpadInputTimeoutMs}));
}

void MainWindow::resetNotationInput() { applyNotationTimer(notationEntry.cancel()); }

void MainWindow::handleNotationTimeout() {
  const NotationOutcome out = notationEntry.onTimeout();
  for (const std::wstring& notice : out.notices) announcer->announce(notice);
  applyNotationTimer(out.timer);
}

bool MainWindow::handleNotationKey(WPARAM virtualKey) {
  NotationTurn turn{gameActive, reviewManager->isActive(), gameMode, humanColor, false, readingSide(), L""};
  if (gameMode == MODE_LAN && lanController) {
    turn.lanLocalTurn = lanController->isMyTurn();
    turn.lanRefusal = lanMoveRefusal().value_or(L"");
  }
  turn.engineUnavailable = pveController->hasGivenUp() && isEngineTurnNow();
  const NotationOutcome out = notationEntry.handleKey(static_cast<uint32_t>(virtualKey),
                                                      (GetKeyState(VK_NUMLOCK) & 1) != 0, turn, *gameEngine);
  for (const std::wstring& notice : out.notices) announcer->announce(notice);
  applyNotationTimer(out.timer);
  if (out.playedMove) {
    // The game's move callback speaks the move; here only the cursor follows it.
    const Position target = out.playedMove->to;
    if (out.mainCursorFollows) {
      cursor = target;
      selected = Position{};
      accessibility->setViewSide(humanColor);
    } else {
      player2Cursor = target;
      player2Selected = Position{};
      accessibility->setViewSide(otherColor(humanColor));
    }
    focusAfterMove = target;
    InvalidateRect(hwnd, nullptr, FALSE);
    reportHumanMove(*out.playedMove);
    sendMoveToLanPeer(*out.playedMove);
  }
  return out.consumed;
}

void MainWindow::handleKeyPress(WPARAM virtualKey) {
  if (handleNotationKey(virtualKey)) return;
  const BoardKeyAction action = BoardKeys::actionFor(
      static_cast<uint32_t>(virtualKey), {reviewManager->isActive(), gameActive, player2Scheme, boardFlipped});
  switch (action.command) {
    case BoardKeyCommand::None: break;
    case BoardKeyCommand::ReviewPreviousStep: reviewManager->previousStep(); break;
    case BoardKeyCommand::ReviewNextStep: reviewManager->nextStep(); break;
    case BoardKeyCommand::ReviewJumpToStep: reviewManager->jumpToStep(); break;
    case BoardKeyCommand::LeaveReview: leaveReview(); break;
    case BoardKeyCommand::AnnounceMainCursorPiece: announcePieceAt(cursor); break;
    case BoardKeyCommand::AnnouncePlayer2CursorPiece: announcePieceAt(player2Cursor); break;
    case BoardKeyCommand::MoveMainCursor: moveBoardCursor(false, action.step); break;
    case BoardKeyCommand::MovePlayer2Cursor: moveBoardCursor(true, action.step); break;
    case BoardKeyCommand::SelectOrDropMain: selectOrDrop(SelectionFeedback::Cursor::Main); break;
    case BoardKeyCommand::SelectOrDropPlayer2: selectOrDrop(SelectionFeedback::Cursor::Player2); break;
    case BoardKeyCommand::ChoosePlayer2Scheme: choosePlayer2Scheme(); break;
    case BoardKeyCommand::CancelSelection:
      selected = Position{};
      announcer->announce(BoardKeys::kCancelSelectionText);
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case BoardKeyCommand::PromptForGameMode: promptForGameMode(); break;
  }
}

void MainWindow::moveBoardCursor(bool player2, CursorStep step) {
  Position& moving = player2 ? player2Cursor : cursor;
  const std::optional<Position> next = BoardKeys::stepCursor(moving, step);
  if (!next) return;  // off the board: silent
  moving = *next;
  accessibility->setViewSide(player2 ? otherColor(humanColor) : humanColor);
  logInfo(std::string(player2 ? "Opponent" : "Main") + " cursor moved to: (" + std::to_string(moving.x) + ", " +
          std::to_string(moving.y) + ")");
  accessibility->notifyCellChanged(moving, gameEngine->getBoard().getPiece(moving));
  accessibility->setFocusCell(moving);
  // Heard where the cursor now is, from the seat of the player who moved it.
  if (audioReady()) audioManager->playCursorSound(moving, player2 ? otherColor(humanColor) : humanColor);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void MainWindow::selectOrDropAtCursor() { selectOrDrop(SelectionFeedback::Cursor::Main); }

void MainWindow::selectOrDrop(SelectionFeedback::Cursor which) {
  const bool main = which == SelectionFeedback::Cursor::Main;
  if (const std::optional<std::wstring> refusal = SelectionFeedback::refusalBeforeSelect(which, gameActive, gameMode)) {
    announcer->announce(*refusal);
    return;
  }
  if (main) {
    if (const std::optional<std::wstring> refusal = lanMoveRefusal()) {
      announcer->announce(*refusal);
      return;
    }
    if (announceEngineTurnUnplayable()) return;
  }
  Position& point = main ? cursor : player2Cursor;
  Position& selection = main ? selected : player2Selected;
  const bool hadSelection = selection.isValid();
  const SelectionResult result =
      SelectionController::handleSelect(point, selection, *gameEngine, ai && ai->isThinking(), gameMode, main,
                                        reviewManager->isActive(), main ? humanColor : NONE);
  const PieceColor speakingSide = main ? humanColor : otherColor(humanColor);
  const SelectionReaction reaction =
      SelectionFeedback::react(which, result, hadSelection, a11yConfig.liftOrSelectReadPieceName, point, speakingSide,
                               gameMode, getPieceColor(gameEngine->getBoard().getPiece(point)));
  if (reaction.selection == SelectionReaction::Selection::Clear) selection = Position{};
  if (reaction.selection == SelectionReaction::Selection::Set) selection = reaction.newSelection;
  if (!reaction.notice.empty()) announcer->announce(reaction.notice);
  if (reaction.playMoveSound && audioReady()) audioManager->playMoveSound(result.move, result.givesCheck, humanColor);
  if (reaction.repaint) InvalidateRect(hwnd, nullptr, FALSE);
  if (reaction.reportHumanMove) reportHumanMove(result.move);
  if (reaction.sendToLanPeer) sendMoveToLanPeer(result.move);
}

void MainWindow::choosePlayer2Scheme() {
  const int answer = MessageBoxW(hwnd, BoardKeys::kSchemeChooserText, BoardKeys::kSchemeChooserCaption, MB_YESNO);
  const Player2SchemeChoice choice = BoardKeys::schemeChoice(answer == IDYES);
  player2Scheme = choice.scheme;
  announcer->announce(choice.statusText);
  logInfo(choice.logText);
  saveSettings();
}

void MainWindow::promptForGameMode() {
  announcer->announce(BoardKeys::kChooseGameModeText);
  showGamePopup();
}

}  // namespace Tavrune
