#pragma once
// IUnknown for the accessibility objects: a thread-safe reference count that starts at
// one, held by the creator, and deletes the object at zero; and a QueryInterface that
// answers each listed interface, IUnknown with the first.
#include <windows.h>
#include <oleacc.h>

#include <atomic>

namespace Tavrune {

// The interface ids that reach an interface: its own, and for IAccessible also its base
// IDispatch, which late-bound clients ask for.
template <typename Interface>
bool answersInterface(REFIID riid) {
  return riid == __uuidof(Interface);
}

template <>
inline bool answersInterface<IAccessible>(REFIID riid) {
  return riid == IID_IDispatch || riid == IID_IAccessible;
}

template <typename First, typename... Others>
class ComObject : public First, public Others... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (riid == IID_IUnknown || answersInterface<First>(riid)) {
      *object = static_cast<First*>(this);
    } else {
      (void)((answersInterface<Others>(riid) && (*object = static_cast<Others*>(this))) || ...);
    }
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount_; }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = --refCount_;
    if (count == 0) delete this;
    return count;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  std::atomic<ULONG> refCount_{1};
};

// Every element handed out goes through QueryInterface, so the caller owns a reference.
template <typename Interface, typename Object>
HRESULT handOut(Object* object, Interface** out) {
  return object->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(out));
}

}  // namespace Tavrune
