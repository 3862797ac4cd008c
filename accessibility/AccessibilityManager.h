#pragma once
// The one way from the game to the user's screen reader: owns the board window's MSAA
// and UI Automation trees, answers WM_GETOBJECT with them, and turns notices, changed
// points, cursor moves and played moves into accessibility events. UI thread only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "accessibility/BoardGeometry.h"
#include "accessibility/ComApartment.h"
#include "accessibility/PieceQuery.h"

namespace Tavrune {

class BoardWindowAccessible;
class UIAProviderHost;

class AccessibilityManager {
 public:
  // Enters a single-threaded COM apartment on the calling (UI) thread.
  AccessibilityManager();
  ~AccessibilityManager();
  AccessibilityManager(const AccessibilityManager&) = delete;
  AccessibilityManager& operator=(const AccessibilityManager&) = delete;

  // Builds both trees for the board window; always true.
  bool initialize(HWND window, PieceQuery pieceQuery);
  // The answer to WM_GETOBJECT; 0 leaves the message to DefWindowProc.
  LRESULT handleGetObject(WPARAM wParam, LPARAM lParam);

  // Speaks a notice: the window title becomes "Velmora - " + text and the board's
  // accessible name and description the text, then name, description and live-region
  // change events are raised in that order.
  void setStatusText(const std::wstring& text);
  // The piece on a point changed: its name-change events.
  void notifyCellChanged(const Position& pos, PieceType piece);
  // The accessible focus moves to a point: focused flags and focus events.
  void setFocusCell(const Position& pos);
  // The same, for the main window's cursor.
  void syncFocus(const Position& cursor) { setFocusCell(cursor); }
  // A move was played: its target becomes the one selected point.
  void notifySelection(const Move& move);
  // Called after each focus or selection event, while the screen reader reads that point.
  void setPointEventCallback(std::function<void()> callback) { pointEvent_ = std::move(callback); }

  // Spoken numbering of cell names: from Red's side for RED, from Black's otherwise.
  void setViewSide(PieceColor side);
  // Drawn orientation, for cell locations and hit tests: true while Black is drawn at
  // the bottom. Independent of the view side, which follows the side that last moved.
  void setBoardFlipped(bool blackDrawnAtBottom);
  // The drawn board's client rectangle; the cells are placed inside it.
  void setBoardRect(const BoardRect& rect);

  // Offers the UI Automation tree or not; forced off below Windows 10. Read
  // isUiaEnabled() afterwards for the outcome.
  void setUiaProviderEnabled(bool enable);
  bool isUiaEnabled() const { return uiaEnabled_; }

  // Call on WM_DESTROY: UI Automation drops the window's providers and every accessible
  // object stops reaching the window and the piece query, even while a client holds it.
  void disconnectProviders();

  const Position& focus() const { return focus_; }

  // printf into a 1024-byte buffer: at most 1023 characters are kept.
  static std::string formatString(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

 private:
  void raiseEvent(DWORD event, LONG childId) const;

  ComApartment apartment_;  // first member: left last, after the objects are released
  HWND window_ = nullptr;
  Position focus_{4, 5};
  BoardWindowAccessible* root_ = nullptr;  // one reference owned
  std::unique_ptr<UIAProviderHost> uiaHost_;
  bool uiaEnabled_ = false;
  BoardGeometry geometry_;
  std::function<void()> pointEvent_;
};

}  // namespace Tavrune
