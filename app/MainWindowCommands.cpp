// The menu bar and the commands it sends: each command first shows the boxes the
// confirmation chooser asks for, then acts.
#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/CommandTexts.h"
#include "app/ConfirmationChooser.h"
#include "app/GameSessionPlanner.h"
#include "app/MainWindow.h"
#include "app/MenuBuilder.h"
#include "app/MenuModel.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"
#include "lan/LANGameController.h"

namespace Tavrune {

HMENU MainWindow::createMainMenu() { return MenuBuilder::build(); }

void MainWindow::updateMenuState() {
  MenuBuilder::update(hwnd, MenuModel::itemStates(sessionStatus(), a11yConfig.professionalNotation));
}

SessionStatus MainWindow::sessionStatus() const {
  SessionStatus status;
  status.gameActive = gameActive;
  status.reviewActive = reviewManager->isActive();
  status.gameState = gameEngine->getGameState();
  status.gameStopped = gameStopped;
  status.gameMode = gameMode;
  status.lanControllerExists = lanController != nullptr;
  status.lanControllerBusy = lanSessionBusy();
  status.lanConnectPending = lanConnectPending();
  status.lanCanResign = lanResignPossible();
  return status;
}

void MainWindow::leaveReview() {
  reviewManager->exitReviewMode();
  askEngineForItsMove();
  if (isGameInProgress() && initAudio() && audioConfig.backgroundMusicEnabled) {
    audioManager->startBackgroundMusic();
  }
  if (!gameActive) {
    // The reviewed record's last position is back on the board and the popup asks for a
    // mode to play it on with: the mode commands continue from it, as after loading.
    loadedPositionPending = true;
  }
  updateMenuState();
  if (!gameActive) showLoadedScorePopup();
}

void MainWindow::endReviewOrLanGame() {
  if (reviewManager->isActive()) reviewManager->exitReviewMode();
  if (sessionStatus().lanRoomToLeave()) leaveLanRoom();
}

void MainWindow::showGamePopup() {
  HMENU popup = MenuBuilder::gamePopup(GetMenu(hwnd));
  if (!popup) return;
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  // The key that opened the popup has its character queued already; the popup would take
  // a '\r' or ' ' as "choose" with nothing chosen and close at once.
  MSG typed;
  while (PeekMessageW(&typed, hwnd, WM_CHAR, WM_CHAR, PM_REMOVE)) {
  }
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, origin.x, origin.y, 0, hwnd, nullptr);
}

void MainWindow::toggleProfessionalNotation() {
  const bool on = !a11yConfig.professionalNotation;
  a11yConfig.professionalNotation = on;
  updateMenuState();
  announcer->announce(CommandTexts::professionalNotationStatus(on));
  logInfo(CommandTexts::professionalNotationLog(on));
  saveSettings();
}

