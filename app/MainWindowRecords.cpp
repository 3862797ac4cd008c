// Opening a record to review or play on (with the way back to the game before it) and
// saving the game as PGN.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/MainWindow.h"
#include "app/PreLoadSnapshot.h"
#include "app/ScoreFilePlanner.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "core/TextConversion.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"
#include "platform/SystemDialogLibraries.h"

namespace Tavrune {
namespace {

BoxAnswer showBox(HWND owner, const PromptBox& box) {
  return PromptBox::answerFromResult(MessageBoxW(owner, box.text.c_str(), box.caption.c_str(), box.style()));
}

// The open and save boxes: the score filter, the path buffer, a title and flags.
OPENFILENAMEW scoreFileBox(HWND owner, const std::wstring& filter, std::vector<wchar_t>& path, const wchar_t* title,
                           DWORD flags) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = title;
  dialog.Flags = flags;
  return dialog;
}

}  // namespace

void MainWindow::openScoreFile() {
  logInfo(ScoreFilePlanner::kOpenDialogLog);
  const std::wstring filter = ScoreFilePlanner::openFilter();
  std::vector<wchar_t> path(ScoreFilePlanner::kPathBufferLength, L'\0');
  OPENFILENAMEW dialog =
      scoreFileBox(hwnd, filter, path, ScoreFilePlanner::kOpenTitle, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  if (!SystemDialogLibraries::getOpenFileName(dialog)) {
    logInfo(ScoreFilePlanner::kOpenCancelledLog);
    return;
  }
  const std::wstring chosen(path.data());
  logInfo(std::string(ScoreFilePlanner::kFileChosenLog) + wideToUtf8(chosen));

  // The game refuses a snapshot during a review, which shows its own steps.
  PreLoadSnapshot before;
  before.reviewWasOpen = reviewManager->isActive();
  if (before.reviewWasOpen) reviewManager->exitReviewMode();
  before.game = gameEngine->snapshot();
  before.seat = currentSeat();
  before.gameActive = gameActive;
  before.gameStopped = gameStopped;
  before.lanGameWasRunning = sessionStatus().lanRoomToLeave();
  before.musicWanted = audioManager && audioManager->isMusicWanted();
  if (gameStopped) before.stoppedGame = stoppedGame;
  dropEngineWork();

  logInfo(std::string(ScoreFilePlanner::kHadActiveGameLog) + (before.gameActive ? "1" : "0"));
  if (!gameEngine->loadScore(chosen, ScoreFormat::UNKNOWN)) {
    logError(std::string(ScoreFilePlanner::kLoadFailedLog) + wideToUtf8(chosen));
    applyScoreLoadChoice(before, [this](bool restored) {
      const PromptBox box = ScoreFilePlanner::loadFailedBox();
      showBox(hwnd, box);
      announcer->announce(box.noticeAfter);
      if (!restored) announcer->announce(ScoreFilePlanner::kRevertFailedNotice);
    });
    return;
  }
  gameStopped = false;
  announcer->announce(ScoreFilePlanner::kLoadedNotice);
  if (before.gameActive) {
    gameActive = false;
    loadedPositionPending = false;
    // No game runs while a record is on the board: its music stops with it.
    if (audioManager) audioManager->stopBackgroundMusic();
    logInfo(ScoreFilePlanner::kGameReplacedLog);
    announcer->announce(ScoreFilePlanner::kGameReplacedNotice);
  }
  InvalidateRect(hwnd, nullptr, TRUE);

  showBox(hwnd, ScoreFilePlanner::summaryBox(gameEngine->getLoadedScoreHeader(), gameEngine->getMoveHistory().size(),
                                             gameEngine->getLoadedPliesBeforeRefusal()));
  const LoadChoice choice = ScoreFilePlanner::loadChoice(showBox(hwnd, ScoreFilePlanner::loadChoiceBox()));
  logInfo(ScoreFilePlanner::loadChoiceLog(choice));
  switch (choice) {
    case LoadChoice::Review:
      leaveLanIfActive(before.lanGameWasRunning);
      initAudio();
      reviewManager->enterReviewMode();
      updateMenuState();
      break;
    case LoadChoice::PlayOn:
      leaveLanIfActive(before.lanGameWasRunning);
      loadedPositionPending = true;
      updateMenuState();
      showLoadedScorePopup();
      break;
    case LoadChoice::Revert:
      applyScoreLoadChoice(before, [this](bool restored) {
        announcer->announce(restored ? ScoreFilePlanner::kRevertedNotice : ScoreFilePlanner::kRevertFailedNotice);
      });
      break;
  }
}

void MainWindow::applyScoreLoadChoice(const PreLoadSnapshot& before, const std::function<void(bool restored)>& tell) {
  // A silent replay from the saved start: nothing of the old game is spoken again.
  const bool restored = gameEngine->restore(before.game);
  if (!restored) logError("MainWindow: the game before the load could not be put back");
  restoreSeat(before.seat);
  // A game that could not be put back is not played on: the board holds the record.
  gameActive = restored && before.gameActive;
  gameStopped = before.gameStopped;
  if (gameStopped) stoppedGame = before.stoppedGame;
  InvalidateRect(hwnd, nullptr, TRUE);
  tell(restored);
  if (restored && ScoreFilePlanner::reopenReviewAfterRevert(before, reviewManager->isActive())) {
    reviewManager->enterReviewMode();
  }
  // The search stopped for the load: the engine is asked again when it was its turn.
  askEngineForItsMove();
  // The game is back, and with it its music if the record had stopped it: also with sound
  // off, and held while the review it came from is open again.
  if (restored && before.musicWanted && !audioManager->isMusicWanted()) {
    initAudio();
    wantGameMusic();
  }
  updateMenuState();
}

void MainWindow::showLoadedScorePopup() {
  announcer->announce(ScoreFilePlanner::modePopupNotice(gameEngine->getLoadedScoreHeader()));
  showGamePopup();
}

void MainWindow::saveScoreFile() {
  if (gameEngine->getMoveHistory().empty()) {
    showBox(hwnd, ScoreFilePlanner::nothingToSaveBox());
    return;
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::wstring name = ScoreFilePlanner::defaultSaveName(now.wYear, now.wMonth, now.wDay);
  std::vector<wchar_t> path(ScoreFilePlanner::kPathBufferLength, L'\0');
  name.copy(path.data(), std::min(name.size(), path.size() - 1));
  const std::wstring filter = ScoreFilePlanner::saveFilter();
  OPENFILENAMEW dialog = scoreFileBox(hwnd, filter, path, ScoreFilePlanner::kSaveTitle, OFN_OVERWRITEPROMPT);
  dialog.lpstrDefExt = ScoreFilePlanner::kDefaultExtension;
  if (!SystemDialogLibraries::getSaveFileName(dialog)) return;
  if (gameEngine->saveScore(path.data(), ScoreFormat::PGN)) {
    announcer->announce(ScoreFilePlanner::kSavedNotice);
    showBox(hwnd, ScoreFilePlanner::savedBox());
  } else {
    const PromptBox box = ScoreFilePlanner::saveFailedBox();
    showBox(hwnd, box);
    announcer->announce(box.noticeAfter);
  }
}

}  // namespace Tavrune
