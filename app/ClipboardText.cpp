#include "app/ClipboardText.h"

#include <cstring>
#include <utility>

#include "core/Log.h"

namespace Tavrune {

namespace {

ClipboardStore& storeReplacement() {
  static ClipboardStore store;
  return store;
}

HANDLE storeOnClipboard(UINT format, HANDLE data) {
  return storeReplacement() ? storeReplacement()(format, data) : SetClipboardData(format, data);
}

// Other programs (clipboard managers, screen readers, the system's own clipboard
// bridge) hold the clipboard open for moments at a time: a copy waits a little for it
// before it reports a failure.
bool openClipboardPatiently(HWND owner) {
  constexpr int kAttempts = 25;
  constexpr DWORD kPauseMs = 20;
  for (int attempt = 1; attempt < kAttempts; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(kPauseMs);
  }
  return OpenClipboard(owner) != FALSE;
}

}  // namespace

void replaceClipboardStoreForTests(ClipboardStore store) { storeReplacement() = std::move(store); }

ClipboardResult putTextOnClipboard(HWND owner, const std::wstring& text) {
  if (!openClipboardPatiently(owner)) {
    logWarning("[Clipboard] Cannot open the clipboard, error: " + std::to_string(GetLastError()));
    return ClipboardResult::NotOpened;
  }
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  void* target = memory ? GlobalLock(memory) : nullptr;
  bool stored = false;
  if (target != nullptr) {
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    // Once the clipboard has taken the block it owns it; until then it is ours to free.
    stored = storeOnClipboard(CF_UNICODETEXT, memory) != nullptr;
  }
  const DWORD error = GetLastError();
  CloseClipboard();
  if (!stored) {
    if (memory) GlobalFree(memory);
    logError("[Clipboard] Failed to put the text on the clipboard, error: " + std::to_string(error));
    return ClipboardResult::Failed;
  }
  return ClipboardResult::Copied;
}

ClipboardResult copyTextWithConfirmation(HWND owner, const std::wstring& text, const std::wstring& confirmation) {
  const ClipboardResult result = putTextOnClipboard(owner, text);
  if (result == ClipboardResult::Copied) {
    MessageBoxW(owner, confirmation.c_str(), L"复制成功", MB_OK | MB_ICONINFORMATION);
  } else {
    // Another program holding the clipboard is a failure the user hears about as well.
    MessageBoxW(owner, L"复制失败", L"错误", MB_OK | MB_ICONERROR);
  }
  return result;
}

}  // namespace Tavrune
