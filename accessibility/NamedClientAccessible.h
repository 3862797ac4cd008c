#pragma once
// The client object of a plain window whose name and description are its own texts,
// while role, state, children, focus and the rest come from the system's standard
// object for the window. Annotation services are not there on every system; a window
// answering WM_GETOBJECT with this object is read the same everywhere.
#include <windows.h>
#include <oleacc.h>

#include <string>

#include "accessibility/AccessibleWithoutTypeInfo.h"

namespace Tavrune {

// IUnknown and IDispatch come from AccessibleWithoutTypeInfo: a late-bound call would
// reach the standard object's own name, not this one.
class NamedClientAccessible final : public AccessibleWithoutTypeInfo {
 public:
  // Starts with one reference, held by the creator.
  NamedClientAccessible(HWND window, std::wstring name, std::wstring description);

  void setName(std::wstring name) { name_ = std::move(name); }
  // The answer to WM_GETOBJECT for OBJID_CLIENT.
  LRESULT answer(WPARAM wParam);
  // When the window goes: clients still holding the object are cut off.
  void disconnect();

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

 private:
  ~NamedClientAccessible() override;

  IAccessible* standard_ = nullptr;  // null once disconnected
  std::wstring name_;
  std::wstring description_;
};

}  // namespace Tavrune
