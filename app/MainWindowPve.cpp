// The turn flow of a game against the engine as the window runs it: the engine's ready
// report, asking for the engine's move whenever its turn comes, and the player's moves
// handed on as ponder hits, misses or new searches.
#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/EngineReadyNotice.h"
#include "app/GameSessionPlanner.h"
#include "app/MainWindow.h"
#include "core/AIConfig.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "engine/CpuFeatures.h"
#include "engine/PveController.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"

namespace Tavrune {

namespace {

std::string fileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool MainWindow::isEngineTurnNow() const {
  return gameActive && !reviewManager->isActive() &&
         GameSessionPlanner::isEngineTurn(gameMode, gameEngine->getGameState(), gameEngine->getCurrentPlayer(),
                                          humanColor);
}

bool MainWindow::announceEngineTurnUnplayable() {
  if (!pveController->hasGivenUp() || !isEngineTurnNow()) return false;
  announcer->announce(GameSessionPlanner::kEngineUnavailableNotice);
  return true;
}

void MainWindow::askEngineForItsMove() {
  if (!isEngineTurnNow()) return;
  noteEngineRequest();
  pveController->requestAIMove(gameMode, humanColor);
}

void MainWindow::reportHumanMove(const Move& move) {
  if (gameMode != MODE_PVE) return;
  // A ponder hit turns the running ponder search into the answer to this position.
  noteEngineRequest();
  pveController->onHumanMove(move, gameMode, humanColor);
}

void MainWindow::stopEngineSearch() {
  pveController->cancel();
  if (ai->isThinking()) ai->stopThinking();
}

void MainWindow::startEngine() {
  logInfo(GameSessionPlanner::kEngineInitLog);
  if (!engineLoaded) announcer->announce(GameSessionPlanner::kEngineLoadingStatus);
  if (!ai->initialize()) {
    // The front end's report of the failed start tells the player, once.
    logError("PVE mode: AI::initialize returned false immediately");
    return;
  }
  // An engine loaded earlier in this run sends no first-ready report that would ask for
  // the opening move; ask now (a busy engine owes it until its next ready report).
  if (engineLoaded) askEngineForItsMove();
}

void MainWindow::onEngineFailure(bool moveRefused) {
  const bool enginesTurn = isEngineTurnNow();
  if (enginesTurn) noteEngineRequest();  // the move is asked again for this position
  if (pveController->onEngineFailure(enginesTurn, moveRefused) != PveController::ENGINE_GAVE_UP) return;
  logError("PVE mode: AI engine initialization failed");
  announcer->announce(GameSessionPlanner::kEngineFailedStatus);
  const PromptBox box = GameSessionPlanner::engineFailedBox();
  MessageBoxW(hwnd, box.text.c_str(), box.caption.c_str(), box.style());
  announceEngineTurnUnplayable();
}

bool MainWindow::reviveEngine() {
  const bool gaveUp = pveController->hasGivenUp();
  pveController->revive();
  return gaveUp;
}

void MainWindow::onPveEngineReady(bool ready) {
  if (!ready) {
    onEngineFailure(false);
    return;
  }
  logInfo("PVE mode: AI engine initialized successfully");
  if (!engineLoaded) {
    AIConfig config;
    int player2SchemeRead = 0;
    AccessibilityConfig a11yRead;
    ConfigManager::loadConfig(config, player2SchemeRead, a11yRead, nullptr, nullptr);
    const EngineNoticeText notice =
        EngineReadyNotice::compose(config.autoSelectEngine, config.engineVariant, fileNameOf(enginePath),
                                   CpuFeatures::selectBestEngine().fileName,
                                   [](const std::string& build) { return CpuFeatures::getVariantDescription(build); });
    logInfo(notice.logLine);
    announcer->announce(notice.text);
    engineLoaded = true;
    if (isEngineTurnNow()) {
      logInfo(std::string("PVE mode: AI (") + (gameEngine->getCurrentPlayer() == RED ? "Red" : "Black") +
              ") moves first");
      askEngineForItsMove();
    }
  }
  if (isEngineTurnNow()) noteEngineRequest();
  pveController->onEngineReady(humanColor);
}

}  // namespace Tavrune
