#include "e2e/RunningProgram.h"

#include <oleacc.h>
#include <psapi.h>

#include <thread>

namespace Tavrune::E2E {

namespace {

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  const std::wstring* caption;  // null: any caption
  const std::function<bool(HWND)>* accept;  // null: any window that matches the above
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  wchar_t className[128] = {};
  GetClassNameW(window, className, 128);
  if (std::wstring(className) != search->className) return TRUE;
  if (search->caption) {
    wchar_t caption[512] = {};
    GetWindowTextW(window, caption, 512);
    if (*search->caption != caption) return TRUE;
  }
  if (search->accept && !(*search->accept)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND findWindow(DWORD processId, const wchar_t* className, const std::wstring* caption,
                const std::function<bool(HWND)>* accept = nullptr) {
  WindowSearch search{processId, className, caption, accept, nullptr};
  EnumWindows(&matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

RunningProgram::RunningProgram(const std::filesystem::path& program, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
  const std::wstring folder = program.parent_path().wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  startedAt_ = std::chrono::steady_clock::now();
  if (CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
  }
}

RunningProgram::~RunningProgram() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    // Only the process this object started is ended.
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

HWND RunningProgram::waitForWindow(const wchar_t* className, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (process_ && std::chrono::steady_clock::now() < deadline) {
    if (HWND found = findWindow(processId_, className, nullptr)) {
      if (GetWindowTextLengthW(found) > 0) {
        window_ = found;
        if (!timeToFirstTitle_) {
          timeToFirstTitle_ =
              std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt_);
        }
        return window_;
      }
    }
    if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return nullptr;
    Sleep(5);
  }
  return nullptr;
}

std::wstring RunningProgram::title() const {
  if (!window_) return {};
  wchar_t buffer[1024] = {};
  // SendMessage with a time-out: a hung program must not hang the test.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window_, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &ignored);
  return buffer;
}

std::wstring RunningProgram::waitForTitle(const std::function<bool(const std::wstring&)>& accept,
                                          int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::wstring last = title();
  while (!accept(last) && std::chrono::steady_clock::now() < deadline) {
    Sleep(10);
    last = title();
  }
  return last;
}

std::wstring RunningProgram::waitForTitle(const std::wstring& expected, int timeoutMs) const {
  return waitForTitle([&](const std::wstring& title) { return title == expected; }, timeoutMs);
}

std::optional<std::wstring> RunningProgram::boardAccessibleName() const {
  if (!window_) return std::nullopt;
  // The object lives in the other process: COM marshals it into this one.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* board = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&board))) ||
      !board) {
    if (SUCCEEDED(com)) CoUninitialize();
    return std::nullopt;
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::optional<std::wstring> result;
  if (SUCCEEDED(board->get_accName(self, &name)) && name) {
    result = std::wstring(name, SysStringLen(name));
    SysFreeString(name);
  }
  board->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

bool RunningProgram::doCellDefaultAction(LONG childId) const {
  if (!window_) return false;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool done = false;
  IAccessible* board = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                           reinterpret_cast<void**>(&board))) &&
      board) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = childId;
    IDispatch* dispatch = nullptr;
    IAccessible* cell = nullptr;
    if (board->get_accChild(child, &dispatch) == S_OK && dispatch &&
        SUCCEEDED(dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&cell))) && cell) {
      child.lVal = CHILDID_SELF;
      done = SUCCEEDED(cell->accDoDefaultAction(child));
      cell->Release();
    }
    if (dispatch) dispatch->Release();
    board->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return done;
}

void RunningProgram::postKey(UINT virtualKey) const {
  const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scanCode) << 16);
  const LPARAM up = down | (LPARAM{1} << 30) | (LPARAM{1} << 31);
  PostMessageW(window_, WM_KEYDOWN, virtualKey, down);
  PostMessageW(window_, WM_KEYUP, virtualKey, up);
}

bool RunningProgram::typeChord(const std::vector<WORD>& modifiers, WORD key) const {
  if (!window_) return false;
  SetForegroundWindow(window_);
  // Wait until the window really is in front, or the keys go elsewhere.
  for (int i = 0; i < 100 && GetForegroundWindow() != window_; ++i) Sleep(10);
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD modifier : modifiers) add(modifier, false);
  add(key, false);
  add(key, true);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) add(*it, true);
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

LRESULT RunningProgram::sendCopyData(ULONG_PTR tag, const std::string& bytes, int timeoutMs) const {
  COPYDATASTRUCT data{};
  data.dwData = tag;
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = const_cast<char*>(bytes.data());
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                           static_cast<UINT>(timeoutMs), &answer)) {
    return -1;
  }
  return static_cast<LRESULT>(answer);
}

HWND RunningProgram::findDialog(const std::wstring& caption) const {
  return findWindow(processId_, L"#32770", &caption);
}

namespace {

// WM_GETTEXT: GetWindowText does not read controls of another process.
std::wstring textOf(HWND control) {
  wchar_t text[1024] = {};
  if (control) SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

// A box's message: its longest static text (the control's id differs by system).
std::wstring messageOf(HWND box) {
  std::wstring longest;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        const std::wstring text = textOf(child);
        auto& best = *reinterpret_cast<std::wstring*>(found);
        if (std::wstring(name) == L"Static" && text.size() > best.size()) best = text;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&longest));
  return longest;
}

}  // namespace

HWND RunningProgram::waitForDialog(const std::wstring& caption, int timeoutMs, int controlId) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  // A box of the same caption that is still hidden, or going away, does not hide one that is ready.
  const std::function<bool(HWND)> ready = [controlId](HWND dialog) {
    return IsWindowVisible(dialog) && (controlId == 0 || GetDlgItem(dialog, controlId));
  };
  do {
    if (HWND dialog = findWindow(processId_, L"#32770", &caption, &ready)) return dialog;
    Sleep(20);
  } while (std::chrono::steady_clock::now() < deadline);
  return nullptr;
}

bool RunningProgram::answerBox(const std::wstring& caption, int button, int timeoutMs, std::wstring* message) const {
  HWND box = waitForDialog(caption, timeoutMs, button);
  if (!box) return false;
  if (message) *message = messageOf(box);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  return true;
}

bool RunningProgram::waitForPopupMenu(bool shown, int timeoutMs) const {
  const std::function<bool(HWND)> visible = [](HWND menu) { return IsWindowVisible(menu) != FALSE; };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if ((findWindow(processId_, L"#32768", nullptr, &visible) != nullptr) == shown) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(20);
  }
}

HWND RunningProgram::findWindowOfClass(const wchar_t* className) const {
  return findWindow(processId_, className, nullptr);
}

std::vector<std::wstring> RunningProgram::childTexts(HWND window) {
  std::vector<std::wstring> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    texts.push_back(textOf(child));
  }
  return texts;
}

std::wstring RunningProgram::controlText(HWND window, int controlId) { return textOf(GetDlgItem(window, controlId)); }

std::optional<DWORD> RunningProgram::waitForExit(int timeoutMs) const {
  if (!process_ || WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

uint64_t RunningProgram::workingSetBytes() const {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!process_ || !GetProcessMemoryInfo(process_, &counters, sizeof(counters))) return 0;
  return counters.WorkingSetSize;
}

}  // namespace Tavrune::E2E
