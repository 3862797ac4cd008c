#pragma once
// What the settings dialog says about a control and a page: the lines under a row, the
// accessible description, the status-line summary and the page's position. UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsSchema.h"

namespace Tavrune::Settings {

// The lines shown under a row: description, the reason it is greyed out (only then) and
// the note, each non-empty text once.
std::vector<std::string> explanatoryLines(const ControlSpec& control);

// The distinct non-empty texts among the accessible description and the lines above,
// joined with "。".
std::string buildAccessibleDescription(const ControlSpec& control);
// The label followed by each explanatory line, each after "。".
std::string buildControlSummary(const ControlSpec& control);

// "第2页 / 共6页" for the second of six pages.
std::string pagePositionText(int32_t pageIndex, int32_t pageCount);
// The status line while a control has the focus.
std::string controlStatusText(int32_t pageIndex, int32_t pageCount, const ControlSpec& control);

// What screen readers are told about the two windows of a row.
struct RowAccessibleTexts {
  std::string editorName;
  std::string editorDescription;
  std::string numberBoxName;  // number controls only
  std::string numberBoxDescription;
};
RowAccessibleTexts rowAccessibleTexts(const ControlSpec& control, int32_t minimum, int32_t maximum);

}  // namespace Tavrune::Settings
