// The sound-pack command: the user picks a pack, it is saved, and the running audio
// takes it at once (or the next game does, when nothing has been played yet).
#include "app/MainWindow.h"
#include "app/SoundPackChoice.h"
#include "app/SoundPackDialog.h"
#include "accessibility/AnnouncementHistory.h"
#include "audio/AudioManager.h"
#include "audio/SoundPackCatalog.h"
#include "core/Log.h"

namespace Tavrune {

namespace Choice = SoundPackChoice;

void MainWindow::selectSoundPack(HWND owner) {
  if (!owner) owner = hwnd;
  const std::vector<SoundPack> packs = SoundPackCatalog::scanSoundPacks();
  if (packs.empty()) {
    MessageBoxW(owner, Choice::kNoPacksText, Choice::kNoPacksCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  const INT_PTR chosen = runSoundPackDialog(owner, packs);
  if (chosen < 0 || static_cast<size_t>(chosen) >= packs.size()) {
    announcer->announce(Choice::kCancelled);
    return;
  }
  const SoundPack& pack = packs[static_cast<size_t>(chosen)];
  if (MessageBoxW(owner, Choice::confirmationText(pack).c_str(), Choice::kConfirmCaption,
                  MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }

  // The file must hold the pack before the audio reloads it from there.
  const std::string previous = audioConfig.soundPackPath;
  audioConfig.soundPackPath = Choice::configuredPath(pack);
  // Its own box tells a failure here.
  if (!writeSettings(nullptr)) {
    audioConfig.soundPackPath = previous;
    logError("[SoundPackSelection] Could not save the chosen pack: " + pack.folderName);
    MessageBoxW(owner, Choice::kSaveFailedText, Choice::kErrorCaption, MB_OK | MB_ICONERROR);
    return;
  }

  if (audioManager && audioManager->isInitialized()) {
    audioManager->shutdown();
    if (!audioManager->initialize()) {
      announcer->announce(Choice::kReloadFailedSpoken);
      MessageBoxW(owner, Choice::kReloadFailedText, Choice::kErrorCaption, MB_OK | MB_ICONERROR);
    } else {
      // Brings back the music that was wanted before the reload, and only that: with no
      // game running none starts.
      pushAudioSettings(*audioManager, audioConfig);
      announcer->announce(Choice::kReloadedSpoken);
      MessageBoxW(owner, Choice::kReloadedText, Choice::kReloadedCaption, MB_OK | MB_ICONINFORMATION);
    }
  } else {
    announcer->announce(Choice::kSavedSpoken);
    MessageBoxW(owner, Choice::kSavedText, Choice::kSavedCaption, MB_OK | MB_ICONINFORMATION);
  }
  logInfo("[SoundPackSelection] User selected: " + pack.folderName);
}

}  // namespace Tavrune
