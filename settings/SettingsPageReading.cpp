// Reading the shown page into the draft: what each editor holds, converted to the kind
// its setting asks for, handed to the provider one control at a time.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "core/TextConversion.h"
#include "settings/ControlNumbers.h"
#include "settings/SettingsDialogState.h"

namespace Tavrune::Settings {

namespace {

constexpr wchar_t kSettingFailedCaption[] = L"设置失败";
constexpr int kNumberBoxChars = 64;
constexpr int kTextChars = 512;

std::wstring windowText(HWND window, int capacity) {
  std::wstring text(capacity, L'\0');
  const int length = GetWindowTextW(window, text.data(), capacity);
  text.resize(length > 0 ? length : 0);
  return text;
}

void warn(HWND owner, const std::wstring& message) {
  MessageBoxW(owner, message.c_str(), kSettingFailedCaption, MB_OK | MB_ICONWARNING);
}

// The trackbar and its box agree on one number, snapped to the step: a box that does
// not parse is repaired from the trackbar, one that does moves the trackbar.
int32_t numberShown(const ControlWidget& widget) {
  int32_t position = static_cast<int32_t>(SendMessageW(widget.editor, TBM_GETPOS, 0, 0));
  if (widget.numberBox) {
    const std::optional<int32_t> typed =
        parseLeadingInt32(wideToUtf8(windowText(widget.numberBox, kNumberBoxChars)));
    if (typed) position = std::clamp(*typed, widget.minimum, std::max(widget.minimum, widget.maximum));
  }
  if (widget.control->valueKind == ValueKind::Integer) {
    position = snapToStep(position, {widget.minimum, widget.maximum, widget.step});
  }
  return position;
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool setDraft(SettingsDialogState& state, const std::string& key, const SettingValue& value, HWND owner,
              const char* quietRefusal) {
  std::string error;
  if (state.provider->setDraftValue(key, value, &error)) return true;
  if (startsWith(error, quietRefusal)) return true;
  warn(owner, utf8ToWide(error));
  return false;
}

}  // namespace

bool isNumberRow(const ControlSpec& control) {
  return control.editorKind == EditorKind::Number &&
         (control.valueKind == ValueKind::Integer || control.valueKind == ValueKind::Decimal);
}

void writeNumberBox(SettingsDialogState& state, HWND box, int32_t number) {
  if (!box) return;
  state.editGuard = true;
  SetWindowTextW(box, std::to_wstring(number).c_str());
  state.editGuard = false;
}

void showNumber(SettingsDialogState& state, const ControlWidget& widget, int32_t position) {
  SendMessageW(widget.editor, TBM_SETPOS, TRUE, position);
  sliderPositionToPercent(state, widget.editor, widget.minimum, widget.maximum, position);
  writeNumberBox(state, widget.numberBox, position);
}

bool setDraftFromWidget(SettingsDialogState& state, const std::string& key, const SettingValue& value, HWND owner) {
  // A control that the value stored just before it made inactive is passed over.
  return setDraft(state, key, value, owner, "control is not editable on this platform:");
}

bool setDraftSkippingReadOnly(SettingsDialogState& state, const std::string& key, const SettingValue& value,
                              HWND dialog) {
  return setDraft(state, key, value, dialog, "control is read-only:");
}

EditorReading readEditor(const ControlWidget& widget) {
  const ControlSpec* control = widget.control;
  if (!control || !widget.editor || control->readOnly || !control->editable ||
      control->editorKind == EditorKind::Action) {
    return {};
  }
  const bool choice = control->editorKind == EditorKind::Choice || control->editorKind == EditorKind::ChoiceGroup;
  if (control->editorKind == EditorKind::Toggle) {
    return {SendMessageW(widget.editor, BM_GETCHECK, 0, 0) == BST_CHECKED};
  }
  if (choice && !control->options.empty()) {
    const LRESULT index = SendMessageW(widget.editor, CB_GETCURSEL, 0, 0);
    if (index < 0 || size_t(index) >= control->options.size()) return {};
    return {control->options[size_t(index)].value};
  }
  if (isNumberRow(*control)) {
    const int32_t position = numberShown(widget);
    if (widget.isDecimal) return {double(position)};
    return {int64_t(position)};
  }
  const std::string text = wideToUtf8(windowText(widget.editor, kTextChars));
  if (control->valueKind == ValueKind::Integer) {
    const std::optional<int64_t> number = parseLeadingInteger(text);
    if (!number) return {std::nullopt, L"整数格式无效"};
    return {*number};
  }
  if (control->valueKind == ValueKind::Decimal) {
    const std::optional<double> number = parseLeadingDecimal(text);
    if (!number) return {std::nullopt, L"小数格式无效"};
    return {*number};
  }
  return {text};
}

bool parseControlText(HWND dialog) {
  SettingsDialogState& state = *dialogState(dialog);
  for (ControlWidget& widget : state.widgets) {
    const EditorReading reading = readEditor(widget);
    if (reading.refusal) return warn(dialog, reading.refusal), false;
    if (!reading.value) continue;
    if (isNumberRow(*widget.control)) showNumber(state, widget, numberShown(widget));
    // A row the player left as it was shown keeps the stored value, even one the editor
    // cannot show as it is (a choice spelt in other letter case, a number out of range).
    if (Provider::valuesEqual(*reading.value, widget.shownValue)) continue;
    if (!setDraftFromWidget(state, widget.control->id, *reading.value, dialog)) return false;
    // The page may be read again before it is rebuilt: a row changed back must count as
    // changed then, or the draft keeps the value it had in between.
    widget.shownValue = *reading.value;
  }
  return true;
}

}  // namespace Tavrune::Settings
