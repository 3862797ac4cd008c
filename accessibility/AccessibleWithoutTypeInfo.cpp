#include "accessibility/AccessibleWithoutTypeInfo.h"

namespace Tavrune {

HRESULT AccessibleWithoutTypeInfo::GetTypeInfoCount(UINT* count) {
  if (!count) return E_INVALIDARG;
  *count = 0;
  return S_OK;
}

HRESULT AccessibleWithoutTypeInfo::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = nullptr;
  return E_NOTIMPL;
}

HRESULT AccessibleWithoutTypeInfo::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
  if (!ids) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT AccessibleWithoutTypeInfo::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                          UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace Tavrune
