#pragma once
// The four UI Automation core functions the providers call, resolved once at run time
// from UIAutomationCore.dll (mingw ships no import library for it). A missing function
// answers 0 or E_NOTIMPL. Tests may swap the table to record what is raised.
#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

namespace Tavrune {

struct UiaCoreFunctions {
  LRESULT(WINAPI* returnRawElementProvider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*) = nullptr;
  HRESULT(WINAPI* hostProviderFromHwnd)(HWND, IRawElementProviderSimple**) = nullptr;
  HRESULT(WINAPI* raiseAutomationEvent)(IRawElementProviderSimple*, EVENTID) = nullptr;
  HRESULT(WINAPI* raisePropertyChangedEvent)(IRawElementProviderSimple*, PROPERTYID, VARIANT, VARIANT) = nullptr;
};

class UiaCore {
 public:
  // The functions of UIAutomationCore.dll; those it lacks stay null.
  static const UiaCoreFunctions& system();
  // Null puts the system's functions back. UI thread only, like every caller.
  static void replaceForTesting(const UiaCoreFunctions* replacement);

  static LRESULT returnRawElementProvider(HWND window, WPARAM wParam, LPARAM lParam,
                                          IRawElementProviderSimple* provider);
  static HRESULT hostProviderFromHwnd(HWND window, IRawElementProviderSimple** provider);
  static HRESULT raiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID id);
  static HRESULT raisePropertyChangedEvent(IRawElementProviderSimple* provider, PROPERTYID id,
                                           VARIANT oldValue, VARIANT newValue);

 private:
  static const UiaCoreFunctions& active();
};

}  // namespace Tavrune
