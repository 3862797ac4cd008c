// The shown page's windows: one row per control the provider lists, built from the
// draft after every change that can alter the page, with the texts screen readers read.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "app/resource.h"
#include "core/TextConversion.h"
#include "settings/ControlNumbers.h"
#include "settings/ControlTexts.h"
#include "settings/SettingsDialogState.h"

namespace Tavrune::Settings {

namespace {

// Offsets from the top left corner of the frame around the control area, in pixels.
constexpr int kFirstRowTop = 20;
constexpr int kLabelLeft = 18;
constexpr int kLabelWidth = 110;
constexpr int kEditorLeft = 136;
constexpr int kWideWidth = 322;
constexpr int kEditorWidth = 200;
constexpr int kRowHeight = 34;
constexpr int kFirstLineOffset = 24;
constexpr int kMinLineHeight = 18;
constexpr int kLineSpacing = 2;

struct PageBuilder {
  HWND dialog;
  SettingsDialogState& state;
  HFONT font;
  HWND zOrderTail;  // page windows follow the frame in tab order, in creation order

  HWND create(DWORD exStyle, const wchar_t* windowClass, const std::wstring& text, DWORD style, int x, int y,
              int width, int height, int id) {
    HWND window = CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                                  height, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(window, zOrderTail, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    zOrderTail = window;
    state.createdWindows.push_back(window);
    return window;
  }
  HWND createEditor(DWORD exStyle, const wchar_t* windowClass, const std::wstring& text, DWORD style, int x, int y,
                    int width, int height, int* id) {
    *id = state.nextControlId++;
    return create(exStyle, windowClass, text, style | WS_TABSTOP, x, y, width, height, *id);
  }

  int measureLine(const std::wstring& text, int width) {
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    RECT bounds{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &bounds, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return std::max<int>(kMinLineHeight, bounds.bottom - bounds.top);
  }
};

void annotate(SettingsDialogState& state, HWND window, AccessibleProperty property, const std::string& text) {
  if (state.annotator && window && !text.empty()) state.annotator->annotate(window, property, utf8ToWide(text));
}

int32_t positionOf(const SettingValue& value) {
  if (const int64_t* i = std::get_if<int64_t>(&value)) return static_cast<int32_t>(*i);
  if (const double* d = std::get_if<double>(&value)) {
    return std::isfinite(*d) ? static_cast<int32_t>(std::clamp(std::trunc(*d), -2147483648.0, 2147483647.0)) : 0;
  }
  return 0;
}

int selectedOption(const ControlSpec& control, const SettingValue& value) {
  for (size_t i = 0; i < control.options.size(); ++i) {
    if (Provider::valuesEqual(control.options[i].value, value)) return static_cast<int>(i);
  }
  return 0;
}

RECT controlArea(HWND dialog) {
  RECT frame{};
  GetWindowRect(GetDlgItem(dialog, IDC_SETTINGS_FRAME), &frame);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
  return frame;
}

}  // namespace

SettingsDialogState* dialogState(HWND dialog) {
  return reinterpret_cast<SettingsDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int32_t visibleAreaHeight(HWND dialog) {
  const RECT area = controlArea(dialog);
  return std::max<int32_t>(kRowHeight, area.bottom - area.top - kFirstRowTop - 8);
}

void createPageControlWidgets(HWND dialog) {
  SettingsDialogState& state = *dialogState(dialog);
  HWND focused = GetFocus();
  if (const ControlWidget* widget = findWidgetByWindow(state, focused)) {
    state.focusedKey = widget->control ? widget->control->id : std::string();
    state.focusOnNumberBox = widget->numberBox && widget->numberBox == focused;
  } else {
    state.focusedKey.clear();
    state.focusOnNumberBox = false;
  }
  state.nextControlId = 24000;
  for (HWND window : state.createdWindows) DestroyWindow(window);
  state.createdWindows.clear();
  state.widgets.clear();
  if (state.currentPage < 0 || state.currentPage >= int32_t(state.pages.size())) return;

  const SettingsPageEntry& page = state.pages[state.currentPage];
  SetDlgItemTextW(dialog, IDC_SETTINGS_PAGE_TITLE, utf8ToWide(page.title).c_str());
  const std::vector<ControlState> rows = state.provider->listPageControls(page.menuId);
  const RECT area = controlArea(dialog);
  PageBuilder build{dialog, state, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)),
                    GetDlgItem(dialog, IDC_SETTINGS_FRAME)};
  const int labelX = area.left + kLabelLeft;
  const int editorX = area.left + kEditorLeft;
  const int firstRow = area.top + kFirstRowTop;
  int rowsHeight = 0;
  HWND focusTarget = nullptr;
  // Number boxes are written while the page is being built: not the user typing.
  state.editGuard = true;

