#pragma once
// Calls back on the creating thread whenever a window is about to be created there: a
// message box, a dialog, a file dialog or a popup menu. Notices held for the end of an
// action must be spoken before such a window takes the screen reader's attention.
#include <windows.h>

#include <functional>

namespace Tavrune {

class WinWindowOpeningHook {
 public:
  // Hooks the calling thread; one hook per thread. `onOpening` must not create windows.
  explicit WinWindowOpeningHook(std::function<void()> onOpening);
  ~WinWindowOpeningHook();
  WinWindowOpeningHook(const WinWindowOpeningHook&) = delete;
  WinWindowOpeningHook& operator=(const WinWindowOpeningHook&) = delete;

  bool hooked() const { return hook_ != nullptr; }

 private:
  static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);

  std::function<void()> onOpening_;
  HHOOK hook_ = nullptr;
};

}  // namespace Tavrune
