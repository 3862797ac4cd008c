#pragma once
// Listens, like a screen reader does, for the WinEvents of one window with an
// out-of-context hook on the calling thread; events arrive while that thread pumps.
#include <windows.h>

#include <vector>

namespace Tavrune::A11yTest {

struct WinEvent {
  DWORD event;
  LONG objectId;
  LONG childId;
  friend bool operator==(const WinEvent&, const WinEvent&) = default;
};

class WinEventRecorder {
 public:
  explicit WinEventRecorder(HWND window);
  ~WinEventRecorder();
  bool hooked() const { return hook_ != nullptr; }
  // Pumps until `count` events have arrived (or a few seconds pass); returns them all.
  const std::vector<WinEvent>& waitFor(size_t count);
  void clear() { events_.clear(); }

 private:
  static void CALLBACK onEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId,
                               LONG childId, DWORD thread, DWORD time);
  HWND window_;
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<WinEvent> events_;
};

}  // namespace Tavrune::A11yTest
