#pragma once
// Small conversions shared by the accessibility objects at the COM boundary.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace Tavrune::ComValues {

// A new BSTR holding `text`; E_OUTOFMEMORY leaves *out null.
inline HRESULT toBstr(const std::wstring& text, BSTR* out) {
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// The MSAA child id a VARIANT names: its 32-bit value for VT_I4, CHILDID_SELF for
// VT_EMPTY (some clients leave "self" untyped), and -1 (no such child) otherwise.
inline long childIdOf(const VARIANT& child) {
  if (child.vt == VT_I4) return child.lVal;
  if (child.vt == VT_EMPTY) return CHILDID_SELF;
  return -1;
}

inline void setI4(VARIANT* out, long value) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
}

// VARIANT_TRUE is -1, not 1: some clients compare against it.
inline void setBool(VARIANT* out, bool value) {
  VariantInit(out);
  out->vt = VT_BOOL;
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

inline HRESULT setBstr(VARIANT* out, const std::wstring& text) {
  VariantInit(out);
  BSTR value = nullptr;
  const HRESULT hr = toBstr(text, &value);
  if (FAILED(hr)) return hr;
  out->vt = VT_BSTR;
  out->bstrVal = value;
  return S_OK;
}

}  // namespace Tavrune::ComValues
