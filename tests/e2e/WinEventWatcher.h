#pragma once
// Listens, from outside the program, to the accessibility events a screen reader gets:
// an out-of-context WinEvent hook on the program's process, on a thread of its own,
// recording the client object's name each time its name changes, the focused object's
// name at each focus event, and every name change of the process (board or cell) with
// the moment it arrived.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Tavrune::E2E {

class WinEventWatcher {
 public:
  // One name-change event as the listener got it.
  struct NameChange {
    LONG childId = CHILDID_SELF;  // CHILDID_SELF: the board itself; otherwise a cell
    std::chrono::steady_clock::time_point arrived;  // when the hook was called
    std::wstring name;                              // read right after, as a screen reader would
  };

  // With `focus`, focus events are read too; reading each one takes the listener time,
  // so later name changes may then be read late.
  explicit WinEventWatcher(DWORD processId, bool focus = false);
  ~WinEventWatcher();
  WinEventWatcher(const WinEventWatcher&) = delete;
  WinEventWatcher& operator=(const WinEventWatcher&) = delete;

  bool hooked() const { return hooked_; }
  // The names read at each name change of the board, oldest first. A screen reader
  // reads the name when the event arrives, so quick successive notices may read the
  // same, newer name.
  std::vector<std::wstring> names() const;
  bool waitForName(const std::wstring& name, int timeoutMs = 5000) const;
  // The names read at each focus event of the board or a cell, oldest first.
  std::vector<std::wstring> focusNames() const;
  // The index in focusNames() of the first name from `first` on that `accept` takes.
  std::optional<size_t> waitForFocusFrom(size_t first, const std::function<bool(const std::wstring&)>& accept,
                                         int timeoutMs = 5000) const;
  // The index in names() of the first board name from `first` on that `accept` takes;
  // none on time-out.
  std::optional<size_t> waitForNameFrom(size_t first, const std::function<bool(const std::wstring&)>& accept,
                                        int timeoutMs = 5000) const;
  // Every name-change event of the process, read or not.
  int eventCount() const;
  // Name change number `index` of the process (counted from 0 since the hook was set),
  // once it has arrived; none on time-out.
  std::optional<NameChange> waitForChange(size_t index, int timeoutMs = 5000) const;

 private:
  static void CALLBACK onEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                               DWORD thread, DWORD time);
  void record(DWORD event, HWND window, LONG objectId, LONG childId);
  std::optional<size_t> waitFrom(const std::vector<std::wstring>& list, size_t first,
                                 const std::function<bool(const std::wstring&)>& accept, int timeoutMs) const;

  DWORD processId_;
  std::atomic<bool> hooked_{false};
  std::atomic<DWORD> threadId_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<std::wstring> names_;
  std::vector<std::wstring> focusNames_;
  std::vector<NameChange> changes_;
  std::thread thread_;
};

}  // namespace Tavrune::E2E
