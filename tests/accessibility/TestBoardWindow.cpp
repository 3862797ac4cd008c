#include "TestBoardWindow.h"

#include <objbase.h>

#include <thread>

namespace Tavrune::A11yTest {

namespace {
const wchar_t kClassName[] = L"TavruneAccessibilityTestWindow";

void registerClassOnce() {
  static const bool registered = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    return RegisterClassW(&windowClass) != 0;
  }();
  (void)registered;
}
}  // namespace

TestBoardWindow::TestBoardWindow() {
  registerClassOnce();
  window_ = CreateWindowExW(0, kClassName, L"Velmora", WS_OVERLAPPEDWINDOW, 100, 80, 640, 750,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TestBoardWindow::windowProc));
}

TestBoardWindow::~TestBoardWindow() { destroy(); }

void TestBoardWindow::show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

void TestBoardWindow::destroy() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
}

LRESULT CALLBACK TestBoardWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TestBoardWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_GETOBJECT:
        if (self->manager_) {
          if (const LRESULT result = self->manager_->handleGetObject(wParam, lParam)) return result;
        }
        break;
      case WM_LBUTTONDOWN:
        self->clicks_.push_back(lParam);
        return 0;
      case WM_DESTROY:
        if (self->manager_) self->manager_->disconnectProviders();
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left.count(), 20)),
                              QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

void runOnClientThread(const std::function<void()>& work) {
  HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread client([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    work();
    CoUninitialize();
    SetEvent(finished);
  });
  pumpUntil([&] { return WaitForSingleObject(finished, 0) == WAIT_OBJECT_0; }, std::chrono::seconds(60));
  client.join();
  CloseHandle(finished);
}

PieceType openingPieceAt(const Position& pos) {
  static const char* const rows[10] = {"rnbakabnr", ".........", ".c.....c.", "p.p.p.p.p", ".........",
                                       ".........", "P.P.P.P.P", ".C.....C.", ".........", "RNBAKABNR"};
  if (!pos.isValid()) return EMPTY;
  const char letter = rows[pos.y][pos.x];
  for (int code = 1; code < PIECE_TYPE_COUNT; ++code) {
    if (PIECE_LETTERS[code] == letter) return static_cast<PieceType>(code);
  }
  return EMPTY;
}

POINT clientOrigin(HWND window) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return origin;
}

}  // namespace Tavrune::A11yTest
