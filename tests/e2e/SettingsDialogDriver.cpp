#include "e2e/SettingsDialogDriver.h"

#include <chrono>
#include <vector>

#include "settings/SettingsDialogState.h"

namespace Tavrune::E2E::SettingsDialogDriver {

namespace {

constexpr UINT kSendTimeoutMs = 10000;

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result);
  return LRESULT(result);
}

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct BoxSearch {
  HWND owner;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK matchOwnedBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  if (GetWindow(window, GW_OWNER) != search->owner || className(window) != L"#32770") return TRUE;
  if (textOf(window) != *search->caption || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

int pageCount(HWND dialog) { return int(send(GetDlgItem(dialog, kPageList), LB_GETCOUNT, 0, 0)); }

void showPage(HWND dialog, int page) {
  HWND list = GetDlgItem(dialog, kPageList);
  send(list, LB_SETCURSEL, page, 0);
  send(dialog, WM_COMMAND, MAKEWPARAM(kPageList, LBN_SELCHANGE), LPARAM(list));
}

std::wstring textOf(HWND control) {
  const LRESULT length = send(control, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> text(size_t(length) + 1);
  send(control, WM_GETTEXT, text.size(), LPARAM(text.data()));
  return text.data();
}

HWND editorOf(HWND dialog, const std::wstring& label) {
  // The rows live in the area inside the page's frame.
  HWND rows = FindWindowExW(dialog, nullptr, Settings::kRowAreaClass, nullptr);
  for (HWND child = GetWindow(rows, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) < 24000 && className(child) != L"Static") continue;
    if (textOf(child) != label) continue;
    return className(child) == L"Static" ? GetWindow(child, GW_HWNDNEXT) : child;
  }
  return nullptr;
}

void pressKey(HWND control, UINT virtualKey, int times) {
  for (int i = 0; i < times; ++i) {
    send(control, WM_KEYDOWN, virtualKey, 1);
    send(control, WM_KEYUP, virtualKey, LPARAM(0xC0000001));
  }
}

void chooseOption(HWND dialog, HWND list, int index) {
  send(list, CB_SETCURSEL, index, 0);
  send(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE), LPARAM(list));
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

HWND waitForOwnedBox(HWND owner, const std::wstring& caption, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    BoxSearch search{owner, &caption, nullptr};
    EnumWindows(&matchOwnedBox, LPARAM(&search));
    if (search.found) return search.found;
    Sleep(20);
  } while (std::chrono::steady_clock::now() < deadline);
  return nullptr;
}

bool applyAndConfirm(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kApply, BN_CLICKED), LPARAM(GetDlgItem(dialog, kApply)));
  HWND box = waitForOwnedBox(dialog, L"软件设置", 15000);
  if (!box) return false;
  const bool applied = textOf(GetDlgItem(box, 0xFFFF)) == L"设置已应用。";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  // Once the box is gone the dialog finishes the command before it reads another message.
  for (int tries = 0; tries < 500 && IsWindow(box); ++tries) Sleep(20);
  send(dialog, WM_NULL, 0, 0);
  return applied;
}

bool waitUntilClosed(HWND dialog, int timeoutMs) {
  for (int waited = 0; IsWindow(dialog); waited += 20, Sleep(20)) {
    if (waited >= timeoutMs) return false;
  }
  return true;
}

}  // namespace Tavrune::E2E::SettingsDialogDriver
