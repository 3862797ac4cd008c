// Paints the board into a real window and checks it in a screenshot of the X display
// that board_screenshot.sh takes while the window is up. The dump and a BMP of the
// window stay in the build folder for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/BoardPaintGeometry.h"
#include "app/BoardRenderer.h"
#include "boardinput/XwdImage.h"
#include "game/Board.h"

namespace Tavrune {
namespace {

using Test::XwdImage;

constexpr int kLeft = 600;  // away from the corner where other test windows open
constexpr int kTop = 160;
constexpr int kWidth = 640;
constexpr int kHeight = 720;

std::string windowsPath(std::string unixPath) {
  for (char& c : unixPath) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unixPath;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void pumpFor(std::chrono::milliseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

// A plain top-level window that paints the opening position as the program shows it at
// start-up: both cursors on (4, 5), nothing selected, Red to move.
class ScreenshotWindow {
 public:
  ScreenshotWindow() {
    EXPECT_TRUE(board_.fromFEN(STANDARD_START_FEN));
    EXPECT_TRUE(renderer_.createResources());
  }
  ~ScreenshotWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (engineFont_) DeleteObject(engineFont_);
  }

  bool create() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ScreenshotWindow::proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavruneBoardScreenshot";
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Board screenshot", WS_POPUP | WS_VISIBLE, kLeft, kTop,
                            kWidth, kHeight, nullptr, nullptr, wc.hInstance, this);
    if (!hwnd_) return false;
    UpdateWindow(hwnd_);
    return true;
  }
  HWND handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ScreenshotWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_ERASEBKGND) return 1;  // the double buffer covers everything
    if (self && message == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      self->renderer_.paintClientArea(dc, client, self->board_, BoardRenderState{}, L"红方走棋", L"引擎: 未启动",
                                      self->engineFont_);
      EndPaint(hwnd, &ps);
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
  Board board_;
  BoardRenderer renderer_;
  HFONT engineFont_ = nullptr;
};

TEST(BoardScreenshotTest, OpeningPositionOnTheScreen) {
  const char* dirVariable = std::getenv("TAVRUNE_SCREENSHOT_DIR");
  if (!dirVariable || !*dirVariable) GTEST_SKIP() << "run through board_screenshot.sh, which takes the screenshot";
  const std::string dir = windowsPath(dirVariable);

  ScreenshotWindow window;
  ASSERT_TRUE(window.create());
  pumpFor(std::chrono::milliseconds(800));
  GdiFlush();
  POINT origin{0, 0};
  ClientToScreen(window.handle(), &origin);
  RECT client;
  GetClientRect(window.handle(), &client);
  {
    std::ofstream(dir + "\\window.txt") << origin.x << ' ' << origin.y << ' ' << client.right << ' ' << client.bottom
                                        << '\n';
    std::ofstream(dir + "\\ready") << "ready\n";
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!exists(dir + "\\captured") && std::chrono::steady_clock::now() < deadline) {
    pumpFor(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(exists(dir + "\\captured")) << "no screenshot within a minute";

  std::string error;
  const std::optional<XwdImage> shot = XwdImage::load(dir + "\\board.xwd", &error);
  ASSERT_TRUE(shot.has_value()) << error;
  EXPECT_TRUE(shot->saveBmp(dir + "\\board.bmp", origin.x, origin.y, client.right, client.bottom));

  auto at = [&](int x, int y) { return shot->rgbAt(origin.x + x, origin.y + y); };
  auto inSquare = [&](Position point, int dx, int dy) {
    const PaintRect sq = BoardPaintGeometry::square(point, false);
    return at(sq.left + dx, sq.top + dy);
  };
  constexpr uint32_t kRedPiece = 0xFFC8C8, kBlackPiece = 0xC8C8C8, kBoard = 0xF0D9B5;
  struct Case {
    const char* what;
    uint32_t colour;
    uint32_t expected;
  };
  const Case cases[] = {
      {"Red rook (0, 9)", inSquare({0, 9}, 8, 30), kRedPiece},
      {"Red king (4, 9)", inSquare({4, 9}, 8, 30), kRedPiece},
      {"Red cannon (7, 7)", inSquare({7, 7}, 8, 30), kRedPiece},
      {"Black rook (0, 0)", inSquare({0, 0}, 8, 30), kBlackPiece},
      {"Black cannon (1, 2)", inSquare({1, 2}, 8, 30), kBlackPiece},
      {"empty (4, 4)", inSquare({4, 4}, 8, 30), kBoard},
      {"cursor square (4, 5), red fill", inSquare({4, 5}, 30, 30), 0xFF0000},
      {"cursor square (4, 5), white frame", inSquare({4, 5}, 2, 30), 0xFFFFFF},
      {"grid line", at(70, 130), 0x000000},
      {"window beside the board", at(600, 300), 0xFFFFFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.colour, c.expected) << c.what << std::hex << ": 0x" << c.colour;
  }
}

}  // namespace
}  // namespace Tavrune
