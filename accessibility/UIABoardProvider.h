#pragma once
// The UI Automation element of the board: a table with the Grid and Selection
// patterns whose 90 children (UIACellProvider) are created on first need.
#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

#include <array>

#include "accessibility/BoardGeometry.h"
#include "accessibility/ComObject.h"
#include "accessibility/PieceQuery.h"
#include "accessibility/UiaPatternProviders.h"

namespace Tavrune {

class UIACellProvider;

// IUnknown (ComObject) is shared by all five interfaces.
class UIABoardProvider final : public ComObject<IRawElementProviderSimple, IRawElementProviderFragment,
                                                IRawElementProviderFragmentRoot, IGridProvider,
                                                ISelectionProvider> {
 public:
  static constexpr int kCellCount = 90;

  // Starts with one reference, held by the creator.
  UIABoardProvider(HWND window, PieceQuery pieceQuery);

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override;
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID patternId, IUnknown** pattern) override;
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID propertyId, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override;
  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** element) override;
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** runtimeId) override;
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* rect) override;
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** roots) override;
  HRESULT STDMETHODCALLTYPE SetFocus() override;
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** root) override;
  // IRawElementProviderFragmentRoot
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                     IRawElementProviderFragment** element) override;
  HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** element) override;
  // IGridProvider
  HRESULT STDMETHODCALLTYPE GetItem(int row, int column, IRawElementProviderSimple** item) override;
  HRESULT STDMETHODCALLTYPE get_RowCount(int* count) override;
  HRESULT STDMETHODCALLTYPE get_ColumnCount(int* count) override;
  // ISelectionProvider
  HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** selection) override;
  HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* multiple) override;
  HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* required) override;

  // What the provider host and the cells change, on the UI thread.
  void ensureCells();
  // The point's cell becomes the only selected one; a point off the board clears all.
  void selectCell(const Position& pos);
  const Position& selectedPoint() const { return selected_; }
  void setFocusPoint(const Position& pos) { focus_ = pos; }
  const Position& focusPoint() const { return focus_; }
  // Cell names count from Red's side when set, from Black's otherwise.
  void setRedNumbering(bool redNumbering);
  bool redNumbering() const { return redNumbering_; }
  void setGeometry(const BoardGeometry& geometry) { geometry_ = geometry; }
  const BoardGeometry& geometry() const { return geometry_; }
  HWND window() const { return window_; }
  // The cell of a point on the board once the cells exist (not referenced), or null.
  UIACellProvider* cellAt(const Position& pos) const;
  UIACellProvider* cellAtIndex(int index) const;
  // The window is going away: this element and its cells answer "element not
  // available" from now on instead of reaching the window or the board query.
  void disconnect();
  bool connected() const { return window_ != nullptr; }
  // Raises a UI Automation event on the board element.
  void raiseEvent(EVENTID id);

 private:
  ~UIABoardProvider() override;

  HWND window_;
  Position focus_{4, 5};
  Position selected_{-1, -1};
  PieceQuery pieceQuery_;
  std::array<UIACellProvider*, kCellCount> cells_{};
  bool redNumbering_ = false;
  BoardGeometry geometry_;
};

}  // namespace Tavrune
