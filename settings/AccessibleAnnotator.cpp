#include "settings/AccessibleAnnotator.h"

#include <oleacc.h>

namespace Tavrune::Settings {

AccPropAnnotator::AccPropAnnotator() {
  // The dialog runs on the window's thread, which normally has entered COM already; an
  // apartment of another kind (RPC_E_CHANGED_MODE) is used as it is and not left.
  comEntered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  void* created = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                 &created))) {
    services = static_cast<IAccPropServices*>(created);
  }
}

AccPropAnnotator::~AccPropAnnotator() {
  if (services) services->Release();
  if (comEntered) CoUninitialize();
}

void AccPropAnnotator::annotate(HWND window, AccessibleProperty property, const std::wstring& text) {
  if (!services || !window || text.empty()) return;
  const MSAAPROPID id = property == AccessibleProperty::Name          ? PROPID_ACC_NAME
                        : property == AccessibleProperty::Description ? PROPID_ACC_DESCRIPTION
                                                                      : PROPID_ACC_VALUE;
  // Some systems do not implement the annotation (it is a hint, never a failure).
  services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, id, text.c_str());
}

}  // namespace Tavrune::Settings
