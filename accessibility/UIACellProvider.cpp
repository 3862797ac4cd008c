#include "accessibility/UIACellProvider.h"

#include <new>
#include <string>
#include <utility>

#include "accessibility/AccessibleCellName.h"
#include "accessibility/ComValues.h"
#include "accessibility/UIABoardProvider.h"
#include "accessibility/UiaCore.h"
#include "accessibility/UiaElementProperties.h"
#include "accessibility/UiaIdentifiers.h"

namespace Tavrune {

UIACellProvider::UIACellProvider(HWND window, const Position& pos, PieceQuery pieceQuery,
                                 UIABoardProvider* board, bool redNumbering)
    : window_(window),
      index_(9 * pos.y + pos.x),
      position_(pos),
      pieceQuery_(std::move(pieceQuery)),
      board_(board),
      redNumbering_(redNumbering) {}

void UIACellProvider::detach() {
  board_ = nullptr;
  window_ = nullptr;
  pieceQuery_ = nullptr;
}

std::wstring UIACellProvider::nameFor(PieceType piece) const {
  return accessibleCellName(position_, piece, redNumbering_);
}

void UIACellProvider::raiseEvent(EVENTID id) {
  UiaCore::raiseAutomationEvent(static_cast<IRawElementProviderSimple*>(this), id);
}

HRESULT UIACellProvider::get_ProviderOptions(ProviderOptions* options) {
  if (!options) return E_INVALIDARG;
  *options = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider |
                                          ProviderOptions_UseComThreading);
  return S_OK;
}

HRESULT UIACellProvider::GetPatternProvider(PATTERNID patternId, IUnknown** pattern) {
  if (!pattern) return E_INVALIDARG;
  *pattern = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  if (patternId == Uia::kGridItemPattern) {
    *pattern = static_cast<IGridItemProvider*>(this);
  } else if (patternId == Uia::kSelectionItemPattern) {
    *pattern = static_cast<ISelectionItemProvider*>(this);
  } else {
    return S_OK;
  }
  AddRef();
  return S_OK;
}

