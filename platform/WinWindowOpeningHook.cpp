#include "platform/WinWindowOpeningHook.h"

#include <utility>

#include "core/Log.h"

namespace Tavrune {

namespace {

// A hook procedure gets no context; the hook belongs to one thread.
thread_local WinWindowOpeningHook* threadHook = nullptr;
thread_local bool calling = false;

}  // namespace

WinWindowOpeningHook::WinWindowOpeningHook(std::function<void()> onOpening) : onOpening_(std::move(onOpening)) {
  hook_ = SetWindowsHookExW(WH_CBT, &WinWindowOpeningHook::hookProc, nullptr, GetCurrentThreadId());
  if (hook_) {
    threadHook = this;
  } else {
    logWarning("[MainWindow] Window-opening hook could not be set; notices may follow a box");
  }
}

WinWindowOpeningHook::~WinWindowOpeningHook() {
  if (!hook_) return;
  UnhookWindowsHookEx(hook_);
  if (threadHook == this) threadHook = nullptr;
}

LRESULT CALLBACK WinWindowOpeningHook::hookProc(int code, WPARAM wParam, LPARAM lParam) {
  WinWindowOpeningHook* self = threadHook;
  // The callback may raise events whose handlers open windows of their own: no nesting.
  if (code == HCBT_CREATEWND && self && self->onOpening_ && !calling) {
    calling = true;
    self->onOpening_();
    calling = false;
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

}  // namespace Tavrune
