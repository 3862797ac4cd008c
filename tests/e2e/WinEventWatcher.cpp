#include "e2e/WinEventWatcher.h"

#include <oleacc.h>

#include <chrono>

namespace Tavrune::E2E {

namespace {

// The hook procedure has no context argument; one watcher runs at a time.
std::atomic<WinEventWatcher*> activeWatcher{nullptr};

}  // namespace

WinEventWatcher::WinEventWatcher(DWORD processId) : processId_(processId) {
  activeWatcher = this;
  std::atomic<bool> ready{false};
  thread_ = std::thread([this, &ready] {
    threadId_ = GetCurrentThreadId();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Hooked for every process and filtered here: Wine delivers nothing to an
    // out-of-context hook that names the process.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                         &WinEventWatcher::onEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    hooked_ = hook != nullptr;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here
    ready = true;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    if (hook) UnhookWinEvent(hook);
    CoUninitialize();
  });
  while (!ready) Sleep(1);
}

WinEventWatcher::~WinEventWatcher() {
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  thread_.join();
  activeWatcher = nullptr;
}

void CALLBACK WinEventWatcher::onEvent(HWINEVENTHOOK, DWORD, HWND window, LONG objectId, LONG childId, DWORD,
                                       DWORD) {
  if (WinEventWatcher* watcher = activeWatcher.load()) watcher->record(window, objectId, childId);
}

void WinEventWatcher::record(HWND window, LONG objectId, LONG childId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != processId_) return;
  ++events_;
  if (objectId != OBJID_CLIENT || childId != CHILDID_SELF) return;
  IAccessible* object = nullptr;
  VARIANT child;
  VariantInit(&child);
  if (FAILED(AccessibleObjectFromEvent(window, static_cast<DWORD>(objectId), static_cast<DWORD>(childId), &object,
                                       &child)) ||
      !object) {
    return;
  }
  BSTR name = nullptr;
  if (SUCCEEDED(object->get_accName(child, &name)) && name) {
    std::lock_guard<std::mutex> lock(mutex_);
    names_.emplace_back(name, SysStringLen(name));
    SysFreeString(name);
  }
  object->Release();
}

std::vector<std::wstring> WinEventWatcher::names() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return names_;
}

bool WinEventWatcher::waitForName(const std::wstring& name, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    for (const std::wstring& seen : names()) {
      if (seen == name) return true;
    }
    Sleep(10);
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

}  // namespace Tavrune::E2E
