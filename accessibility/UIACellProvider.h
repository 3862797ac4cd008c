#pragma once
// The UI Automation element of one board point: a data item with the GridItem and
// SelectionItem patterns, named like the MSAA cell.
#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

#include <string>

#include "accessibility/ComObject.h"
#include "accessibility/PieceQuery.h"
#include "accessibility/UiaPatternProviders.h"

namespace Tavrune {

class UIABoardProvider;

// IUnknown (ComObject) is shared by all four interfaces.
class UIACellProvider final : public ComObject<IRawElementProviderSimple, IRawElementProviderFragment,
                                               IGridItemProvider, ISelectionItemProvider> {
 public:
  // Starts with one reference, held by the board, which outlives its use of `board`
  // and detaches every cell before it goes.
  UIACellProvider(HWND window, const Position& pos, PieceQuery pieceQuery, UIABoardProvider* board,
                  bool redNumbering);

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
  // IGridItemProvider
  HRESULT STDMETHODCALLTYPE get_Row(int* row) override;
  HRESULT STDMETHODCALLTYPE get_Column(int* column) override;
  HRESULT STDMETHODCALLTYPE get_RowSpan(int* span) override;
  HRESULT STDMETHODCALLTYPE get_ColumnSpan(int* span) override;
  HRESULT STDMETHODCALLTYPE get_ContainingGrid(IRawElementProviderSimple** grid) override;
  // ISelectionItemProvider
  HRESULT STDMETHODCALLTYPE Select() override;
  HRESULT STDMETHODCALLTYPE AddToSelection() override;
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override;
  HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) override;
  HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** container) override;

  const Position& position() const { return position_; }
  int index() const { return index_; }
  void setSelected(bool selected) { selected_ = selected; }
  void setRedNumbering(bool redNumbering) { redNumbering_ = redNumbering; }
  // The spoken name, from the given piece.
  std::wstring nameFor(PieceType piece) const;
  // Forgets the board, the window and the query; a client still holding this cell is
  // answered "element not available".
  void detach();
  bool connected() const { return board_ != nullptr; }
  void raiseEvent(EVENTID id);

 private:
  ~UIACellProvider() override = default;
  HRESULT selectWithEvent(EVENTID cellEvent);

  HWND window_;
  int index_;
  Position position_;
  PieceQuery pieceQuery_;
  UIABoardProvider* board_;
  bool redNumbering_;
  bool selected_ = false;
};

}  // namespace Tavrune
