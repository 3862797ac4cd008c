#pragma once
// A plain top-level window standing in for the main window: it hands WM_GETOBJECT to
// an accessibility manager, disconnects it on WM_DESTROY and records left clicks.
#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <vector>

#include "accessibility/AccessibilityManager.h"

namespace Tavrune::A11yTest {

class TestBoardWindow {
 public:
  TestBoardWindow();
  ~TestBoardWindow();
  HWND handle() const { return window_; }
  // Routes WM_GETOBJECT and WM_DESTROY to the manager (null: none).
  void attach(AccessibilityManager* manager) { manager_ = manager; }
  void destroy();
  // Hidden by default: under Xvfb without a window manager, hiding a shown window
  // waits two seconds for the unmap.
  void show();
  const std::vector<LPARAM>& clicks() const { return clicks_; }
  void clearClicks() { clicks_.clear(); }

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  AccessibilityManager* manager_ = nullptr;
  std::vector<LPARAM> clicks_;
};

// Dispatches this thread's messages until `done` holds or the time runs out.
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Runs `work` on a new thread (COM initialised there as a multithreaded apartment, as
// a screen reader's worker would be) while this UI thread keeps dispatching messages,
// so calls into this thread's COM objects are served.
void runOnClientThread(const std::function<void()>& work);

// The standard opening, read the way the main window's piece query reads its board.
PieceType openingPieceAt(const Position& pos);

// The client origin of a window in screen coordinates.
POINT clientOrigin(HWND window);

}  // namespace Tavrune::A11yTest