HRESULT UIACellProvider::GetPropertyValue(PROPERTYID propertyId, VARIANT* value) {
  if (!value) return E_INVALIDARG;
  VariantInit(value);
  if (!connected()) return Uia::kElementNotAvailable;
  try {
    switch (propertyId) {
      case Uia::kControlTypeProperty:
        ComValues::setI4(value, Uia::kDataItemControlType);
        return S_OK;
      case Uia::kNameProperty:
        return ComValues::setBstr(value, nameFor(pieceQuery_ ? pieceQuery_(position_) : EMPTY));
      case Uia::kHasKeyboardFocusProperty:
        ComValues::setBool(value, ::GetFocus() == window_ && board_->focusPoint() == position_);
        return S_OK;
      case Uia::kAutomationIdProperty:
        return ComValues::setBstr(value, L"cell_" + std::to_wstring(index_));
      default:
        return sharedElementProperty(propertyId, value);
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT UIACellProvider::get_HostRawElementProvider(IRawElementProviderSimple** host) {
  if (!host) return E_INVALIDARG;
  *host = nullptr;  // not a window of its own
  return connected() ? S_OK : Uia::kElementNotAvailable;
}

HRESULT UIACellProvider::Navigate(NavigateDirection direction, IRawElementProviderFragment** element) {
  if (!element) return E_INVALIDARG;
  *element = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  switch (direction) {
    case NavigateDirection_Parent:
      return handOut(board_, element);
    case NavigateDirection_NextSibling:
    case NavigateDirection_PreviousSibling: {
      const int next = index_ + (direction == NavigateDirection_NextSibling ? 1 : -1);
      UIACellProvider* sibling = board_->cellAtIndex(next);
      return sibling ? handOut(sibling, element) : S_OK;
    }
    default:
      return S_OK;
  }
}

HRESULT UIACellProvider::GetRuntimeId(SAFEARRAY** runtimeId) {
  if (!runtimeId) return E_INVALIDARG;
  *runtimeId = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
  if (!array) return E_OUTOFMEMORY;
  LONG parts[2] = {Uia::kAppendRuntimeId, index_};
  for (LONG i = 0; i < 2; ++i) {
    const HRESULT hr = SafeArrayPutElement(array, &i, &parts[i]);
    if (FAILED(hr)) {
      SafeArrayDestroy(array);
      return hr;
    }
  }
  *runtimeId = array;
  return S_OK;
}

HRESULT UIACellProvider::get_BoundingRectangle(UiaRect* rect) {
  if (!rect) return E_INVALIDARG;
  *rect = UiaRect{};
  if (!connected()) return Uia::kElementNotAvailable;
  const CellBox box = board_->geometry().cellBox(position_);
  POINT origin{box.left, box.top};
  if (!ClientToScreen(window_, &origin)) return E_FAIL;
  *rect = UiaRect{static_cast<double>(origin.x), static_cast<double>(origin.y),
                  static_cast<double>(box.width), static_cast<double>(box.height)};
  return S_OK;
}

HRESULT UIACellProvider::GetEmbeddedFragmentRoots(SAFEARRAY** roots) {
  if (!roots) return E_INVALIDARG;
  *roots = nullptr;
  return connected() ? S_OK : Uia::kElementNotAvailable;
}

HRESULT UIACellProvider::SetFocus() {
  if (!connected()) return Uia::kElementNotAvailable;
  ::SetFocus(window_);
  board_->setFocusPoint(position_);
  raiseEvent(Uia::kFocusChangedEvent);
  return S_OK;
}

HRESULT UIACellProvider::get_FragmentRoot(IRawElementProviderFragmentRoot** root) {
  if (!root) return E_INVALIDARG;
  *root = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  return handOut(board_, root);
}

HRESULT UIACellProvider::get_Row(int* row) {
  if (!row) return E_INVALIDARG;
  *row = position_.y;
  return S_OK;
}

HRESULT UIACellProvider::get_Column(int* column) {
  if (!column) return E_INVALIDARG;
  *column = position_.x;
  return S_OK;
}

HRESULT UIACellProvider::get_RowSpan(int* span) {
  if (!span) return E_INVALIDARG;
  *span = 1;
  return S_OK;
}

HRESULT UIACellProvider::get_ColumnSpan(int* span) {
  if (!span) return E_INVALIDARG;
  *span = 1;
  return S_OK;
}

HRESULT UIACellProvider::get_ContainingGrid(IRawElementProviderSimple** grid) {
  if (!grid) return E_INVALIDARG;
  *grid = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  return handOut(board_, grid);
}

HRESULT UIACellProvider::selectWithEvent(EVENTID cellEvent) {
  if (!connected()) return Uia::kElementNotAvailable;
  selected_ = true;
  board_->selectCell(position_);
  board_->raiseEvent(Uia::kSelectionInvalidatedEvent);
  raiseEvent(cellEvent);
  return S_OK;
}

HRESULT UIACellProvider::Select() { return selectWithEvent(Uia::kElementSelectedEvent); }

HRESULT UIACellProvider::AddToSelection() {
  return selectWithEvent(Uia::kElementAddedToSelectionEvent);
}

// Removing a cell that is not selected leaves the selection alone: the board selects
// one point at most, and clearing another point's selection here would be wrong.
HRESULT UIACellProvider::RemoveFromSelection() {
  if (!connected()) return Uia::kElementNotAvailable;
  if (!selected_) return S_OK;
  selected_ = false;
  board_->selectCell(Position(-1, -1));
  board_->raiseEvent(Uia::kSelectionInvalidatedEvent);
  raiseEvent(Uia::kElementRemovedFromSelectionEvent);
  return S_OK;
}

HRESULT UIACellProvider::get_IsSelected(BOOL* selected) {
  if (!selected) return E_INVALIDARG;
  // The interface's BOOL carries VARIANT_TRUE (-1), as UI Automation's own providers do.
  *selected = selected_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT UIACellProvider::get_SelectionContainer(IRawElementProviderSimple** container) {
  if (!container) return E_INVALIDARG;
  *container = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  return handOut(board_, container);
}

}  // namespace Tavrune
