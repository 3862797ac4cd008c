#pragma once
// Listens, from outside the program, to the accessibility events a screen reader gets:
// an out-of-context WinEvent hook on the program's process, on a thread of its own,
// recording the client object's name each time its name changes.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Tavrune::E2E {

class WinEventWatcher {
 public:
  explicit WinEventWatcher(DWORD processId);
  ~WinEventWatcher();
  WinEventWatcher(const WinEventWatcher&) = delete;
  WinEventWatcher& operator=(const WinEventWatcher&) = delete;

  bool hooked() const { return hooked_; }
  // The names read at each name change of the board, oldest first. A screen reader
  // reads the name when the event arrives, so quick successive notices may read the
  // same, newer name.
  std::vector<std::wstring> names() const;
  bool waitForName(const std::wstring& name, int timeoutMs = 5000) const;
  // Every name-change event of the process, read or not.
  int eventCount() const { return events_; }

 private:
  static void CALLBACK onEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                               DWORD thread, DWORD time);
  void record(HWND window, LONG objectId, LONG childId);

  DWORD processId_;
  std::atomic<bool> hooked_{false};
  std::atomic<DWORD> threadId_{0};
  std::atomic<int> events_{0};
  mutable std::mutex mutex_;
  std::vector<std::wstring> names_;
  std::thread thread_;
};

}  // namespace Tavrune::E2E
