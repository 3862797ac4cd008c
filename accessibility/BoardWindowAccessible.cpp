#include "accessibility/BoardWindowAccessible.h"

#include <objbase.h>

#include "accessibility/BoardCellAccessible.h"
#include "accessibility/ComValues.h"

namespace Tavrune {

namespace {
const wchar_t kDefaultName[] = L"象棋棋盘";
const wchar_t kDefaultDescription[] = L"中国象棋棋盘";

int indexOf(const Position& pos) { return 9 * pos.y + pos.x; }
}  // namespace

BoardWindowAccessible::BoardWindowAccessible(HWND window, PieceQuery pieceQuery, bool redNumbering)
    : window_(window), pieceQuery_(std::move(pieceQuery)), redNumbering_(redNumbering) {
  const BoardGeometry geometry;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 9; ++x) {
      cells_[indexOf({x, y})] =
          new BoardCellAccessible(window, Position(x, y), pieceQuery_, redNumbering, geometry);
    }
  }
}

BoardWindowAccessible::~BoardWindowAccessible() {
  for (BoardCellAccessible* cell : cells_) {
    if (cell) cell->Release();
  }
}

void BoardWindowAccessible::setFocus(const Position& pos) {
  if (BoardCellAccessible* old = cellAt(focus_)) old->setFocused(false);
  focus_ = pos;
  if (BoardCellAccessible* cell = cellAt(focus_)) cell->setFocused(true);
}

void BoardWindowAccessible::selectCell(const Position& pos) {
  for (BoardCellAccessible* cell : cells_) cell->setSelected(cell->position() == pos);
}

void BoardWindowAccessible::setRedNumbering(bool redNumbering) {
  redNumbering_ = redNumbering;
  for (BoardCellAccessible* cell : cells_) cell->setRedNumbering(redNumbering);
}

void BoardWindowAccessible::setGeometry(const BoardGeometry& geometry) {
  for (BoardCellAccessible* cell : cells_) cell->setGeometry(geometry);
}

// A point with x >= 9 could still give an index below 90 and name the wrong cell, and a
// negative one would index before the array: only points on the board have cells.
BoardCellAccessible* BoardWindowAccessible::cellAt(const Position& pos) const {
  return pos.isValid() ? cells_[indexOf(pos)] : nullptr;
}

BoardCellAccessible* BoardWindowAccessible::cellForChild(long childId) const {
  return childId >= 1 && childId <= kCellCount ? cells_[childId - 1] : nullptr;
}

void BoardWindowAccessible::disconnect() {
  if (!connected()) return;
  window_ = nullptr;
  pieceQuery_ = nullptr;
  // Keep this object alive while COM drops the stubs' references to it and its cells.
  AddRef();
  for (BoardCellAccessible* cell : cells_) {
    cell->disconnect();
    CoDisconnectObject(static_cast<IAccessible*>(cell), 0);
  }
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  Release();
}

HRESULT BoardWindowAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_INVALIDARG;
  *parent = nullptr;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  IDispatch* frame = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                           reinterpret_cast<void**>(&frame))) &&
      frame) {
    *parent = frame;
    return S_OK;
  }
  return S_FALSE;
}

HRESULT BoardWindowAccessible::get_accChildCount(long* count) {
  if (!count) return E_INVALIDARG;
  *count = 0;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  *count = kCellCount;
  return S_OK;
}

HRESULT BoardWindowAccessible::get_accChild(VARIANT child, IDispatch** result) {
  if (!result) return E_INVALIDARG;
  *result = nullptr;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  if (child.vt != VT_I4) return S_FALSE;
  BoardCellAccessible* cell = cellForChild(child.lVal);
  if (!cell) return S_FALSE;
  cell->AddRef();
  *result = static_cast<IAccessible*>(cell);
  return S_OK;
}

