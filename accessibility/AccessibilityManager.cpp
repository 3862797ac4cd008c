#include "accessibility/AccessibilityManager.h"

#include <oleacc.h>

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "accessibility/BoardWindowAccessible.h"
#include "accessibility/FaultGuard.h"
#include "accessibility/UIABoardProvider.h"
#include "accessibility/UIAProviderHost.h"
#include "accessibility/UiaCore.h"
#include "accessibility/UiaIdentifiers.h"
#include "core/Log.h"

namespace Tavrune {

namespace {

const wchar_t kTitlePrefix[] = L"Velmora - ";

// The first UI Automation requests of a run are logged for diagnosis, then no more.
constexpr int kUiaDiagnosticLines = 8;
int uiaDiagnosticLinesWritten = 0;

LONG childIdOf(const Position& pos) { return 9 * pos.y + pos.x + 1; }

struct RootProviderRequest {
  HWND window;
  WPARAM wParam;
  LPARAM lParam;
  IRawElementProviderSimple* provider;
};

LRESULT returnRootProvider(void* context) {
  const auto* request = static_cast<const RootProviderRequest*>(context);
  return UiaCore::returnRawElementProvider(request->window, request->wParam, request->lParam,
                                           request->provider);
}

struct WindowsVersion {
  bool known = false;
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned long build = 0;
};

// GetVersionEx lies to programs without a manifest; RtlGetVersion does not.
WindowsVersion readWindowsVersion() {
  using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  WindowsVersion version;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return version;
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!rtlGetVersion) return version;
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (rtlGetVersion(&info) != 0) return version;
  version.known = true;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  return version;
}

}  // namespace

AccessibilityManager::AccessibilityManager() = default;

AccessibilityManager::~AccessibilityManager() {
  // A client may outlive this manager while holding an object: cut it off first.
  if (root_) {
    root_->disconnect();
    root_->Release();
    root_ = nullptr;
  }
  uiaHost_.reset();
}

bool AccessibilityManager::initialize(HWND window, PieceQuery pieceQuery) {
  window_ = window;
  if (root_) {
    root_->disconnect();
    root_->Release();
  }
  root_ = new BoardWindowAccessible(window, pieceQuery, false);
  root_->setGeometry(geometry_);
  root_->setFocus(focus_);
  uiaHost_ = std::make_unique<UIAProviderHost>();
  uiaHost_->initialize(window, std::move(pieceQuery));
  uiaHost_->setBoardRect(geometry_.rect());
  uiaHost_->setBlackAtBottom(geometry_.blackAtBottom());
  // No cells exist yet, so this only hands the board element the current focus.
  uiaHost_->raiseFocusChanged(focus_);
  logInfo("[Accessibility] Accessibility manager initialized (MSAA + UIA provider objects ready)");
  return true;
}

LRESULT AccessibilityManager::handleGetObject(WPARAM wParam, LPARAM lParam) {
  // Only the low 32 bits carry the object id, as a signed value.
  const LONG objectId = static_cast<LONG>(static_cast<DWORD>(lParam));
  if (objectId == OBJID_CLIENT) {
    return root_ ? LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(root_)) : 0;
  }
  if (objectId != Uia::kRootObjectId || !uiaEnabled_) return 0;

  if (uiaDiagnosticLinesWritten < kUiaDiagnosticLines) {
    logInfo("[Accessibility] WM_GETOBJECT received for UiaRootObjectId");
    ++uiaDiagnosticLinesWritten;
  }
  UIABoardProvider* board = uiaHost_ ? uiaHost_->boardProvider() : nullptr;
  if (!board) {
    logWarning("[Accessibility] UIA root requested but provider is null");
    return 0;
  }
  RootProviderRequest request{window_, wParam, lParam, static_cast<IRawElementProviderSimple*>(board)};
  LRESULT result = 0;
  if (!tavruneCallWithFaultGuard(&returnRootProvider, &request, &result)) {
    // From now on DefWindowProc answers and clients see the MSAA tree instead.
    logError("[Accessibility] UiaReturnRawElementProvider crashed; fallback to MSAA and disable UIA provider");
    uiaEnabled_ = false;
    return 0;
  }
  if (uiaDiagnosticLinesWritten < kUiaDiagnosticLines) {
    logInfo(formatString("[Accessibility] UiaReturnRawElementProvider result=0x%llX",
                         static_cast<unsigned long long>(result)));
    ++uiaDiagnosticLinesWritten;
  }
  return result;
}

