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
constexpr int kAreaInset = 8;  // the row area starts this far inside the frame's left edge
constexpr int kLabelLeft = 18;
constexpr int kLabelWidth = 110;
constexpr int kLabelTop = 4;
constexpr int kLabelHeight = 20;
constexpr int kEditorLeft = 136;
constexpr int kWideWidth = 322;
constexpr int kEditorWidth = 200;
constexpr int kRowHeight = 34;
constexpr int kFirstLineOffset = 24;
constexpr int kMinLineHeight = 18;
constexpr int kLineSpacing = 2;

// The rows' parent hands their notifications to the dialog, which handles them as if the
// rows were its own children.
LRESULT CALLBACK rowAreaProc(HWND area, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY || message == WM_HSCROLL) {
    return SendMessageW(GetParent(area), message, wParam, lParam);
  }
  return DefWindowProcW(area, message, wParam, lParam);
}

RECT childRect(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT controlArea(HWND dialog) { return childRect(dialog, IDC_SETTINGS_FRAME); }

// The window that holds the rows: inside the frame, left of the scroll bar and above the
// frame's bottom edge, so a row lower down is cut off instead of covering the status line
// and the buttons. It follows the frame in the Tab order, and Tab walks into it.
HWND createRowArea(HWND dialog) {
  static const ATOM registered = [] {
    WNDCLASSEXW rowClass{};
    rowClass.cbSize = sizeof(rowClass);
    rowClass.lpfnWndProc = rowAreaProc;
    rowClass.hInstance = GetModuleHandleW(nullptr);
    rowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    rowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    rowClass.lpszClassName = kRowAreaClass;
    return RegisterClassExW(&rowClass);
  }();
  (void)registered;
  const RECT frame = controlArea(dialog);
  const RECT bar = childRect(dialog, IDC_SETTINGS_SCROLL);
  const int left = frame.left + kAreaInset;
  const int right = bar.left > left ? bar.left - 1 : frame.right - kAreaInset;
  HWND area = CreateWindowExW(WS_EX_CONTROLPARENT, kRowAreaClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, left,
                              frame.top + kFirstRowTop, right - left, visibleAreaHeight(dialog), dialog, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (area) {
    SetWindowPos(area, GetDlgItem(dialog, IDC_SETTINGS_FRAME), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return area;
}

struct PageBuilder {
  // The texts are measured on one device context, with the dialog's font, for the whole build.
  PageBuilder(HWND dialog, SettingsDialogState& state, HFONT font)
      : dialog(dialog), state(state), font(font), dc(GetDC(dialog)), oldFont(SelectObject(dc, font)) {}
  ~PageBuilder() {
    SelectObject(dc, oldFont);
    ReleaseDC(dialog, dc);
  }
  PageBuilder(const PageBuilder&) = delete;
  PageBuilder& operator=(const PageBuilder&) = delete;

  HWND dialog;
  SettingsDialogState& state;
  HFONT font;
  HDC dc;
  HGDIOBJ oldFont;
  HWND zOrderTail = nullptr;  // the rows keep their creation order in the Tab order

  HWND create(DWORD exStyle, const wchar_t* windowClass, const std::wstring& text, DWORD style, int x, int y,
              int width, int height, int id) {
    HWND window = CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                                  height, state.rowArea, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(window, zOrderTail ? zOrderTail : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    zOrderTail = window;
    state.createdWindows.push_back(window);
    return window;
  }
  HWND createEditor(DWORD exStyle, const wchar_t* windowClass, const std::wstring& text, DWORD style, int x, int y,
                    int width, int height, int* id) {
    *id = state.nextControlId++;
    return create(exStyle, windowClass, text, style | WS_TABSTOP, x, y, width, height, *id);
  }

  // The height the text takes wrapped to the width, at least `minimum`.
  int measure(const std::wstring& text, int width, int minimum) {
    RECT bounds{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &bounds, DT_CALCRECT | DT_WORDBREAK);
    return std::max<int>(minimum, bounds.bottom - bounds.top);
  }
};

void annotate(SettingsDialogState& state, HWND window, AccessibleProperty property, const std::string& text) {
  if (state.annotator && window && !text.empty()) state.annotator->annotate(window, property, utf8ToWide(text));
}

int32_t positionOf(const SettingValue& value) {
  if (const int64_t* i = std::get_if<int64_t>(&value)) {
    return static_cast<int32_t>(std::clamp<int64_t>(*i, INT32_MIN, INT32_MAX));
  }
  if (const double* d = std::get_if<double>(&value)) {
    return std::isfinite(*d) ? static_cast<int32_t>(std::clamp(std::trunc(*d), -2147483648.0, 2147483647.0)) : 0;
  }
  return 0;
}

// The option equal to the value; else one whose text differs only in letter case (a file
// edited by hand); else the first.
int selectedOption(const ControlSpec& control, const SettingValue& value) {
  for (size_t i = 0; i < control.options.size(); ++i) {
    if (Provider::valuesEqual(control.options[i].value, value)) return static_cast<int>(i);
  }
  if (const std::string* text = std::get_if<std::string>(&value)) {
    for (size_t i = 0; i < control.options.size(); ++i) {
      const std::string* option = std::get_if<std::string>(&control.options[i].value);
      if (option && equalsIgnoringAsciiCase(*option, *text)) return static_cast<int>(i);
    }
  }
  return 0;
}

void showScrollPosition(HWND dialog, const SettingsDialogState& state, int32_t visible) {
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, PageScroll::rangeEnd(state.contentHeight, visible),
                  UINT(visible), state.scrollPos, 0};
  SetScrollInfo(GetDlgItem(dialog, IDC_SETTINGS_SCROLL), SB_CTL, &info, TRUE);
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
  if (!state.rowArea) state.rowArea = createRowArea(dialog);
  // The old rows go only once the focus has moved to the new ones: a focused window that
  // is destroyed hands the focus to its parents first, and screen readers say each.
  const bool focusInOldRows = focused && state.rowArea && IsChild(state.rowArea, focused);
  const std::vector<HWND> oldWindows = std::move(state.createdWindows);
  state.createdWindows.clear();
  state.widgets.clear();
  const auto dropOldRows = [&oldWindows] {
    for (HWND window : oldWindows) DestroyWindow(window);
  };
  if (state.currentPage < 0 || state.currentPage >= int32_t(state.pages.size())) {
    if (focusInOldRows) SetFocus(GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST));
    dropOldRows();
    return;
  }

  const SettingsPageEntry& page = state.pages[state.currentPage];
  SetDlgItemTextW(dialog, IDC_SETTINGS_PAGE_TITLE, utf8ToWide(page.title).c_str());
  const std::vector<ControlState> rows = state.provider->listPageControls(page.menuId);
  PageBuilder build{dialog, state, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0))};
  const int labelX = kLabelLeft - kAreaInset;
  const int editorX = kEditorLeft - kAreaInset;
  int rowsHeight = 0;
  HWND focusTarget = nullptr;
  // Number boxes are written while the page is being built: not the user typing.
  state.editGuard = true;

  for (const ControlState& row : rows) {
    const ControlSpec& control = *row.control;
    const int y = rowsHeight - state.scrollPos;
    ControlWidget widget;
    widget.control = &control;
    widget.isDecimal = control.valueKind == ValueKind::Decimal;
    const std::wstring label = utf8ToWide(control.label);
    const bool wide = control.editorKind == EditorKind::Toggle || control.editorKind == EditorKind::Action;
    const bool choice = (control.editorKind == EditorKind::Choice || control.editorKind == EditorKind::ChoiceGroup) &&
                        !control.options.empty();
    const bool number = isNumberRow(control);
    // A label too long for its width goes on over more lines.
    const int labelHeight = wide ? 0 : build.measure(label, kLabelWidth, kLabelHeight);
    if (!wide) build.create(0, L"STATIC", label, 0, labelX, y + kLabelTop, kLabelWidth, labelHeight, -1);

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
      // A stored value outside the range (a custom Elo of 0, "not set") is shown at the
      // nearer limit; it is stored back as it was unless the player moves it.
      const int32_t position =
          std::clamp(positionOf(row.value), limits.minimum, std::max(limits.minimum, limits.maximum));
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
      const int height = build.measure(text, lineWidth, kMinLineHeight);
      build.create(0, L"STATIC", text, 0, lineX, y + kFirstLineOffset + linesHeight, lineWidth, height, -1);
      linesHeight += height + kLineSpacing;
    }
    widget.rowTop = rowsHeight;
    widget.rowHeight = std::max(kRowHeight + linesHeight, kLabelTop + labelHeight + kLineSpacing);
    state.widgets.push_back(widget);
    rowsHeight += widget.rowHeight;
  }
  // What reading each editor gives before the player touches it: a row read back the same
  // leaves the draft alone.
  for (ControlWidget& widget : state.widgets) widget.shownValue = readEditor(widget).value.value_or(SettingValue{});
  state.editGuard = false;

  const int32_t visible = visibleAreaHeight(dialog);
  state.contentHeight = PageScroll::contentHeight(rowsHeight, !rows.empty());
  state.scrollPos = PageScroll::clampPosition(state.scrollPos, state.contentHeight, visible);
  showScrollPosition(dialog, state, visible);

  if (focusTarget) {
    state.restoringFocus = true;
    SetFocus(focusTarget);
    state.restoringFocus = false;
  } else if (focusInOldRows || !GetFocus()) {
    // The focused control went away with the old page: the keyboard must not be lost.
    SetFocus(GetDlgItem(dialog, IDC_SETTINGS_PAGE_LIST));
  }
  dropOldRows();
  updateStatusForFocus(dialog, GetFocus());
}

void scrollIntoView(HWND dialog, HWND window) {
  SettingsDialogState& state = *dialogState(dialog);
  const ControlWidget* widget = findWidgetByWindow(state, window);
  if (state.restoringFocus || !widget) return;
  const int32_t visible = visibleAreaHeight(dialog);
  const int32_t wanted = PageScroll::clampPosition(
      PageScroll::positionShowing(state.scrollPos, widget->rowTop, widget->rowHeight, visible), state.contentHeight,
      visible);
  if (wanted == state.scrollPos) return;
  // The rows move as they are, so nothing typed or moved on the page is lost.
  const int shift = state.scrollPos - wanted;
  for (HWND row : state.createdWindows) {
    RECT rect{};
    GetWindowRect(row, &rect);
    MapWindowPoints(nullptr, state.rowArea, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(row, nullptr, rect.left, rect.top + shift, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  }
  state.scrollPos = wanted;
  showScrollPosition(dialog, state, visible);
  RedrawWindow(state.rowArea, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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
