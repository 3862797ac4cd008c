#include "accessibility/NamedClientAccessible.h"

#include <objbase.h>

#include <utility>

#include "accessibility/ComValues.h"

namespace Tavrune {

// Every call the object does not answer itself goes to the standard object, or fails
// as a disconnected object once the window is gone.
#define TAVRUNE_FORWARD(call) return standard_ ? standard_->call : CO_E_OBJNOTCONNECTED

NamedClientAccessible::NamedClientAccessible(HWND window, std::wstring name, std::wstring description)
    : name_(std::move(name)), description_(std::move(description)) {
  void* standard = nullptr;
  if (SUCCEEDED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible, &standard))) {
    standard_ = static_cast<IAccessible*>(standard);
  }
}

NamedClientAccessible::~NamedClientAccessible() {
  if (standard_) standard_->Release();
}

LRESULT NamedClientAccessible::answer(WPARAM wParam) {
  return standard_ ? LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(this)) : 0;
}

void NamedClientAccessible::disconnect() {
  if (!standard_) return;
  AddRef();
  standard_->Release();
  standard_ = nullptr;
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  Release();
}

HRESULT NamedClientAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_INVALIDARG;
  *name = nullptr;
  if (!standard_) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) == CHILDID_SELF) return ComValues::toBstr(name_, name);
  return standard_->get_accName(child, name);
}

HRESULT NamedClientAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (!description) return E_INVALIDARG;
  *description = nullptr;
  if (!standard_) return CO_E_OBJNOTCONNECTED;
  if (ComValues::childIdOf(child) == CHILDID_SELF) return ComValues::toBstr(description_, description);
  return standard_->get_accDescription(child, description);
}

HRESULT NamedClientAccessible::get_accParent(IDispatch** parent) { TAVRUNE_FORWARD(get_accParent(parent)); }
HRESULT NamedClientAccessible::get_accChildCount(long* count) { TAVRUNE_FORWARD(get_accChildCount(count)); }
HRESULT NamedClientAccessible::get_accChild(VARIANT child, IDispatch** result) {
  TAVRUNE_FORWARD(get_accChild(child, result));
}
HRESULT NamedClientAccessible::get_accValue(VARIANT child, BSTR* value) { TAVRUNE_FORWARD(get_accValue(child, value)); }
HRESULT NamedClientAccessible::get_accRole(VARIANT child, VARIANT* role) { TAVRUNE_FORWARD(get_accRole(child, role)); }
HRESULT NamedClientAccessible::get_accState(VARIANT child, VARIANT* state) {
  TAVRUNE_FORWARD(get_accState(child, state));
}
HRESULT NamedClientAccessible::get_accHelp(VARIANT child, BSTR* help) { TAVRUNE_FORWARD(get_accHelp(child, help)); }
HRESULT NamedClientAccessible::get_accHelpTopic(BSTR* helpFile, VARIANT child, long* topic) {
  TAVRUNE_FORWARD(get_accHelpTopic(helpFile, child, topic));
}
HRESULT NamedClientAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  TAVRUNE_FORWARD(get_accKeyboardShortcut(child, shortcut));
}
HRESULT NamedClientAccessible::get_accFocus(VARIANT* child) { TAVRUNE_FORWARD(get_accFocus(child)); }
HRESULT NamedClientAccessible::get_accSelection(VARIANT* children) { TAVRUNE_FORWARD(get_accSelection(children)); }
HRESULT NamedClientAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  TAVRUNE_FORWARD(get_accDefaultAction(child, action));
}
HRESULT NamedClientAccessible::accSelect(long flags, VARIANT child) { TAVRUNE_FORWARD(accSelect(flags, child)); }
HRESULT NamedClientAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  TAVRUNE_FORWARD(accLocation(left, top, width, height, child));
}
HRESULT NamedClientAccessible::accNavigate(long direction, VARIANT start, VARIANT* endUpAt) {
  TAVRUNE_FORWARD(accNavigate(direction, start, endUpAt));
}
HRESULT NamedClientAccessible::accHitTest(long x, long y, VARIANT* child) { TAVRUNE_FORWARD(accHitTest(x, y, child)); }
HRESULT NamedClientAccessible::accDoDefaultAction(VARIANT child) { TAVRUNE_FORWARD(accDoDefaultAction(child)); }
HRESULT NamedClientAccessible::put_accName(VARIANT child, BSTR name) { TAVRUNE_FORWARD(put_accName(child, name)); }
HRESULT NamedClientAccessible::put_accValue(VARIANT child, BSTR value) { TAVRUNE_FORWARD(put_accValue(child, value)); }

#undef TAVRUNE_FORWARD

}  // namespace Tavrune
