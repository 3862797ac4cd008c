#pragma once
// The MSAA object of one board point: a table cell named after the piece standing
// there and the point's file and row numbers.
#include <windows.h>
#include <oleacc.h>

#include <string>

#include "accessibility/AccessibleWithoutTypeInfo.h"
#include "accessibility/BoardGeometry.h"
#include "accessibility/PieceQuery.h"

namespace Tavrune {

// IUnknown and IDispatch come from AccessibleWithoutTypeInfo.
class BoardCellAccessible final : public AccessibleWithoutTypeInfo {
 public:
  // Starts with one reference, held by the board root.
  BoardCellAccessible(HWND window, const Position& pos, PieceQuery pieceQuery, bool redNumbering,
                      const BoardGeometry& geometry);

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

  // Kept up to date by the board root on the UI thread.
  const Position& position() const { return position_; }
  long childId() const { return childId_; }
  void setFocused(bool focused) { focused_ = focused; }
  bool focused() const { return focused_; }
  void setSelected(bool selected) { selected_ = selected; }
  bool selected() const { return selected_; }
  void setRedNumbering(bool redNumbering) { redNumbering_ = redNumbering; }
  bool redNumbering() const { return redNumbering_; }
  void setGeometry(const BoardGeometry& geometry) { geometry_ = geometry; }
  // The window is going away: drop it and the board query. A client may still hold this
  // cell; from now on it is answered CO_E_OBJNOTCONNECTED instead of reaching either.
  void disconnect();
  bool connected() const { return window_ != nullptr; }

 private:
  ~BoardCellAccessible() override = default;
  HRESULT screenLocation(long* left, long* top, long* width, long* height) const;

  HWND window_;
  long childId_;
  Position position_;
  PieceQuery pieceQuery_;
  bool redNumbering_;
  bool focused_ = false;
  bool selected_ = false;
  BoardGeometry geometry_;
};

}  // namespace Tavrune
