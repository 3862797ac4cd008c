#include "accessibility/UIABoardProvider.h"

#include <utility>

#include "accessibility/ComValues.h"
#include "accessibility/UIACellProvider.h"
#include "accessibility/UiaCore.h"
#include "accessibility/UiaElementProperties.h"
#include "accessibility/UiaIdentifiers.h"

namespace Tavrune {

namespace {
const wchar_t kBoardName[] = L"象棋棋盘";
const wchar_t kBoardAutomationId[] = L"tavrune_board";
}  // namespace

UIABoardProvider::UIABoardProvider(HWND window, PieceQuery pieceQuery)
    : window_(window), pieceQuery_(std::move(pieceQuery)) {}

UIABoardProvider::~UIABoardProvider() {
  for (UIACellProvider* cell : cells_) {
    if (!cell) continue;
    cell->detach();  // a client may keep the cell alive past this board
    cell->Release();
  }
}

void UIABoardProvider::ensureCells() {
  if (cells_[0]) return;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 9; ++x) {
      cells_[9 * y + x] = new UIACellProvider(window_, Position(x, y), pieceQuery_, this, redNumbering_);
    }
  }
}

void UIABoardProvider::selectCell(const Position& pos) {
  selected_ = pos;
  ensureCells();
  for (UIACellProvider* cell : cells_) cell->setSelected(cell->position() == pos);
}

void UIABoardProvider::setRedNumbering(bool redNumbering) {
  redNumbering_ = redNumbering;
  for (UIACellProvider* cell : cells_) {
    if (cell) cell->setRedNumbering(redNumbering);
  }
}

// Only points on the board have cells: a negative point, or one with x >= 9, would
// otherwise index outside the array or name the wrong cell.
UIACellProvider* UIABoardProvider::cellAt(const Position& pos) const {
  return pos.isValid() ? cells_[9 * pos.y + pos.x] : nullptr;
}

UIACellProvider* UIABoardProvider::cellAtIndex(int index) const {
  return index >= 0 && index < kCellCount ? cells_[index] : nullptr;
}

void UIABoardProvider::disconnect() {
  window_ = nullptr;
  pieceQuery_ = nullptr;
  for (UIACellProvider* cell : cells_) {
    if (cell) cell->detach();
  }
}

void UIABoardProvider::raiseEvent(EVENTID id) {
  UiaCore::raiseAutomationEvent(static_cast<IRawElementProviderSimple*>(this), id);
}

HRESULT UIABoardProvider::get_ProviderOptions(ProviderOptions* options) {
  if (!options) return E_INVALIDARG;
  *options = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider |
                                          ProviderOptions_ProviderOwnsSetFocus |
                                          ProviderOptions_UseComThreading);
  return S_OK;
}

HRESULT UIABoardProvider::GetPatternProvider(PATTERNID patternId, IUnknown** pattern) {
  if (!pattern) return E_INVALIDARG;
  *pattern = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  if (patternId == Uia::kSelectionPattern) {
    *pattern = static_cast<ISelectionProvider*>(this);
  } else if (patternId == Uia::kGridPattern) {
    *pattern = static_cast<IGridProvider*>(this);
  } else {
    return S_OK;
  }
  AddRef();
  return S_OK;
}

HRESULT UIABoardProvider::GetPropertyValue(PROPERTYID propertyId, VARIANT* value) {
  if (!value) return E_INVALIDARG;
  VariantInit(value);
  if (!connected()) return Uia::kElementNotAvailable;
  switch (propertyId) {
    case Uia::kControlTypeProperty:
      ComValues::setI4(value, Uia::kTableControlType);
      return S_OK;
    case Uia::kNameProperty:
      return ComValues::setBstr(value, kBoardName);
    case Uia::kHasKeyboardFocusProperty:
      ComValues::setBool(value, ::GetFocus() == window_);
      return S_OK;
    case Uia::kAutomationIdProperty:
      return ComValues::setBstr(value, kBoardAutomationId);
    default:
      return sharedElementProperty(propertyId, value);
  }
}

HRESULT UIABoardProvider::get_HostRawElementProvider(IRawElementProviderSimple** host) {
  if (!host) return E_INVALIDARG;
  *host = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  return UiaCore::hostProviderFromHwnd(window_, host);
}

HRESULT UIABoardProvider::Navigate(NavigateDirection direction, IRawElementProviderFragment** element) {
  if (!element) return E_INVALIDARG;
  *element = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  if (direction != NavigateDirection_FirstChild && direction != NavigateDirection_LastChild) {
    return S_OK;
  }
  ensureCells();
  UIACellProvider* cell = cells_[direction == NavigateDirection_FirstChild ? 0 : kCellCount - 1];
  return handOut(cell, element);
}

