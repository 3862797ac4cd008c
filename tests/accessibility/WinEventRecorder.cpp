#include "WinEventRecorder.h"

#include "TestBoardWindow.h"

namespace Tavrune::A11yTest {

namespace {
WinEventRecorder* activeRecorder = nullptr;
}  // namespace

WinEventRecorder::WinEventRecorder(HWND window) : window_(window) {
  activeRecorder = this;
  hook_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                          &WinEventRecorder::onEvent, GetCurrentProcessId(), 0,
                          WINEVENT_OUTOFCONTEXT);
}

WinEventRecorder::~WinEventRecorder() {
  if (hook_) UnhookWinEvent(hook_);
  activeRecorder = nullptr;
}

const std::vector<WinEvent>& WinEventRecorder::waitFor(size_t count) {
  pumpUntil([&] { return events_.size() >= count; }, std::chrono::seconds(5));
  // A little longer, so that an unexpected extra event shows up too.
  const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
  pumpUntil([&] { return std::chrono::steady_clock::now() >= settle; });
  return events_;
}

void CALLBACK WinEventRecorder::onEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId,
                                        LONG childId, DWORD, DWORD) {
  if (!activeRecorder || window != activeRecorder->window_) return;
  // Only the accessibility events of the board, not the system's own for the window.
  if (objectId != OBJID_CLIENT) return;
  activeRecorder->events_.push_back({event, objectId, childId});
}

}  // namespace Tavrune::A11yTest
