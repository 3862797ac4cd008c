#pragma once
// Enters a single-threaded COM apartment for an object's lifetime and leaves it only
// when this object's own entry succeeded: after RPC_E_CHANGED_MODE the thread belongs
// to someone else's apartment, and uninitialising would tear that one down.
#include <windows.h>

namespace Tavrune {

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // S_OK, S_FALSE (already entered on this thread) or the failure code.
  HRESULT result() const { return result_; }
  bool entered() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace Tavrune
