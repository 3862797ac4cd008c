#pragma once
// The settings dialog: the state it works on while it is open, one record per editor of
// the shown page, and the operations its procedure is made of.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/AccessibleAnnotator.h"
#include "settings/Provider.h"
#include "settings/SettingsDialogHost.h"
#include "settings/SettingsPages.h"

namespace Tavrune::Settings {

// The window class of the area that holds the shown page's rows, inside the page's frame.
constexpr wchar_t kRowAreaClass[] = L"TavruneSettingsRows";

// One editor of the shown page.
struct ControlWidget {
  const ControlSpec* control = nullptr;  // in the provider's tree
  HWND editor = nullptr;                 // null when its creation failed
  HWND numberBox = nullptr;              // the box beside a trackbar
  int32_t editorId = 0;
  int32_t numberBoxId = 0;
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t step = 1;
  int32_t digitCount = 0;
  bool isDecimal = false;
  int32_t rowTop = 0;  // the row's place in the page's content, in pixels
  int32_t rowHeight = 0;
  SettingValue shownValue;  // what reading the editor gave right after the page was built
};

// Lives on the opener's stack for the dialog's life; the dialog keeps a pointer to it.
struct SettingsDialogState {
  SettingsDialogHost* host = nullptr;
  Provider* provider = nullptr;
  AccessibleAnnotator* annotator = nullptr;
  std::vector<SettingsPageEntry> pages;
  int32_t currentPage = 0;
  bool saved = false;
  HWND rowArea = nullptr;  // the rows' parent: the control area inside the frame, which clips them
  std::vector<HWND> createdWindows;
  std::vector<ControlWidget> widgets;
  int32_t scrollPos = 0;
  int32_t contentHeight = 0;
  bool editGuard = false;  // set while the dialog itself rewrites a number box
  bool previewChanged = false;  // a slider changed a live volume since opening or Apply
  DWORD lastPreviewTick = 0;
  int32_t nextControlId = 24000;
  std::string focusedKey;
  bool focusOnNumberBox = false;
  bool restoringFocus = false;  // a rebuild puts the focus back: the page keeps its scroll position
};

// Runs the dialog modally over an open session and ends it: saved, or cancelled with the
// previews undone. The caller has told the user when the session could not open.
void showSettingsDialog(HWND owner, SettingsDialogHost& host, Provider& provider, AccessibleAnnotator& annotator);

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
bool saveAndVerifySettings(HWND dialog, bool closeAfter);

// Every editable control of the page that the player changed into the draft; false at the
// first value that cannot be read or is refused, after its box.
bool parseControlText(HWND dialog);
// What an editor holds, in its setting's kind: nothing for a row that is not read, or the
// message for a text that does not parse.
struct EditorReading {
  std::optional<SettingValue> value;
  const wchar_t* refusal = nullptr;
};
EditorReading readEditor(const ControlWidget& widget);
// The value into the draft; a refusal other than a control the value before it made
// inactive (or, for the second, a read-only row) is shown on `owner`.
bool setDraftFromWidget(SettingsDialogState& state, const std::string& key, const SettingValue& value, HWND owner);
bool setDraftSkippingReadOnly(SettingsDialogState& state, const std::string& key, const SettingValue& value,
                              HWND dialog);

// A number row: a trackbar with its number box.
bool isNumberRow(const ControlSpec& control);
// Writes a number into a number box without it counting as typing.
void writeNumberBox(SettingsDialogState& state, HWND box, int32_t number);
// Moves a number row's trackbar, its accessible value and its box to the position.
void showNumber(SettingsDialogState& state, const ControlWidget& widget, int32_t position);

// Rebuilds the shown page from the draft and puts the focus back where it was.
void createPageControlWidgets(HWND dialog);
ControlWidget* findWidgetByWindow(SettingsDialogState& state, HWND window);
void updateStatusForFocus(HWND dialog, HWND focused);
// Scrolls the page, without rebuilding it, so that the row of the window is wholly shown.
void scrollIntoView(HWND dialog, HWND window);
void refreshControlSummary(HWND dialog, const ControlWidget& widget);
// The trackbar's accessible value: its place in the range, in percent.
void sliderPositionToPercent(SettingsDialogState& state, HWND trackbar, int32_t minimum, int32_t maximum,
                             int32_t position);

SettingsDialogState* dialogState(HWND dialog);
// The height of the control area that shows rows, in pixels.
int32_t visibleAreaHeight(HWND dialog);

}  // namespace Tavrune::Settings