void AccessibilityManager::setStatusText(const std::wstring& text) {
  if (root_) root_->setStatusText(text);
  if (!window_) return;
  SetWindowTextW(window_, (kTitlePrefix + text).c_str());
  raiseEvent(EVENT_OBJECT_NAMECHANGE, CHILDID_SELF);
  raiseEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, CHILDID_SELF);
  raiseEvent(EVENT_OBJECT_LIVEREGIONCHANGED, CHILDID_SELF);
}

void AccessibilityManager::notifyCellChanged(const Position& pos, PieceType piece) {
  if (window_) raiseEvent(EVENT_OBJECT_NAMECHANGE, childIdOf(pos));
  if (uiaEnabled_ && uiaHost_) uiaHost_->raiseNameChanged(pos, piece);
}

void AccessibilityManager::setFocusCell(const Position& pos) {
  focus_ = pos;
  if (root_) root_->setFocus(pos);
  if (window_) raiseEvent(EVENT_OBJECT_FOCUS, childIdOf(pos));
  if (uiaEnabled_ && uiaHost_) uiaHost_->raiseFocusChanged(pos);
  if (pointEvent_ && (window_ || (uiaEnabled_ && uiaHost_))) pointEvent_();
}

void AccessibilityManager::notifySelection(const Move& move) {
  const Position& target = move.to;
  if (root_) root_->selectCell(target);
  if (window_) raiseEvent(EVENT_OBJECT_SELECTION, childIdOf(target));
  if (uiaEnabled_ && uiaHost_) uiaHost_->raiseSelection(target);
  if (pointEvent_ && (window_ || (uiaEnabled_ && uiaHost_))) pointEvent_();
}

void AccessibilityManager::setViewSide(PieceColor side) {
  if (!root_) return;
  const bool redNumbering = side == RED;
  root_->setRedNumbering(redNumbering);
  // Also while UI Automation is off, so the tree is current when it is switched on.
  if (uiaHost_) uiaHost_->setRedNumbering(redNumbering);
}

void AccessibilityManager::setBoardFlipped(bool blackDrawnAtBottom) {
  geometry_.setBlackAtBottom(blackDrawnAtBottom);
  if (root_) root_->setGeometry(geometry_);
  if (uiaHost_) uiaHost_->setBlackAtBottom(blackDrawnAtBottom);
}

void AccessibilityManager::setBoardRect(const BoardRect& rect) {
  geometry_.setRect(rect);
  if (root_) root_->setGeometry(geometry_);
  if (uiaHost_) uiaHost_->setBoardRect(rect);
}

void AccessibilityManager::setUiaProviderEnabled(bool enable) {
  const WindowsVersion version = readWindowsVersion();
  if (enable && version.known && version.major < 10) {
    logWarning(formatString("[Accessibility] UIA provider requested ON but forced OFF on Windows %lu.%lu (Build %lu)",
                            version.major, version.minor, version.build));
    uiaEnabled_ = false;
    return;
  }
  const char* state = enable ? "ON" : "OFF";
  if (version.known) {
    logInfo(formatString("[Accessibility] UIA provider %s on Windows %lu.%lu (Build %lu)", state,
                         version.major, version.minor, version.build));
  } else {
    logWarning(formatString("[Accessibility] UIA provider %s (Windows version unavailable)", state));
  }
  uiaEnabled_ = enable;
}

void AccessibilityManager::disconnectProviders() {
  if (window_) UiaCore::returnRawElementProvider(window_, 0, 0, nullptr);
  if (root_) {
    root_->disconnect();
    root_->Release();
    root_ = nullptr;
  }
  if (uiaHost_) uiaHost_->disconnect();
  window_ = nullptr;
}

std::string AccessibilityManager::formatString(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return written < 0 ? std::string() : std::string(buffer);
}

void AccessibilityManager::raiseEvent(DWORD event, LONG childId) const {
  NotifyWinEvent(event, window_, OBJID_CLIENT, childId);
}

}  // namespace Tavrune
