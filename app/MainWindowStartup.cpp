// Start-up: the saved settings into the window's copies, the engine build, the debug
// log, the opening books and every engine setting, before the window exists.
#include "app/MainWindow.h"

#include "app/OpeningBookScan.h"
#include "audio/AudioManager.h"
#include "core/AIConfig.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "engine/BestBundledEngine.h"

namespace Tavrune {

void MainWindow::configureFromSettings() {
  AIConfig config;
  int player2SchemeRead = 0;
  ConfigManager::loadConfig(config, player2SchemeRead, a11yConfig, &systemConfig, &audioConfig);
  enginePath = config.enginePath;
  humanColor = config.playerColor == BLACK ? BLACK : RED;
  player2Scheme = player2SchemeRead;
  applyNotationSettings();
  engineSettings = EngineSettingsMirror::fromConfig(config);

  if (config.autoSelectEngine || config.engineVariant == "auto") {
    const BundledEngineChoice best = bestBundledEngine();
    enginePath = best.path;
    logInfo("[MainWindow] Auto-selected engine: " + best.variant.fileName);
    logInfo("[MainWindow] Engine display name: " + best.variant.description);
  }

  // The first switch-on of a process also writes the banner, once.
  setDebugLogEnabled(systemConfig.loggerEnabled);

  ai->setEnginePath(enginePath);
  for (const OpeningBookFile& book : OpeningBookScan::find(openingBookFolders())) {
    ai->loadOpeningBook(book.path, book.type);
  }
  engineSettings.applyTo(*ai);

  boardFlipped = humanColor == BLACK;
  // Nothing may play while the user's audio switch is off, from the first moment on.
  if (audioManager) audioManager->setEnabled(audioConfig.enabled);
  ai->setMoveReadyCallback([this](const Move& move) { onAIMove(move); });
}

std::vector<std::string> MainWindow::openingBookFolders() const {
  std::vector<std::string> folders;
  if (const std::string data = ConfigManager::getDataDirectory(); !data.empty()) {
    folders.push_back(joinPath(data, "books"));
  }
  if (const std::string program = ConfigManager::getExecutableDirectory(); !program.empty()) {
    folders.push_back(joinPath(program, "books"));
  }
  return folders;
}

}  // namespace Tavrune
