#include "UiaRecorder.h"

#include <cstdint>

namespace Tavrune::A11yTest {

namespace {

UiaRecorder* active = nullptr;

LRESULT WINAPI recordReturnProvider(HWND window, WPARAM wParam, LPARAM lParam,
                                    IRawElementProviderSimple* provider) {
  if (active->faultInReturnProvider) {
    volatile uintptr_t nowhere = 8;
    *reinterpret_cast<volatile int*>(nowhere) = 1;
  }
  UiaCall call{UiaCall::ReturnProvider, provider ? identityOf(provider) : nullptr, 0};
  call.window = window;
  call.wParam = wParam;
  call.lParam = lParam;
  active->calls.push_back(call);
  if (provider) {
    provider->AddRef();
    if (active->lastProvider) active->lastProvider->Release();
    active->lastProvider = provider;
  }
  return provider ? 0x1234 : 0;
}

HRESULT WINAPI recordEvent(IRawElementProviderSimple* provider, EVENTID id) {
  active->calls.push_back({UiaCall::Event, identityOf(provider), id});
  return S_OK;
}

HRESULT WINAPI recordPropertyChanged(IRawElementProviderSimple* provider, PROPERTYID id,
                                     VARIANT oldValue, VARIANT newValue) {
  UiaCall call{UiaCall::PropertyChanged, identityOf(provider), id};
  call.oldValueType = oldValue.vt;
  call.newValueType = newValue.vt;
  if (newValue.vt == VT_BSTR && newValue.bstrVal) call.newValue = newValue.bstrVal;
  active->calls.push_back(call);
  return S_OK;
}

}  // namespace

IUnknown* identityOf(IUnknown* object) {
  IUnknown* identity = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
    return nullptr;
  }
  identity->Release();
  return identity;
}

UiaRecorder::UiaRecorder() {
  functions_.returnRawElementProvider = &recordReturnProvider;
  functions_.hostProviderFromHwnd = UiaCore::system().hostProviderFromHwnd;
  functions_.raiseAutomationEvent = &recordEvent;
  functions_.raisePropertyChangedEvent = &recordPropertyChanged;
  active = this;
  UiaCore::replaceForTesting(&functions_);
}

UiaRecorder::~UiaRecorder() {
  UiaCore::replaceForTesting(nullptr);
  active = nullptr;
  if (lastProvider) lastProvider->Release();
}

}  // namespace Tavrune::A11yTest
