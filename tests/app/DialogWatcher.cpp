#include "app/DialogWatcher.h"

#include <chrono>
#include <vector>

namespace Tavrune::Test {

namespace {

struct Search {
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) != L"#32770") return TRUE;
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  if (*search->caption != caption) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

DialogWatcher::DialogWatcher(std::wstring caption, std::function<void(HWND)> action, int timeoutMs) {
  // Wine sets up its windowing on a process's first window call, and two threads doing
  // that at once can deadlock each other (seen as a test stuck before its dialog opened).
  // The watcher's thread searches at once while this one goes on to open the dialog, so
  // the set-up is finished here first.
  if (HWND first = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
    DestroyWindow(first);
  }
  thread_ = std::thread([this, caption, action, timeoutMs] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      Search search{&caption, nullptr};
      EnumWindows(&matchDialog, reinterpret_cast<LPARAM>(&search));
      if (search.found) {
        // Shown means set up: a dialog is shown once its WM_INITDIALOG has returned.
        action(search.found);
        found_ = true;
        return;
      }
      Sleep(20);
    }
  });
}

DialogWatcher::~DialogWatcher() {
  if (thread_.joinable()) thread_.join();
}

bool DialogWatcher::wait() {
  if (thread_.joinable()) thread_.join();
  return found_;
}

std::wstring DialogWatcher::controlText(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  if (!control) return {};
  const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  SendMessageW(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return buffer.data();
}

void DialogWatcher::setControlText(HWND dialog, int controlId, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::wstring> DialogWatcher::listLines(HWND dialog, int listId) {
  HWND list = GetDlgItem(dialog, listId);
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::vector<wchar_t> text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1);
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    lines.push_back(text.data());
  }
  return lines;
}

void DialogWatcher::press(HWND dialog, int buttonId) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void DialogWatcher::chooseFile(HWND dialog, const std::wstring& path) {
  // The name box (id 0x47c) is an edit inside a combo box.
  HWND nameEdit = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (GetDlgCtrlID(child) != 0x47c || std::wstring(name) != L"Edit") return TRUE;
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&nameEdit));
  for (int attempt = 0; attempt < 10 && IsWindow(dialog); ++attempt) {
    SendMessageW(nameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    press(dialog, IDOK);
    for (int waited = 0; waited < 500 && IsWindow(dialog); waited += 20) Sleep(20);
  }
  if (IsWindow(dialog)) press(dialog, IDCANCEL);  // not accepted: the test fails, it does not hang
}

}  // namespace Tavrune::Test
