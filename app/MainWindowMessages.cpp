// The window procedure: which handler owns each message, under which guard.
#include <windowsx.h>

#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "accessibility/NoticeJoiner.h"
#include "app/BoardHitTest.h"
#include "app/InstallerRequest.h"
#include "app/KeyRouter.h"
#include "app/MainWindow.h"
#include "app/ProgramMessages.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "game/GameEngine.h"
#include "game/Notation.h"
#include "game/ReviewManager.h"

namespace Tavrune {

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      KillTimer(hwnd, TIMER_LAN_POLL);
      accessibility->disconnectProviders();
      PostQuitMessage(0);
      return 0;

    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) resetNotationInput();
      break;

    case WM_KILLFOCUS:
      resetNotationInput();
      break;

    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      onPaint(dc);
      EndPaint(hwnd, &paint);
      return 0;
    }

    case WM_GETOBJECT:
      if (accessibility) {
        if (const LRESULT result = accessibility->handleGetObject(wParam, lParam); result != 0) return result;
      }
      break;

    case WM_COPYDATA:
      if (handleCopyData(lParam)) return TRUE;
      break;

    case WM_KEYDOWN:
      handleKeyDown(wParam);
      return 0;

    case WM_CHAR:
      return 0;

    case WM_SYSKEYDOWN:
      if (wParam == 'P' && GetKeyState(VK_MENU) < 0) {
        showSoftwareSettingsPrototype();
        return 0;
      }
      break;

    case WM_COMMAND:
      onCommand(LOWORD(wParam));
      return 0;

    case WM_TIMER:
      if (wParam == TIMER_NOTATION_INPUT) handleNotationTimeout();
      if (wParam == TIMER_MUSIC && audioManager && audioManager->isInitialized()) audioManager->updateBackgroundMusic();
      if (wParam == TIMER_NOTICE_FLUSH) {
        KillTimer(hwnd, TIMER_NOTICE_FLUSH);
        noticeJoiner->flush();
      }
      if (wParam == TIMER_FINISH_STARTUP) finishStartup();
      if (wParam == TIMER_LAN_POLL) onLanTimer();
      return 0;

    case WM_INITMENUPOPUP:
      resetNotationInput();
      updateMenuState();
      break;

    case WM_LBUTTONDOWN:
      handleClick(lParam);
      return 0;

    case WM_LAN_EVENT:
      handleLanEvent(wParam, lParam);
      return 0;

    case WM_LAN_WORK:
      runLanWork(lParam);
      return 0;

    case WM_AI_MOVE:
      handleAIMove(wParam, lParam);
      return 0;

    case WM_MOVE_MADE:
      handleMoveMade(lParam);
      return 0;

    case WM_GAME_STATE_CHANGED:
      handleGameStateChanged(static_cast<GameState>(wParam));
      return 0;

    case WM_ENGINE_READY:
      onPveEngineReady(wParam != 0);
      return 0;

    case WM_ENGINE_STATE_CHANGED:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;

    case WM_FLUSH_NOTICES:
      noticeJoiner->flush();
      return 0;

    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void MainWindow::handleKeyDown(WPARAM virtualKey) {
  const bool ctrlHeld = GetKeyState(VK_CONTROL) < 0;
  const KeyRoute route =
      KeyRouter::route(static_cast<uint32_t>(virtualKey), ctrlHeld, a11yConfig.windowsReadLineHotkeysEnabled);
  switch (route.action) {
    case KeyAction::ReadBoardFile: readBoardFile(route.fileNumber); break;
    case KeyAction::OpenSettings: showSoftwareSettingsPrototype(); break;
    case KeyAction::ToggleDebugLog: toggleDebugLog(); break;
    case KeyAction::RepeatLatestNotice: announcer->repeatLatest(); break;
    case KeyAction::OlderNotice: announcer->navigateOlder(); break;
    case KeyAction::NewerNotice: announcer->navigateNewer(); break;
    case KeyAction::NextVolumeChannel: nextVolumeChannel(); break;
    case KeyAction::VolumeDown: adjustVolume(-5); break;
    case KeyAction::VolumeUp: adjustVolume(5); break;
    case KeyAction::ResetVolumeChannel: resetVolumeChannel(); break;
    case KeyAction::ToggleAudioChannel: toggleAudioChannel(); break;
    case KeyAction::BoardKey: handleKeyPress(virtualKey); break;
  }
}

void MainWindow::readBoardFile(int32_t fileNumber) {
  const FileSquares squares = Notation::getFileSquares(gameEngine->getBoard(), readingSide(), fileNumber);
  announcer->announce(Notation::describeFile(squares, a11yConfig.windowsReadLineAllEmptyShortcutEnabled));
}

void MainWindow::toggleDebugLog() {
  const bool on = !isDebugLogEnabled();
  setDebugLogEnabled(on);
  systemConfig.loggerEnabled = on;
  announcer->announce(on ? L"日志已开启。可在帮助菜单的关于页面点击“定位日志文件”查看日志" : L"日志已关闭");
  saveSettings();
}

void MainWindow::handleClick(LPARAM lParam) {
  const std::optional<Position> point = BoardHitTest::pointAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), boardFlipped);
  if (!point) return;
  cursor = *point;
  // The screen reader follows the cursor however it moved, a click as much as a key.
  accessibility->setViewSide(humanColor);
  accessibility->setFocusCell(cursor);
  selectOrDropAtCursor();
}

bool MainWindow::handleCopyData(LPARAM lParam) {
  const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (!copy || !InstallerRequest::isQuitRequest(copy->dwData, copy->cbData, copy->lpData)) return false;
  logInfo("[MainWindow] Installer asked the program to close");
  // Closing at once: nobody is left to hear a failure, the log keeps it.
  if (!writeSettings(nullptr)) logError("[MainWindow] The settings could not be saved before closing");
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  return true;
}

bool MainWindow::isGameInProgress() const {
  return gameActive && !reviewManager->isActive() && gameEngine->getGameState() == PLAYING;
}

PieceColor MainWindow::readingSide() const {
  const PieceColor toMove = gameEngine->getCurrentPlayer();
  return toMove == otherColor(humanColor) ? toMove : humanColor;
}

}  // namespace Tavrune