HRESULT UIABoardProvider::GetRuntimeId(SAFEARRAY** runtimeId) {
  if (!runtimeId) return E_INVALIDARG;
  *runtimeId = nullptr;  // the host provider supplies the root's runtime id
  return connected() ? S_OK : Uia::kElementNotAvailable;
}

HRESULT UIABoardProvider::get_BoundingRectangle(UiaRect* rect) {
  if (!rect) return E_INVALIDARG;
  *rect = UiaRect{};
  if (!connected()) return Uia::kElementNotAvailable;
  RECT window;
  if (!GetWindowRect(window_, &window)) return E_FAIL;
  *rect = UiaRect{static_cast<double>(window.left), static_cast<double>(window.top),
                  static_cast<double>(window.right - window.left),
                  static_cast<double>(window.bottom - window.top)};
  return S_OK;
}

HRESULT UIABoardProvider::GetEmbeddedFragmentRoots(SAFEARRAY** roots) {
  if (!roots) return E_INVALIDARG;
  *roots = nullptr;
  return connected() ? S_OK : Uia::kElementNotAvailable;
}

HRESULT UIABoardProvider::SetFocus() {
  if (!connected()) return Uia::kElementNotAvailable;
  ::SetFocus(window_);
  ensureCells();
  if (UIACellProvider* cell = cellAt(focus_)) return cell->SetFocus();
  raiseEvent(Uia::kFocusChangedEvent);
  return S_OK;
}

HRESULT UIABoardProvider::get_FragmentRoot(IRawElementProviderFragmentRoot** root) {
  if (!root) return E_INVALIDARG;
  *root = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  return handOut(this, root);
}

// A point before the board's origin, past its last column or row, or anywhere when the
// rectangle has no area, is the board itself, never a neighbouring cell.
HRESULT UIABoardProvider::ElementProviderFromPoint(double x, double y,
                                                   IRawElementProviderFragment** element) {
  if (!element) return E_INVALIDARG;
  *element = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  ensureCells();
  POINT clientOrigin{0, 0};
  ClientToScreen(window_, &clientOrigin);
  if (UIACellProvider* cell = cellAt(geometry_.pointAt(x - clientOrigin.x, y - clientOrigin.y))) {
    return handOut(cell, element);
  }
  return handOut(this, element);
}

HRESULT UIABoardProvider::GetFocus(IRawElementProviderFragment** element) {
  if (!element) return E_INVALIDARG;
  *element = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  ensureCells();
  UIACellProvider* cell = cellAt(focus_);
  return cell ? handOut(cell, element) : S_OK;
}

// Rows and columns are signed: a negative one would index before the cells.
HRESULT UIABoardProvider::GetItem(int row, int column, IRawElementProviderSimple** item) {
  if (!item) return E_INVALIDARG;
  *item = nullptr;
  if (row < 0 || row >= 10 || column < 0 || column >= 9) return E_INVALIDARG;
  if (!connected()) return Uia::kElementNotAvailable;
  ensureCells();
  return handOut(cells_[row * 9 + column], item);
}

HRESULT UIABoardProvider::get_RowCount(int* count) {
  if (!count) return E_INVALIDARG;
  *count = 10;
  return S_OK;
}

HRESULT UIABoardProvider::get_ColumnCount(int* count) {
  if (!count) return E_INVALIDARG;
  *count = 9;
  return S_OK;
}

HRESULT UIABoardProvider::GetSelection(SAFEARRAY** selection) {
  if (!selection) return E_INVALIDARG;
  *selection = nullptr;
  if (!connected()) return Uia::kElementNotAvailable;
  ensureCells();
  UIACellProvider* cell = cellAt(selected_);
  if (!cell) return S_OK;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
  if (!array) return E_OUTOFMEMORY;
  LONG index = 0;
  // SafeArrayPutElement adds the array's own reference to the element.
  const HRESULT hr =
      SafeArrayPutElement(array, &index, static_cast<IUnknown*>(static_cast<IRawElementProviderSimple*>(cell)));
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  *selection = array;
  return S_OK;
}

HRESULT UIABoardProvider::get_CanSelectMultiple(BOOL* multiple) {
  if (!multiple) return E_INVALIDARG;
  *multiple = FALSE;
  return S_OK;
}

HRESULT UIABoardProvider::get_IsSelectionRequired(BOOL* required) {
  if (!required) return E_INVALIDARG;
  *required = FALSE;
  return S_OK;
}

}  // namespace Tavrune
