#pragma once
// The records of the settings tree: menus, pages and controls, each describing one
// setting once, with no window and no file. Plain values: the catalogue builds a tree,
// a provider copies it and hands out pointers into its own copy.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/SettingValue.h"

namespace Tavrune::Settings {

enum class EditorKind : int32_t {
  Choice = 0,
  ChoiceGroup = 1,  // same rules as Choice; kept for other front ends
  Toggle = 2,
  TextField = 3,  // free text and read-only information rows
  Action = 4,     // a button: holds no value
  Number = 5,
};

// Carried for front ends; no operation of the model reads it.
enum class ApplyTiming : int32_t { Immediate = 0, NextGame = 1, AfterRestart = 2 };

// 0 stands for "no platform set yet" and is in no list.
enum class Platform : int32_t { None = 0, WindowsDesktop = 1, Android = 2 };

enum class UnsupportedPresentation : int32_t { Hidden = 0, DisabledWithReason = 1 };

struct ChoiceOption {
  std::string id;  // never shown
  std::string label;
  SettingValue value;
};

struct AccessibilityHints {
  std::string accessibleName;         // spoken name; the label when empty
  std::string accessibleDescription;  // first part of the spoken description
};

struct PlatformAvailability {
  std::vector<Platform> platforms;  // empty: every platform
  UnsupportedPresentation unsupportedPresentation = UnsupportedPresentation::Hidden;
  std::string unsupportedReason;
  std::string unavailableReason;  // computed for the current platform; empty when available
};

struct ControlSpec {
  std::string id;  // the setting key, unique in the whole tree
  std::string label;
  std::string description;
  EditorKind editorKind = EditorKind::TextField;
  ValueKind valueKind = ValueKind::Text;
  SettingValue defaultValue;
  std::vector<ChoiceOption> options;
  // Limits of a Number control; integer limits are held as doubles.
  std::optional<double> minValue;
  std::optional<double> maxValue;
  std::optional<double> step;
  AccessibilityHints accessibility;
  PlatformAvailability availability;
  ApplyTiming applyTiming = ApplyTiming::Immediate;
  std::string noteText;
  bool readOnly = false;
  bool visible = true;   // computed
  bool editable = true;  // computed
};

struct PageSpec {
  std::string id;
  std::string title;
  std::string description;
  std::vector<ControlSpec> controls;
  AccessibilityHints accessibility;
  PlatformAvailability availability;
  bool visible = true;  // computed
  bool enabled = true;  // computed
};

// A leaf holds one page and no children; an inner menu holds children and no page.
struct MenuNode {
  std::string id;
  std::string title;
  std::string description;
  std::vector<MenuNode> children;
  std::optional<PageSpec> page;
  AccessibilityHints accessibility;
  PlatformAvailability availability;
  bool enabled = true;  // computed
  bool visible = true;  // computed
};

}  // namespace Tavrune::Settings
