#pragma once
// Which window-level action a key press starts, before the board keys see it. A pure
// function of the key, the Ctrl state and one setting, so the table is testable.
#include <cstdint>

namespace Tavrune {

enum class KeyAction {
  ReadBoardFile,       // Ctrl+F1..F9 with the read-line hot keys on
  OpenSettings,        // Ctrl+P
  ToggleDebugLog,      // Ctrl+H
  RepeatLatestNotice,  // R
  OlderNotice,         // E
  NewerNotice,         // T
  NextVolumeChannel,   // Ctrl+M
  VolumeDown,          // F5
  VolumeUp,            // F6
  ResetVolumeChannel,  // F7
  ToggleAudioChannel,  // F8
  BoardKey,            // everything else: notation entry, then the board keys
};

struct KeyRoute {
  KeyAction action = KeyAction::BoardKey;
  int32_t fileNumber = 0;  // 1..9 for ReadBoardFile
};

class KeyRouter {
 public:
  // Windows virtual-key codes, spelled out so this stays free of <windows.h>.
  static constexpr uint32_t kF1 = 0x70;
  static constexpr uint32_t kF5 = 0x74;
  static constexpr uint32_t kF6 = 0x75;
  static constexpr uint32_t kF7 = 0x76;
  static constexpr uint32_t kF8 = 0x77;
  static constexpr uint32_t kF9 = 0x78;

  // First matching row wins. R, E and T act with any modifiers.
  static KeyRoute route(uint32_t virtualKey, bool ctrlHeld, bool readLineHotkeysEnabled);
};

}  // namespace Tavrune
