// The volume channel keys: Ctrl+M, F5, F6, F7 and F8. Each change is announced (R says
// it again), pushed to the running audio manager and saved.
#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/MainWindow.h"
#include "app/VolumeKeys.h"
#include "audio/AudioManager.h"

namespace Tavrune {

void MainWindow::nextVolumeChannel() {
  volumeChannel = VolumeKeys::nextChannel(volumeChannel);
  // The channel choice lasts for the run only: nothing to save.
  announcer->announce(VolumeKeys::channelLabel(volumeChannel));
}

void MainWindow::pushVolume(const VolumeChange& change) {
  if (audioManager && audioManager->isInitialized()) {
    if (change.channel == VolumeKeys::kMaster) audioManager->setMasterVolume(change.value);
    if (change.channel == VolumeKeys::kGameEffects) audioManager->setGameSfxVolume(change.value);
    if (change.channel == VolumeKeys::kMusic) audioManager->setBackgroundVolume(change.value);
  }
  announcer->announce(change.spoken);
  saveSettings();
}

void MainWindow::adjustVolume(int32_t step) {
  if (!systemConfig.volumeIntroShown) {
    MessageBoxW(hwnd, VolumeKeys::kIntroText, VolumeKeys::kIntroCaption, MB_OK | MB_ICONINFORMATION);
    systemConfig.volumeIntroShown = true;
  }
  pushVolume(VolumeKeys::adjust(audioConfig, volumeChannel, step));
}

void MainWindow::resetVolumeChannel() { pushVolume(VolumeKeys::reset(audioConfig, volumeChannel)); }

void MainWindow::toggleAudioChannel() {
  const AudioSwitchChange change = VolumeKeys::toggle(audioConfig, volumeChannel);
  if (audioManager && audioManager->isInitialized()) {
    if (change.managerEnabled) audioManager->setEnabled(*change.managerEnabled);
    if (change.gameSfxEnabled) audioManager->setGameSfxEnabled(*change.gameSfxEnabled);
    if (change.musicEnabled) audioManager->setBackgroundMusicEnabled(*change.musicEnabled);
  }
  if (change.managerEnabled.value_or(false)) onSoundSwitchedOn();
  announcer->announce(change.spoken);
  saveSettings();
}

}  // namespace Tavrune
