// Game sessions: starting in a mode, choosing the side against the engine, stopping,
// resuming, switching sides and taking moves back.
#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/GameSessionPlanner.h"
#include "app/MainWindow.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "engine/PveController.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"

namespace Tavrune {

void MainWindow::dropEngineWork() {
  // Replies already asked for belong to the game as it was; the search for them stops.
  invalidateEngineRequests();
  stopEngineSearch();
}

void MainWindow::setSide(PieceColor side, bool flipped) {
  humanColor = side;
  boardFlipped = flipped;
  accessibility->setBoardFlipped(flipped);
  accessibility->setViewSide(side);
  if (audioManager && audioManager->isInitialized()) audioManager->updateListener(side);
}

SessionSeat MainWindow::currentSeat() const {
  return SessionSeat{gameMode, humanColor, boardFlipped, cursor, selected, player2Cursor, player2Selected,
                     loadedPositionPending};
}

void MainWindow::restoreSeat(const SessionSeat& seat) {
  gameMode = seat.gameMode;
  cursor = seat.cursor;
  selected = seat.selected;
  player2Cursor = seat.player2Cursor;
  player2Selected = seat.player2Selected;
  loadedPositionPending = seat.loadedPositionPending;
  setSide(seat.humanColor, seat.boardFlipped);
  accessibility->syncFocus(cursor);
}

bool MainWindow::initAudio() {
  if (!audioManager || !audioConfig.enabled) return false;
  return startAudio();
}

bool MainWindow::startAudio() {
  if (!audioManager) return false;
  if (!audioManager->isInitialized()) {
    if (!audioManager->initialize()) {
      logWarning("Audio system initialization failed, continuing without audio");
      audioManager->setEnabled(false);
      return false;
    }
    logInfo("Audio system initialized successfully");
    pushAudioSettings(*audioManager, audioConfig);
    // A failed start switched the manager off; once started it follows the user's switch.
    // After the settings, so that the music it may bring back plays with them.
    audioManager->setEnabled(audioConfig.enabled);
  }
  return audioManager->isInitialized();
}

void MainWindow::onSoundSwitchedOn() {
  // A game that began with sound off never started the audio; its music is still wanted,
  // so the audio starts now as at the game's start, without the start sound.
  if (!audioManager || audioManager->isInitialized() || !audioManager->isMusicWanted()) return;
  if (initAudio()) audioManager->updateListener(humanColor);
}

void MainWindow::wantGameMusic() {
  // Also while sound is off: switching it on during the game brings the music.
  if (audioManager) audioManager->startBackgroundMusic();
}

void MainWindow::startGameSession(const std::wstring& notice) {
  gameActive = true;
  cursor = Position{4, 5};
  player2Cursor = Position{4, 5};
  selected = Position{-1, -1};
  player2Selected = Position{-1, -1};
  accessibility->setViewSide(humanColor);
  if (initAudio()) {
    audioManager->updateListener(humanColor);
    audioManager->playSound(SOUND_GAME_START);
  }
  wantGameMusic();
  announcer->announce(notice);
  accessibility->syncFocus(cursor);
  updateMenuState();
  InvalidateRect(hwnd, nullptr, TRUE);
  if (gameMode == MODE_PVE) startEngine();
}

void MainWindow::startNewGame() {
  dropEngineWork();
  reviveEngine();
  gameStopped = false;
  if (gameMode == MODE_PVE) ai->newGame();
  gameEngine->newGame(gameMode);
  startGameSession(GameSessionPlanner::kNewGameNotice);
}

void MainWindow::continueGameFromScore(const std::wstring& notice) {
  logInfo(GameSessionPlanner::kContinueFromScoreLog);
  dropEngineWork();
  reviveEngine();
  loadedPositionPending = false;
  gameStopped = false;
  if (gameMode == MODE_PVE) ai->newGame();
  startGameSession(notice);
}

void MainWindow::choosePveSide() {
  const PromptBox box = GameSessionPlanner::sideChoiceBox();
  const BoxAnswer answer =
      PromptBox::answerFromResult(MessageBoxW(hwnd, box.text.c_str(), box.caption.c_str(), box.style()));
  const SeatChoice seat = GameSessionPlanner::seatFromSideAnswer(answer);
  announcer->announce(seat.notice);
  if (!seat.logLine.empty()) logInfo(seat.logLine);
  if (!seat.start) return;
  setSide(seat.humanColor, seat.boardFlipped);
  const bool pending = loadedPositionPending;
  loadedPositionPending = false;
  if (pending) {
    continueGameFromScore(GameSessionPlanner::kContinueFromScoreNotice);
  } else {
    startNewGame();
  }
}

void MainWindow::continueVsEngineFromPosition() {
  const SeatChoice seat = GameSessionPlanner::seatFromPosition(gameEngine->getCurrentPlayer());
  setSide(seat.humanColor, seat.boardFlipped);
  continueGameFromScore(seat.notice);
}

void MainWindow::stopCurrentGame() {
  const StopPlan plan = GameSessionPlanner::stopPlan(sessionStatus());
  if (plan.stops) {
    endBoardGame(plan);
  } else if (plan.leaveLanRoom) {
    leaveLanRoom();
  }
  announcer->announce(plan.notice);
  if (!plan.noticeAfter.empty()) announcer->announce(plan.noticeAfter);
}

void MainWindow::endBoardGame(const StopPlan& plan) {
  dropEngineWork();
  if (plan.leaveLanRoom) leaveLanRoom();
  if (plan.keepSnapshot) stoppedGame = StoppedGame{gameEngine->snapshot(), currentSeat()};
  clearGame();
  gameStopped = plan.keepSnapshot;
  updateMenuState();
  InvalidateRect(hwnd, nullptr, TRUE);
}

void MainWindow::clearGame() {
  gameActive = false;
  gameStopped = false;
  loadedPositionPending = false;
  selected = Position{-1, -1};
  player2Selected = Position{-1, -1};
  // Also while the audio is not running: the music is no longer wanted.
  if (audioManager) audioManager->stopBackgroundMusic();
}

void MainWindow::startLanGameOrNone() {
  startLanGame();
  if (!lanSessionBusy()) endLanStartWithoutGame();
}

void MainWindow::endLanStartWithoutGame() {
  // Cancelled or failed: the board left behind belongs to no game that could go on, and
  // neither does a game stopped before.
  StopPlan plan;
  plan.stops = true;
  endBoardGame(plan);
}

void MainWindow::resumeStoppedGame() {
  if (!gameStopped) {
    announcer->announce(GameSessionPlanner::kNothingToResumeNotice);
    return;
  }
  if (reviewManager->isActive()) reviewManager->exitReviewMode();
  dropEngineWork();
  reviveEngine();
  // A silent replay: no move of the old game is spoken again, undo walks its history.
  if (!gameEngine->restore(stoppedGame.game)) {
    logWarning("MainWindow::resumeStoppedGame - the stopped game could not be put back");
    gameStopped = false;
    announcer->announce(GameSessionPlanner::kNothingToResumeNotice);
    updateMenuState();
    return;
  }
  restoreSeat(stoppedGame.seat);
  gameActive = true;
  gameStopped = false;
  if (initAudio()) audioManager->updateListener(humanColor);
  wantGameMusic();
  askEngineForItsMove();
  announcer->announce(GameSessionPlanner::kResumedNotice);
  updateMenuState();
  InvalidateRect(hwnd, nullptr, TRUE);
}

void MainWindow::switchPlayerColor() {
  const SeatChoice seat = GameSessionPlanner::switchedSeat(humanColor);
  setSide(seat.humanColor, seat.boardFlipped);
  reviveEngine();  // what follows (a new game, the engine's turn) may try the engine anew
  if (gameStopped && !isGameInProgress()) {
    stoppedGame.seat.humanColor = seat.humanColor;
    stoppedGame.seat.boardFlipped = seat.boardFlipped;
  }
  announcer->announce(seat.notice);
  if (!seat.logLine.empty()) logInfo(seat.logLine);
}

void MainWindow::undoMove() {
  const std::wstring refusal = GameSessionPlanner::undoRefusal(gameEngine->getGameState());
  if (!refusal.empty()) {
    announcer->announce(refusal);
    return;
  }
  dropEngineWork();
  reviveEngine();
  // Against the engine on the player's turn the engine's reply goes too.
  pveController->onUndo(gameMode, humanColor);
  const std::vector<Move> history = gameEngine->getMoveHistory();
  if (history.empty()) {
    announcer->announce(GameSessionPlanner::kUndoToOpeningNotice);
  } else {
    announceMoveMade(history.back(), gameEngine->getBoard().isInCheck(gameEngine->getCurrentPlayer()));
  }
  // Taken back to the engine's turn (it had the first move): it moves again.
  askEngineForItsMove();
  InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace Tavrune