  for (const ControlState& row : rows) {
    const ControlSpec& control = *row.control;
    const int y = firstRow + rowsHeight - state.scrollPos;
    ControlWidget widget;
    widget.control = &control;
    widget.isDecimal = control.valueKind == ValueKind::Decimal;
    const std::wstring label = utf8ToWide(control.label);
    const bool wide = control.editorKind == EditorKind::Toggle || control.editorKind == EditorKind::Action;
    const bool choice = (control.editorKind == EditorKind::Choice || control.editorKind == EditorKind::ChoiceGroup) &&
                        !control.options.empty();
    const bool number = control.editorKind == EditorKind::Number &&
                        (control.valueKind == ValueKind::Integer || control.valueKind == ValueKind::Decimal);
    if (!wide) build.create(0, L"STATIC", label, 0, labelX, y + 4, kLabelWidth, 20, -1);

    // Buttons say when they get the focus only with BS_NOTIFY; the status line follows it.
    if (control.editorKind == EditorKind::Toggle) {
      widget.editor = build.createEditor(0, L"BUTTON", label, BS_AUTOCHECKBOX | BS_NOTIFY, labelX, y, kWideWidth, 22,
                                         &widget.editorId);
      const bool* on = std::get_if<bool>(&row.value);
      if (widget.editor) SendMessageW(widget.editor, BM_SETCHECK, on && *on ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (control.editorKind == EditorKind::Action) {
      widget.editor = build.createEditor(0, L"BUTTON", label, BS_PUSHBUTTON | BS_NOTIFY, labelX, y, kWideWidth, 24,
                                         &widget.editorId);
    } else if (choice) {
      widget.editor = build.createEditor(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, editorX, y,
                                         kEditorWidth, 400, &widget.editorId);
      for (const ChoiceOption& option : control.options) {
        SendMessageW(widget.editor, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToWide(option.label).c_str()));
      }
      SendMessageW(widget.editor, CB_SETCURSEL, selectedOption(control, row.value), 0);
    } else if (number) {
      const NumberLimits limits = numberLimitsOf(control);
      widget.minimum = limits.minimum;
      widget.maximum = limits.maximum;
      widget.step = limits.step;
      widget.digitCount = digitCountOf(limits.minimum, limits.maximum);
      const int32_t position = positionOf(row.value);
      widget.editor = build.createEditor(0, TRACKBAR_CLASSW, label, TBS_AUTOTICKS, editorX, y, 152, 28,
                                         &widget.editorId);
      widget.numberBox = build.createEditor(WS_EX_CLIENTEDGE, L"EDIT", std::to_wstring(position), ES_AUTOHSCROLL,
                                            editorX + 156, y + 2, 52, 22, &widget.numberBoxId);
      if (widget.editor) {
        SendMessageW(widget.editor, TBM_SETRANGEMIN, FALSE, limits.minimum);
        SendMessageW(widget.editor, TBM_SETRANGEMAX, FALSE, limits.maximum);
        SendMessageW(widget.editor, TBM_SETLINESIZE, 0, limits.step);
        SendMessageW(widget.editor, TBM_SETPAGESIZE, 0, 2 * limits.step);
        SendMessageW(widget.editor, TBM_SETTICFREQ, limits.step, 0);
        SendMessageW(widget.editor, TBM_SETPOS, TRUE, position);
        sliderPositionToPercent(state, widget.editor, limits.minimum, limits.maximum, position);
      }
      if (widget.numberBox) SendMessageW(widget.numberBox, EM_SETLIMITTEXT, 10, 0);
    } else {
      widget.editor = build.createEditor(WS_EX_CLIENTEDGE, L"EDIT", utf8ToWide(valueToString(row.value)),
                                         ES_AUTOHSCROLL | (control.readOnly ? ES_READONLY : 0), editorX, y,
                                         kEditorWidth, 22, &widget.editorId);
    }
    // Information rows stay enabled (read-only), so Tab reaches them and they are read.
    const bool enabled = row.editable || control.readOnly;
    if (widget.editor) EnableWindow(widget.editor, enabled);
    if (widget.numberBox) EnableWindow(widget.numberBox, enabled);

    if (!state.focusedKey.empty() && state.focusedKey == control.id) {
      focusTarget = state.focusOnNumberBox && widget.numberBox ? widget.numberBox : widget.editor;
    }

    const RowAccessibleTexts texts = rowAccessibleTexts(control, widget.minimum, widget.maximum);
    annotate(state, widget.editor, AccessibleProperty::Name, texts.editorName);
    annotate(state, widget.editor, AccessibleProperty::Description, texts.editorDescription);
    annotate(state, widget.numberBox, AccessibleProperty::Name, texts.numberBoxName);
    annotate(state, widget.numberBox, AccessibleProperty::Description, texts.numberBoxDescription);

    int linesHeight = 0;
    const int lineX = wide ? labelX : editorX;
    const int lineWidth = wide ? kWideWidth : kEditorWidth;
    for (const std::string& line : explanatoryLines(control)) {
      const std::wstring text = utf8ToWide(line);
      const int height = build.measureLine(text, lineWidth);
      build.create(0, L"STATIC", text, 0, lineX, y + kFirstLineOffset + linesHeight, lineWidth, height, -1);
      linesHeight += height + kLineSpacing;
    }
    state.widgets.push_back(widget);
    rowsHeight += kRowHeight + linesHeight;
  }
  state.editGuard = false;

  const int32_t visible = visibleAreaHeight(dialog);
  state.contentHeight = PageScroll::contentHeight(rowsHeight, !rows.empty());
  state.scrollPos = PageScroll::clampPosition(state.scrollPos, state.contentHeight, visible);
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, PageScroll::rangeEnd(state.contentHeight, visible),
                  UINT(visible), state.scrollPos, 0};
  SetScrollInfo(GetDlgItem(dialog, IDC_SETTINGS_SCROLL), SB_CTL, &info, TRUE);

