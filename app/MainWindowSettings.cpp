// The window's own save: its copies of the settings into "config.json", keeping what
// only the file knows (the chosen engine build and whether it is chosen automatically);
// and the settings session whose commits reach the file and the running program.
#include "app/MainWindow.h"

#include <exception>

#include "core/AIConfig.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "core/TextConversion.h"
#include "settings/ConfigManagerDataSource.h"
#include "settings/SettingsCatalogue.h"

namespace Tavrune {

SettingsTargets MainWindow::settingsTargets() {
  SettingsTargets targets;
  targets.engineSettings = &engineSettings;
  targets.enginePath = &enginePath;
  targets.player2Scheme = &player2Scheme;
  targets.a11yConfig = &a11yConfig;
  targets.systemConfig = &systemConfig;
  targets.audioConfig = &audioConfig;
  targets.engine = ai.get();
  targets.audio = audioManager.get();
  targets.accessibility = accessibility.get();
  targets.applyNotationSettings = [this] { applyNotationSettings(); };
  targets.resetNotationInput = [this] { resetNotationInput(); };
  targets.updateMenuState = [this] { updateMenuState(); };
  targets.isGameInProgress = [this] { return isGameInProgress(); };
  return targets;
}

SettingsSession MainWindow::openSettingsSession() {
  SettingsSession session;
  session.executor = std::make_unique<Settings::CallbackActionExecutor>();
  registerSettingsAppliers(*session.executor, settingsTargets());
  std::string error;
  try {
    auto store = Settings::makeConfigManagerDataSource(&ConfigManager::loadConfig, &ConfigManager::saveConfig,
                                                       ConfigManager::getConfigFilePath());
    auto provider = std::make_unique<Settings::Provider>(Settings::buildSettingsSchema(), std::move(store),
                                                         session.executor.get());
    provider->setPlatform(Settings::Platform::WindowsDesktop);
    if (provider->openSession(&error)) {
      if (ai) fillEngineInfoRows(*provider, *ai);
      session.provider = std::move(provider);
      return session;
    }
  } catch (const std::exception& e) {
    error = e.what();
  }
  logError("[SoftwareSettings] Could not open the settings: " + error);
  MessageBoxW(hwnd, (L"读取软件设置失败：\n" + utf8ToWide(error)).c_str(), L"软件设置", MB_OK | MB_ICONWARNING);
  return session;
}

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
