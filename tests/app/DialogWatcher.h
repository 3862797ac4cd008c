#pragma once
// Answers a modal dialog or message box of this process from a helper thread, the way
// a user would: waits for a shown dialog window (class "#32770") with the given caption, then
// runs the action on it (set a text, press a button). Joins in the destructor.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace Tavrune::Test {

class DialogWatcher {
 public:
  DialogWatcher(std::wstring caption, std::function<void(HWND)> action, int timeoutMs = 5000);
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  // Waits for the helper to finish; whether the dialog was found and answered.
  bool wait();

  // Helpers for actions.
  static std::wstring controlText(HWND dialog, int controlId);
  static void setControlText(HWND dialog, int controlId, const std::wstring& text);
  static void press(HWND dialog, int buttonId);
  // Types the path into a file dialog's name box and presses OK, again while the dialog
  // is still there (it may still be filling its boxes); cancels it when it never accepts.
  static void chooseFile(HWND dialog, const std::wstring& path);
  // The lines of a list box, in order (also of another process's dialog).
  static std::vector<std::wstring> listLines(HWND dialog, int listId);
  // The text of a message box's message.
  static std::wstring messageBoxText(HWND box) { return controlText(box, 0xFFFF); }

 private:
  std::atomic<bool> found_{false};
  std::thread thread_;
};

}  // namespace Tavrune::Test
