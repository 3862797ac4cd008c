#pragma once
// The MSAA client object of the board window: a table of 90 cells whose own name and
// description carry the latest spoken notice, so a screen reader following name
// changes reads every notice.
#include <windows.h>
#include <oleacc.h>

#include <array>
#include <string>

#include "accessibility/AccessibleWithoutTypeInfo.h"
#include "accessibility/BoardGeometry.h"
#include "accessibility/PieceQuery.h"

namespace Tavrune {

class BoardCellAccessible;

// IUnknown and IDispatch come from AccessibleWithoutTypeInfo.
class BoardWindowAccessible final : public AccessibleWithoutTypeInfo {
 public:
  static constexpr int kCellCount = 90;

  // Starts with one reference, held by the creator; builds the cells row by row, so
  // child id n is cell n - 1.
  BoardWindowAccessible(HWND window, PieceQuery pieceQuery, bool redNumbering);

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** result) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* helpFile, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* endUpAt) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  // What the accessibility manager changes, on the UI thread.
  void setStatusText(const std::wstring& text) { statusText_ = text; }
  const std::wstring& statusText() const { return statusText_; }
  // Moves the focused flag from the old focus cell to the new one.
  void setFocus(const Position& pos);
  const Position& focus() const { return focus_; }
  // The point's cell becomes the only selected one; a point off the board clears all.
  void selectCell(const Position& pos);
  // Cell names count from Red's side when set, from Black's otherwise.
  void setRedNumbering(bool redNumbering);
  bool redNumbering() const { return redNumbering_; }
  // Where the cells are drawn, for their locations.
  void setGeometry(const BoardGeometry& geometry);
  // The cell of a point on the board (not referenced), or null.
  BoardCellAccessible* cellAt(const Position& pos) const;
  // The window is going away: this object and every cell stop reaching the window and
  // the board query, and remote clients are cut off.
  void disconnect();
  bool connected() const { return window_ != nullptr; }

 private:
  ~BoardWindowAccessible() override;
  BoardCellAccessible* cellForChild(long childId) const;

  HWND window_;
  Position focus_{4, 5};
  PieceQuery pieceQuery_;
  std::array<BoardCellAccessible*, kCellCount> cells_{};
  std::wstring statusText_;
  bool redNumbering_;
};

}  // namespace Tavrune
