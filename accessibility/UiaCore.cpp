#include "accessibility/UiaCore.h"

#include "platform/LibraryLoader.h"

namespace Tavrune {

namespace {

const UiaCoreFunctions* replacement = nullptr;

template <typename Function>
void resolve(HMODULE module, const char* name, Function& target) {
  target = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

UiaCoreFunctions loadSystemFunctions() {
  UiaCoreFunctions functions;
  // Loaded for the rest of the process: providers handed out may call back into it. From
  // the system folder: a file of that name beside the program must not answer for it.
  HMODULE module = LibraryLoader::load(LibraryLoader::Origin::System, L"UIAutomationCore.dll");
  resolve(module, "UiaReturnRawElementProvider", functions.returnRawElementProvider);
  resolve(module, "UiaHostProviderFromHwnd", functions.hostProviderFromHwnd);
  resolve(module, "UiaRaiseAutomationEvent", functions.raiseAutomationEvent);
  resolve(module, "UiaRaiseAutomationPropertyChangedEvent", functions.raisePropertyChangedEvent);
  return functions;
}

}  // namespace

const UiaCoreFunctions& UiaCore::system() {
  static const UiaCoreFunctions functions = loadSystemFunctions();
  return functions;
}

void UiaCore::replaceForTesting(const UiaCoreFunctions* functions) { replacement = functions; }

const UiaCoreFunctions& UiaCore::active() { return replacement ? *replacement : system(); }

LRESULT UiaCore::returnRawElementProvider(HWND window, WPARAM wParam, LPARAM lParam,
                                          IRawElementProviderSimple* provider) {
  const auto function = active().returnRawElementProvider;
  return function ? function(window, wParam, lParam, provider) : 0;
}

HRESULT UiaCore::hostProviderFromHwnd(HWND window, IRawElementProviderSimple** provider) {
  const auto function = active().hostProviderFromHwnd;
  if (!function) {
    if (provider) *provider = nullptr;
    return E_NOTIMPL;
  }
  return function(window, provider);
}

HRESULT UiaCore::raiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID id) {
  const auto function = active().raiseAutomationEvent;
  return function ? function(provider, id) : E_NOTIMPL;
}

HRESULT UiaCore::raisePropertyChangedEvent(IRawElementProviderSimple* provider, PROPERTYID id,
                                           VARIANT oldValue, VARIANT newValue) {
  const auto function = active().raisePropertyChangedEvent;
  return function ? function(provider, id, oldValue, newValue) : E_NOTIMPL;
}

}  // namespace Tavrune
