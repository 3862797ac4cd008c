#include "settings/ControlTexts.h"

#include <algorithm>

namespace Tavrune::Settings {

namespace {

void addDistinct(std::vector<std::string>& texts, const std::string& text) {
  if (!text.empty() && std::find(texts.begin(), texts.end(), text) == texts.end()) texts.push_back(text);
}

std::string joined(const std::vector<std::string>& texts, const std::string& separator) {
  std::string out;
  for (const std::string& text : texts) out += (out.empty() ? "" : separator) + text;
  return out;
}

std::string appendSentence(std::string text, const std::string& sentence) {
  return text.empty() ? sentence : text + "。" + sentence;
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
  return joined(texts, "。");
}

std::string buildControlSummary(const ControlSpec& control) {
  std::string summary = control.label;
  for (const std::string& line : explanatoryLines(control)) summary += "。" + line;
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
