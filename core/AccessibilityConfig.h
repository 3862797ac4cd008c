#pragma once
// Speech and keyboard-input switches: the "Accessibility" section of "config.json".
// The initial values are those of a new user with no file yet; a file that lacks a key
// gives that key the loader's own default instead (see ConfigJson).

namespace Tavrune {

struct AccessibilityConfig {
  bool professionalNotation = true;
  bool liftToActivate = false;
  bool liftOrSelectReadPieceName = true;
  bool touchGuardGestureMode = false;
  bool accessibilityAudioChannel = false;
  bool windowsUiaProviderEnabled = false;
  bool windowsReadLineHotkeysEnabled = true;
  bool windowsReadLineAllEmptyShortcutEnabled = true;
  bool windowsNumpadNotationInputEnabled = true;
  bool windowsMainKeyboardNotationInputEnabled = false;
  bool windowsNumpadFrontBackAlias82Enabled = true;
  int windowsNumpadInputTimeoutMs = 0;  // 0..10000

  bool operator==(const AccessibilityConfig&) const = default;
};

}  // namespace Tavrune