  if (focusTarget) {
    SetFocus(focusTarget);
  } else if (!GetFocus()) {
    // The focused control went away with the old page: the keyboard must not be lost.
    SetFocus(GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST));
  }
  updateStatusForFocus(dialog, GetFocus());
}

ControlWidget* findWidgetByWindow(SettingsDialogState& state, HWND window) {
  if (!window) return nullptr;
  for (ControlWidget& widget : state.widgets) {
    if (widget.editor == window || widget.numberBox == window) return &widget;
  }
  return nullptr;
}

void updateStatusForFocus(HWND dialog, HWND focused) {
  SettingsDialogState& state = *dialogState(dialog);
  if (const ControlWidget* widget = findWidgetByWindow(state, focused); widget && widget->control) {
    refreshControlSummary(dialog, *widget);
    return;
  }
  SetDlgItemTextW(dialog, IDC_SETTINGS_STATUS,
                  utf8ToWide(pagePositionText(state.currentPage, int32_t(state.pages.size()))).c_str());
}

void refreshControlSummary(HWND dialog, const ControlWidget& widget) {
  const SettingsDialogState& state = *dialogState(dialog);
  if (!widget.control) return;
  SetDlgItemTextW(
      dialog, IDC_SETTINGS_STATUS,
      utf8ToWide(controlStatusText(state.currentPage, int32_t(state.pages.size()), *widget.control)).c_str());
}

void sliderPositionToPercent(SettingsDialogState& state, HWND trackbar, int32_t minimum, int32_t maximum,
                             int32_t position) {
  if (!IsWindow(trackbar)) return;
  annotate(state, trackbar, AccessibleProperty::Value,
           std::to_string(percentOfRange(position, minimum, maximum)) + "%");
}

}  // namespace Tavrune::Settings
