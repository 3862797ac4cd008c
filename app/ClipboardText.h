#pragma once
// Puts a text on the clipboard and tells the user how it went: the confirmation only
// once the clipboard has taken the text, an error box when it refused it.
#include <windows.h>

#include <functional>
#include <string>

namespace Tavrune {

enum class ClipboardResult {
  NotOpened,  // another program holds the clipboard; nothing was changed
  Failed,     // opened, but the text could not be stored
  Copied,
};

ClipboardResult putTextOnClipboard(HWND owner, const std::wstring& text);

// Copies, then shows `confirmation` captioned "复制成功" or, when the clipboard could not
// be opened or would not take the text, the error box "复制失败" captioned "错误".
ClipboardResult copyTextWithConfirmation(HWND owner, const std::wstring& text, const std::wstring& confirmation);

// Tests stand in for SetClipboardData to see a refusal handled; an empty function gives
// the system's back.
using ClipboardStore = std::function<HANDLE(UINT format, HANDLE data)>;
void replaceClipboardStoreForTests(ClipboardStore store);

}  // namespace Tavrune
