// The window's own save: its copies of the settings into "config.json", keeping what
// only the file knows (the chosen engine build and whether it is chosen automatically);
// and the settings session whose commits reach the file and the running program.
#include "app/MainWindow.h"

#include <exception>

#include "accessibility/AnnouncementHistory.h"
#include "core/AIConfig.h"
#include "core/ConfigManager.h"
#include "core/Log.h"
#include "core/TextConversion.h"
#include "audio/AudioManager.h"
#include "settings/ConfigManagerDataSource.h"
#include "settings/SettingsCatalogue.h"
#include "settings/SettingsDialogState.h"

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
  targets.soundSwitchedOn = [this] { onSoundSwitchedOn(); };
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

class MainWindow::SettingsHost : public Settings::SettingsDialogHost {
 public:
  SettingsHost(MainWindow& window, Settings::CallbackActionExecutor& executor) : w(window), executor(executor) {}

  const AudioConfig& audioSettings() const override { return w.audioConfig; }
  AudioManager* runningAudio() override { return w.audioReady() ? w.audioManager.get() : nullptr; }
  PieceColor previewSide() const override { return w.humanColor; }
  void restoreAudio() override {
    if (AudioManager* audio = runningAudio()) pushAudioSettings(*audio, w.audioConfig);
  }
  bool chooseEngine(HWND owner) override { return w.showEngineSelectionDialog(owner); }
  std::string currentEnginePath() const override { return w.enginePath; }
  void chooseSoundPack(HWND owner) override { w.selectSoundPack(owner); }
  Settings::ApplyResult runAction(const std::string& key) override { return executor.execute(key, {}); }
  void fillInformationRows(Settings::Provider& provider) override {
    if (w.ai) fillEngineInfoRows(provider, *w.ai);
  }

 private:
  MainWindow& w;
  Settings::CallbackActionExecutor& executor;
};

void MainWindow::showSoftwareSettingsPrototype() {
  SettingsSession session = openSettingsSession();
  if (!session.provider) return;
  SettingsHost host(*this, *session.executor);
  Settings::AccPropAnnotator annotator;
  Settings::showSettingsDialog(hwnd, host, *session.provider, annotator);
}

bool MainWindow::saveSettings() {
  if (writeSettings(nullptr)) return true;
  tellSettingsUnsaved();
  return false;
}

void MainWindow::tellSettingsUnsaved() {
  logError("[MainWindow] The settings could not be saved");
  // Said once a run: a read-only folder fails every save, and one warning is enough.
  if (unsavedSettingsTold) return;
  unsavedSettingsTold = true;
  announcer->announce(kSettingsUnsavedNotice);
}

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
