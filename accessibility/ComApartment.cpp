#include "accessibility/ComApartment.h"

#include <objbase.h>

namespace Tavrune {

ComApartment::ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ComApartment::~ComApartment() {
  // S_FALSE also counts: every successful CoInitializeEx needs its CoUninitialize.
  if (SUCCEEDED(result_)) CoUninitialize();
}

}  // namespace Tavrune
