#include "app/KeyRouter.h"

namespace Tavrune {

KeyRoute KeyRouter::route(uint32_t virtualKey, bool ctrlHeld, bool readLineHotkeysEnabled) {
  if (ctrlHeld && readLineHotkeysEnabled && virtualKey >= kF1 && virtualKey <= kF9) {
    return {KeyAction::ReadBoardFile, static_cast<int32_t>(virtualKey - kF1 + 1)};
  }
  if (ctrlHeld && virtualKey == 'P') return {KeyAction::OpenSettings};
  if (ctrlHeld && virtualKey == 'H') return {KeyAction::ToggleDebugLog};
  if (virtualKey == 'R') return {KeyAction::RepeatLatestNotice};
  if (virtualKey == 'E') return {KeyAction::OlderNotice};
  if (virtualKey == 'T') return {KeyAction::NewerNotice};
  if (ctrlHeld && virtualKey == 'M') return {KeyAction::NextVolumeChannel};
  switch (virtualKey) {
    case kF5: return {KeyAction::VolumeDown};
    case kF6: return {KeyAction::VolumeUp};
    case kF7: return {KeyAction::ResetVolumeChannel};
    case kF8: return {KeyAction::ToggleAudioChannel};
    default: return {KeyAction::BoardKey};
  }
}

}  // namespace Tavrune
