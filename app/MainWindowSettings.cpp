// The window's own save: its copies of the settings into "config.json", keeping what
// only the file knows (the chosen engine build and whether it is chosen automatically).
#include "app/MainWindow.h"

#include "core/AIConfig.h"
#include "core/ConfigManager.h"

namespace Tavrune {

bool MainWindow::saveSettings() { return writeSettings(nullptr); }

bool MainWindow::writeSettings(const std::string* chosenEngineVariant) {
  AIConfig config;
  int player2SchemeInFile = player2Scheme;
  AccessibilityConfig accessibilityInFile = a11yConfig;
  SystemConfig systemInFile = systemConfig;
  AudioConfig audioInFile = audioConfig;
  ConfigManager::loadConfig(config, player2SchemeInFile, accessibilityInFile, &systemInFile, &audioInFile);

  config.enginePath = enginePath;
  config.playerColor = humanColor;
  engineSettings.writeTo(config);
  if (chosenEngineVariant) {
    config.engineVariant = *chosenEngineVariant;
    config.autoSelectEngine = false;
  }
  return ConfigManager::saveConfig(config, player2Scheme, a11yConfig, &systemConfig, &audioConfig);
}

}  // namespace Tavrune
