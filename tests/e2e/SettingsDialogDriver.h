#pragma once
// Drives the program's settings dialog from another process: its pages, the controls of
// the shown page (found by their labels) and the boxes it shows.
#include <windows.h>

#include <string>

namespace Tavrune::E2E::SettingsDialogDriver {

constexpr int kPageList = 1301;
constexpr int kApply = 1304;
enum Page { kBasic = 0, kAdvanced = 1, kEngine = 2, kAudio = 4 };

// The number of pages in the list.
int pageCount(HWND dialog);
// Chooses a page as the user would in the list; returns once the page is built.
void showPage(HWND dialog, int page);
// The editor of the row labelled `label`: the window that follows the label (a number
// row's trackbar; its number box follows that), or the check box or button that carries
// the label itself.
HWND editorOf(HWND dialog, const std::wstring& label);
std::wstring textOf(HWND control);
// Key presses on a control (arrows on a trackbar), each down and up.
void pressKey(HWND control, UINT virtualKey, int times = 1);
// Picks a row of a drop-down list as the arrow keys would.
void chooseOption(HWND dialog, HWND list, int index);
void click(HWND button);
// A message box owned by `owner` with the caption; null on time-out.
HWND waitForOwnedBox(HWND owner, const std::wstring& caption, int timeoutMs = 8000);
// Presses Apply and answers "设置已应用。"; false when that box did not come.
bool applyAndConfirm(HWND dialog);
bool waitUntilClosed(HWND dialog, int timeoutMs = 8000);

}  // namespace Tavrune::E2E::SettingsDialogDriver