void MainWindow::onCommand(int commandId) {
  const std::optional<MenuCommand> command = MenuModel::commandFromId(commandId);
  if (!command) return;
  SessionStatus status = sessionStatus();
  // Before any box: a connect left to go on could bring its game in under the box or the
  // dialog that follows. Read again, the status no longer tells of it.
  const bool connectGivenUp = GameSessionPlanner::givesUpConnectFirst(*command, status);
  if (connectGivenUp) {
    leaveLanRoom();
    announcer->announce(GameSessionPlanner::kConnectCancelledNotice);
    status = sessionStatus();
  }
  BoxAnswer answer = BoxAnswer::Ok;
  for (const PromptBox& box : ConfirmationChooser::boxesFor(*command, status)) {
    answer = PromptBox::answerFromResult(MessageBoxW(hwnd, box.text.c_str(), box.caption.c_str(), box.style()));
    if (!box.noticeAfter.empty()) announcer->announce(box.noticeAfter);
    if (!ConfirmationChooser::goesOn(box.kind, answer)) return;
  }

  switch (*command) {
    case MenuCommand::NewGame:
      // A LAN board cannot go on without its room, even once its game is over.
      if (status.isGameInProgress() || status.reviewActive || status.isLanMode()) endReviewOrLanGame();
      break;
    case MenuCommand::TwoPlayerMode:
    case MenuCommand::EngineMode:
    case MenuCommand::LanMode:
    case MenuCommand::LoadScore: {
      const ModeSwitchPlan plan = GameSessionPlanner::modeSwitchPlan(*command, status);
      if (plan.exitReview) reviewManager->exitReviewMode();
      if (plan.leaveLanRoom) leaveLanRoom();
      break;
    }
    default:
      break;
  }

  switch (*command) {
    case MenuCommand::NewGame:
      // A new LAN game needs a peer: it begins at the LAN game start. A connect given up
      // was on its way to one.
      if (status.isLanMode() || connectGivenUp) {
        startLanGameOrNone();
      } else {
        startNewGame();
      }
      break;
    case MenuCommand::LoadScore:
      openScoreFile();
      break;
    case MenuCommand::SaveScore:
      saveScoreFile();
      break;
    case MenuCommand::Exit:
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
      break;
    case MenuCommand::TwoPlayerMode: {
      gameMode = MODE_PVP;
      const bool pending = loadedPositionPending;
      loadedPositionPending = false;
      if (pending) {
        continueGameFromScore(GameSessionPlanner::kContinueTwoPlayerNotice);
      } else {
        startNewGame();
      }
      break;
    }
    case MenuCommand::EngineMode: {
      gameMode = MODE_PVE;
      const bool pending = loadedPositionPending;
      loadedPositionPending = false;
      if (pending) {
        continueVsEngineFromPosition();
      } else {
        choosePveSide();
      }
      break;
    }
    case MenuCommand::LanMode:
      // The mode changes when the session's game is ready, not here.
      startLanGameOrNone();
      loadedPositionPending = false;
      break;
    case MenuCommand::Undo:
      if (status.lanCommandsAvailable()) {
        announcer->announce(CommandTexts::undoRequestNotice(lanController->requestUndo()));
      } else {
        undoMove();
      }
      break;
    case MenuCommand::Draw:
      // Outside LAN play the chooser's refusal box has stopped the command already.
      if (!status.lanCommandsAvailable()) break;
      announcer->announce(CommandTexts::drawRequestNotice(lanController->requestDraw()));
      break;
    case MenuCommand::Resign: {
      if (!status.lanCommandsAvailable()) break;
      // Only a resignation that went out ends the session's time-outs and reconnection.
      const LanRequestResult result = lanController->resign();
      announcer->announce(CommandTexts::resignNotice(result));
      if (result == LanRequestResult::Sent) stopLanTimer();
      break;
    }
    case MenuCommand::SwitchSides:
      // With a game in progress the box was answered: Yes restarts, No keeps the game.
      switchPlayerColor();
      if (status.isGameInProgress() && answer == BoxAnswer::Yes) {
        startNewGame();
      } else if (status.isGameInProgress()) {
        // The same game goes on with the sides swapped: the engine may now be to move.
        dropEngineWork();
        askEngineForItsMove();
      }
      updateMenuState();
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case MenuCommand::Review:
      if (reviewManager->isActive()) {
        leaveReview();
      } else {
        if (isGameInProgress()) dropEngineWork();
        initAudio();
        reviewManager->enterReviewMode();
        updateMenuState();
      }
      break;
    case MenuCommand::ProfessionalNotation:
      toggleProfessionalNotation();
      break;
    case MenuCommand::StopOrResume:
      if (GameSessionPlanner::stopOrResume(status) == StopOrResume::Stop) {
        stopCurrentGame();
      } else {
        resumeStoppedGame();
      }
      break;
    case MenuCommand::Instructions: {
      const PromptBox box = CommandTexts::instructionsBox();
      MessageBoxW(hwnd, box.text.c_str(), box.caption.c_str(), box.style());
      break;
    }
    case MenuCommand::About:
      showAboutDialog();
      break;
    case MenuCommand::CheckForUpdates:
      logInfo(CommandTexts::kCheckingForUpdatesLog);
      checkForUpdatesFromMenu();
      break;
    case MenuCommand::AudioTest:
      openAudioTestWindow();
      break;
    case MenuCommand::Settings:
      showSoftwareSettingsPrototype();
      break;
    default:
      logInfo("[MainWindow] Command not available yet: " + std::to_string(commandId));
      break;
  }
}

}  // namespace Tavrune