HRESULT BoardWindowAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_INVALIDARG;
  *name = nullptr;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  const long id = ComValues::childIdOf(child);
  if (id == CHILDID_SELF) {
    return ComValues::toBstr(statusText_.empty() ? kDefaultName : statusText_, name);
  }
  BoardCellAccessible* cell = cellForChild(id);
  if (!cell) return E_INVALIDARG;
  VARIANT self;
  ComValues::setI4(&self, CHILDID_SELF);
  return cell->get_accName(self, name);
}

HRESULT BoardWindowAccessible::get_accValue(VARIANT, BSTR* value) {
  if (!value) return E_INVALIDARG;
  *value = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (!description) return E_INVALIDARG;
  *description = nullptr;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) != CHILDID_SELF) return S_FALSE;
  return ComValues::toBstr(statusText_.empty() ? kDefaultDescription : statusText_, description);
}

HRESULT BoardWindowAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_INVALIDARG;
  VariantInit(role);
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  const long id = ComValues::childIdOf(child);
  if (id == CHILDID_SELF) {
    ComValues::setI4(role, ROLE_SYSTEM_TABLE);
    return S_OK;
  }
  BoardCellAccessible* cell = cellForChild(id);
  if (!cell) return E_INVALIDARG;
  VARIANT self;
  ComValues::setI4(&self, CHILDID_SELF);
  return cell->get_accRole(self, role);
}

HRESULT BoardWindowAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_INVALIDARG;
  VariantInit(state);
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  const long id = ComValues::childIdOf(child);
  if (id == CHILDID_SELF) {
    ComValues::setI4(state, 0);
    return S_OK;
  }
  BoardCellAccessible* cell = cellForChild(id);
  if (!cell) return E_INVALIDARG;
  VARIANT self;
  ComValues::setI4(&self, CHILDID_SELF);
  return cell->get_accState(self, state);
}

HRESULT BoardWindowAccessible::get_accHelp(VARIANT, BSTR* help) {
  if (!help) return E_INVALIDARG;
  *help = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::get_accHelpTopic(BSTR* helpFile, VARIANT, long* topic) {
  if (!helpFile || !topic) return E_INVALIDARG;
  *helpFile = nullptr;
  *topic = 0;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
  if (!shortcut) return E_INVALIDARG;
  *shortcut = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::get_accFocus(VARIANT* child) {
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  ComValues::setI4(child, 9 * focus_.y + focus_.x + 1);
  return S_OK;
}

HRESULT BoardWindowAccessible::get_accSelection(VARIANT* children) {
  if (!children) return E_INVALIDARG;
  VariantInit(children);
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::get_accDefaultAction(VARIANT, BSTR* action) {
  if (!action) return E_INVALIDARG;
  *action = nullptr;
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::accSelect(long, VARIANT child) {
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  return ComValues::childIdOf(child) == CHILDID_SELF ? S_OK : E_INVALIDARG;
}

HRESULT BoardWindowAccessible::accLocation(long* left, long* top, long* width, long* height,
                                           VARIANT child) {
  if (!left || !top || !width || !height) return E_INVALIDARG;
  *left = *top = *width = *height = 0;
  if (!connected()) return CO_E_OBJNOTCONNECTED;
  const long id = ComValues::childIdOf(child);
  if (id == CHILDID_SELF) {
    RECT rect;
    if (!GetWindowRect(window_, &rect)) return E_FAIL;
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
  }
  BoardCellAccessible* cell = cellForChild(id);
  if (!cell) return E_INVALIDARG;
  VARIANT self;
  ComValues::setI4(&self, CHILDID_SELF);
  return cell->accLocation(left, top, width, height, self);
}

HRESULT BoardWindowAccessible::accNavigate(long, VARIANT, VARIANT* endUpAt) {
  if (!endUpAt) return E_INVALIDARG;
  VariantInit(endUpAt);
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::accHitTest(long, long, VARIANT* child) {
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT BoardWindowAccessible::accDoDefaultAction(VARIANT) { return E_NOTIMPL; }

HRESULT BoardWindowAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT BoardWindowAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace Tavrune
