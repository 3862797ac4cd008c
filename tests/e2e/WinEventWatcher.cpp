#include "e2e/WinEventWatcher.h"

#include <oleacc.h>

#include <chrono>

namespace Tavrune::E2E {

namespace {

// The hook procedure has no context argument; one watcher runs at a time.
std::atomic<WinEventWatcher*> activeWatcher{nullptr};

}  // namespace

WinEventWatcher::WinEventWatcher(DWORD processId, bool focus) : processId_(processId) {
  activeWatcher = this;
  std::atomic<bool> ready{false};
  thread_ = std::thread([this, &ready, focus] {
    threadId_ = GetCurrentThreadId();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Hooked for every process and filtered here: Wine delivers nothing to an
    // out-of-context hook that names the process.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                         &WinEventWatcher::onEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    HWINEVENTHOOK focusHook = focus ? SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr,
                                                      &WinEventWatcher::onEvent, 0, 0, WINEVENT_OUTOFCONTEXT)
                                    : nullptr;
    hooked_ = hook != nullptr && (!focus || focusHook != nullptr);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here
    ready = true;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    if (hook) UnhookWinEvent(hook);
    if (focusHook) UnhookWinEvent(focusHook);
    CoUninitialize();
  });
  while (!ready) Sleep(1);
}

WinEventWatcher::~WinEventWatcher() {
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  thread_.join();
  activeWatcher = nullptr;
}

void CALLBACK WinEventWatcher::onEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD,
                                       DWORD) {
  if (WinEventWatcher* watcher = activeWatcher.load()) watcher->record(event, window, objectId, childId);
}

void WinEventWatcher::record(DWORD event, HWND window, LONG objectId, LONG childId) {
  const auto arrived = std::chrono::steady_clock::now();
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != processId_) return;
  NameChange change{childId, arrived, {}};
  bool nameRead = false;
  IAccessible* object = nullptr;
  VARIANT child;
  VariantInit(&child);
  if (objectId == OBJID_CLIENT &&
      SUCCEEDED(AccessibleObjectFromEvent(window, static_cast<DWORD>(objectId), static_cast<DWORD>(childId), &object,
                                          &child)) &&
      object) {
    BSTR name = nullptr;
    if (SUCCEEDED(object->get_accName(child, &name)) && name) {
      change.name.assign(name, SysStringLen(name));
      nameRead = true;
      SysFreeString(name);
    }
    object->Release();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (event == EVENT_OBJECT_FOCUS) {
      if (nameRead) focusNames_.push_back(change.name);
    } else {
      if (objectId == OBJID_CLIENT && childId == CHILDID_SELF && nameRead) names_.push_back(change.name);
      changes_.push_back(std::move(change));
    }
  }
  arrived_.notify_all();
}

std::vector<std::wstring> WinEventWatcher::names() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return names_;
}

bool WinEventWatcher::waitForName(const std::wstring& name, int timeoutMs) const {
  return waitForNameFrom(0, [&](const std::wstring& seen) { return seen == name; }, timeoutMs).has_value();
}

std::optional<size_t> WinEventWatcher::waitForNameFrom(size_t first,
                                                       const std::function<bool(const std::wstring&)>& accept,
                                                       int timeoutMs) const {
  return waitFrom(names_, first, accept, timeoutMs);
}

std::vector<std::wstring> WinEventWatcher::focusNames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return focusNames_;
}

std::optional<size_t> WinEventWatcher::waitForFocusFrom(size_t first,
                                                        const std::function<bool(const std::wstring&)>& accept,
                                                        int timeoutMs) const {
  return waitFrom(focusNames_, first, accept, timeoutMs);
}

// `list` is one of the recorded lists, read under the lock.
std::optional<size_t> WinEventWatcher::waitFrom(const std::vector<std::wstring>& list, size_t first,
                                                const std::function<bool(const std::wstring&)>& accept,
                                                int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock<std::mutex> lock(mutex_);
  size_t checked = first;
  do {
    for (; checked < list.size(); ++checked) {
      if (accept(list[checked])) return checked;
    }
  } while (arrived_.wait_until(lock, deadline) != std::cv_status::timeout || checked < list.size());
  return std::nullopt;
}

int WinEventWatcher::eventCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(changes_.size());
}

std::optional<WinEventWatcher::NameChange> WinEventWatcher::waitForChange(size_t index, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return changes_.size() > index; })) {
    return std::nullopt;
  }
  return changes_[index];
}

}  // namespace Tavrune::E2E
