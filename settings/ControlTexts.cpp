#include "settings/ControlTexts.h"

#include <algorithm>
#include <string_view>

namespace Tavrune::Settings {

namespace {

constexpr std::string_view kFullStop = "。";

bool endsWithFullStop(std::string_view text) { return text.ends_with(kFullStop); }

std::string_view withoutFullStop(std::string_view text) {
  if (endsWithFullStop(text)) text.remove_suffix(kFullStop.size());
  return text;
}

// A text that differs from one already taken only by its closing full stop says nothing new.
void addDistinct(std::vector<std::string>& texts, const std::string& text) {
  if (text.empty()) return;
  const bool taken = std::any_of(texts.begin(), texts.end(), [&text](const std::string& other) {
    return withoutFullStop(other) == withoutFullStop(text);
  });
  if (!taken) texts.push_back(text);
}

// Sentences joined by full stops, never two in a row.
std::string appendSentence(std::string text, const std::string& sentence) {
  if (!text.empty() && !endsWithFullStop(text)) text += kFullStop;
  return text + sentence;
}

std::string joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts) out = appendSentence(std::move(out), text);
  return out;
}

}  // namespace

std::vector<std::string> explanatoryLines(const ControlSpec& control) {
  std::vector<std::string> lines;
  addDistinct(lines, control.description);
  if (!control.editable) addDistinct(lines, control.availability.unavailableReason);
  addDistinct(lines, control.noteText);
  return lines;
}

std::string buildAccessibleDescription(const ControlSpec& control) {
  std::vector<std::string> texts;
  addDistinct(texts, control.accessibility.accessibleDescription);
  for (const std::string& line : explanatoryLines(control)) addDistinct(texts, line);
  return joined(texts);
}

std::string buildControlSummary(const ControlSpec& control) {
  std::string summary = control.label;
  for (const std::string& line : explanatoryLines(control)) summary = appendSentence(std::move(summary), line);
  return summary;
}

std::string pagePositionText(int32_t pageIndex, int32_t pageCount) {
  return "第" + std::to_string(pageIndex + 1) + "页 / 共" + std::to_string(pageCount) + "页";
}

std::string controlStatusText(int32_t pageIndex, int32_t pageCount, const ControlSpec& control) {
  return pagePositionText(pageIndex, pageCount) + "  |  " + buildControlSummary(control);
}

RowAccessibleTexts rowAccessibleTexts(const ControlSpec& control, int32_t minimum, int32_t maximum) {
  RowAccessibleTexts texts;
  texts.editorName = control.accessibility.accessibleName.empty() ? control.label
                                                                  : control.accessibility.accessibleName;
  const std::string description = buildAccessibleDescription(control);
  texts.editorDescription = description;
  if (control.editorKind != EditorKind::Number) return texts;
  texts.editorDescription = appendSentence(description, "可用左右方向键调节");
  texts.numberBoxName = texts.editorName + " 数值输入";
  texts.numberBoxDescription =
      appendSentence(description, "可输入范围 " + std::to_string(minimum) + " 到 " + std::to_string(maximum));
  return texts;
}

}  // namespace Tavrune::Settings
