#pragma once
// What the settings dialog needs of the program's window: the audio it previews volumes
// on, the two choosers its buttons open, and the executor whose appliers it runs. The
// window implements it, so the dialog does not depend on the window's code.
#include <windows.h>

#include <string>

#include "core/AudioConfig.h"
#include "game/ChessTypes.h"
#include "settings/Provider.h"

namespace Tavrune {
class AudioManager;
}

namespace Tavrune::Settings {

class SettingsDialogHost {
 public:
  virtual ~SettingsDialogHost() = default;

  // The audio settings the program runs with; only the appliers change them.
  virtual const AudioConfig& audioSettings() const = 0;
  // The audio manager when it exists and is initialised, else null.
  virtual AudioManager* runningAudio() = 0;
  // The side whose view places the effects preview sound.
  virtual PieceColor previewSide() const = 0;
  // Puts audioSettings() back into the running manager, dropping slider previews.
  virtual void restoreAudio() = 0;

  // The engine build chooser, owned by `owner`; whether a build was chosen.
  virtual bool chooseEngine(HWND owner) = 0;
  virtual std::string currentEnginePath() const = 0;
  // The sound-pack chooser, owned by `owner`.
  virtual void chooseSoundPack(HWND owner) = 0;

  // Runs the applier of a button that acts at once (clearing the hash table).
  virtual ApplyResult runAction(const std::string& key) = 0;
  // After every session open: the rows that show the engine's live state.
  virtual void fillInformationRows(Provider& provider) = 0;
};

}  // namespace Tavrune::Settings
