#include "accessibility/BoardCellAccessible.h"

#include <new>
#include <utility>

#include "accessibility/AccessibleCellName.h"
#include "accessibility/ComValues.h"

namespace Tavrune {

namespace {
const wchar_t kDefaultAction[] = L"选择";
}  // namespace

BoardCellAccessible::BoardCellAccessible(HWND window, const Position& pos, PieceQuery pieceQuery,
                                         bool redNumbering, const BoardGeometry& geometry)
    : window_(window),
      childId_(9 * pos.y + pos.x + 1),
      position_(pos),
      pieceQuery_(std::move(pieceQuery)),
      redNumbering_(redNumbering),
      geometry_(geometry) {}

void BoardCellAccessible::disconnect() {
  window_ = nullptr;
  pieceQuery_ = nullptr;
}

HRESULT BoardCellAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_INVALIDARG;
  *parent = nullptr;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  IDispatch* root = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_CLIENT), IID_IDispatch,
                                           reinterpret_cast<void**>(&root))) &&
      root) {
    *parent = root;
    return S_OK;
  }
  return S_FALSE;
}

HRESULT BoardCellAccessible::get_accChildCount(long* count) {
  if (!count) return E_INVALIDARG;
  *count = 0;
  return connected() ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accChild(VARIANT, IDispatch** result) {
  if (!result) return E_INVALIDARG;
  *result = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_INVALIDARG;
  *name = nullptr;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) != CHILDID_SELF) return E_INVALIDARG;
  try {
    const PieceType piece = pieceQuery_ ? pieceQuery_(position_) : EMPTY;
    return ComValues::toBstr(accessibleCellName(position_, piece, redNumbering_), name);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT BoardCellAccessible::get_accValue(VARIANT, BSTR* value) {
  if (!value) return E_INVALIDARG;
  *value = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accDescription(VARIANT, BSTR* description) {
  if (!description) return E_INVALIDARG;
  *description = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_INVALIDARG;
  VariantInit(role);
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) != CHILDID_SELF) return E_INVALIDARG;
  ComValues::setI4(role, ROLE_SYSTEM_CELL);
  return S_OK;
}

HRESULT BoardCellAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_INVALIDARG;
  VariantInit(state);
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) != CHILDID_SELF) return E_INVALIDARG;
  long flags = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
  if (focused_) flags |= STATE_SYSTEM_FOCUSED;
  if (selected_) flags |= STATE_SYSTEM_SELECTED;
  ComValues::setI4(state, flags);
  return S_OK;
}

HRESULT BoardCellAccessible::get_accHelp(VARIANT, BSTR* help) {
  if (!help) return E_INVALIDARG;
  *help = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accHelpTopic(BSTR* helpFile, VARIANT, long* topic) {
  if (!helpFile || !topic) return E_INVALIDARG;
  *helpFile = nullptr;
  *topic = 0;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
  if (!shortcut) return E_INVALIDARG;
  *shortcut = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accFocus(VARIANT* child) {
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accSelection(VARIANT* children) {
  if (!children) return E_INVALIDARG;
  VariantInit(children);
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::get_accDefaultAction(VARIANT, BSTR* action) {
  if (!action) return E_INVALIDARG;
  *action = nullptr;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  return ComValues::toBstr(kDefaultAction, action);
}

HRESULT BoardCellAccessible::accSelect(long, VARIANT child) {
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  return ComValues::childIdOf(child) == CHILDID_SELF ? S_OK : E_INVALIDARG;
}

HRESULT BoardCellAccessible::accLocation(long* left, long* top, long* width, long* height,
                                         VARIANT child) {
  if (!left || !top || !width || !height) return E_INVALIDARG;
  *left = *top = *width = *height = 0;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) != CHILDID_SELF) return E_INVALIDARG;
  return screenLocation(left, top, width, height);
}

HRESULT BoardCellAccessible::screenLocation(long* left, long* top, long* width, long* height) const {
  const CellBox box = geometry_.cellBox(position_);
  POINT origin{box.left, box.top};
  if (!ClientToScreen(window_, &origin)) return E_FAIL;
  *left = origin.x;
  *top = origin.y;
  *width = box.width;
  *height = box.height;
  return S_OK;
}

HRESULT BoardCellAccessible::accNavigate(long, VARIANT, VARIANT* endUpAt) {
  if (!endUpAt) return E_INVALIDARG;
  VariantInit(endUpAt);
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardCellAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  long left = 0, top = 0, width = 0, height = 0;
  const HRESULT hr = screenLocation(&left, &top, &width, &height);
  if (FAILED(hr)) return hr;
  if (x >= left && x < left + width && y >= top && y < top + height) {
    ComValues::setI4(child, CHILDID_SELF);
    return S_OK;
  }
  return S_FALSE;
}

// Hands the window a left-button click at the middle of the point's square, which its
// click handler turns into selecting the point, as Enter at the cursor does. Posted, not
// sent: the client's call must not run game code re-entrantly inside COM.
HRESULT BoardCellAccessible::accDoDefaultAction(VARIANT child) {
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) != CHILDID_SELF) return E_INVALIDARG;
  const CellBox box = geometry_.cellBox(position_);
  const LPARAM at = MAKELPARAM(box.left + box.width / 2, box.top + box.height / 2);
  if (!PostMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, at)) return E_FAIL;
  PostMessageW(window_, WM_LBUTTONUP, 0, at);
  return S_OK;
}

HRESULT BoardCellAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT BoardCellAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace Tavrune
