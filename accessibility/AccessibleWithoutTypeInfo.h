#pragma once
// An IAccessible object of our own with no type information: its IDispatch half tells a
// late-bound caller so. The board's MSAA objects are built on it.
#include <windows.h>
#include <oleacc.h>

#include "accessibility/ComObject.h"

namespace Tavrune {

class AccessibleWithoutTypeInfo : public ComObject<IAccessible> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 protected:
  AccessibleWithoutTypeInfo() = default;
  ~AccessibleWithoutTypeInfo() override = default;
};

}  // namespace Tavrune
