#include "accessibility/UiaElementProperties.h"

#include "accessibility/ComValues.h"
#include "accessibility/UiaIdentifiers.h"

namespace Tavrune {

HRESULT sharedElementProperty(PROPERTYID propertyId, VARIANT* value) {
  switch (propertyId) {
    case Uia::kIsKeyboardFocusableProperty:
    case Uia::kIsEnabledProperty:
    case Uia::kIsControlElementProperty:
    case Uia::kIsContentElementProperty:
      ComValues::setBool(value, true);
      return S_OK;
    case Uia::kIsOffscreenProperty:
      ComValues::setBool(value, false);
      return S_OK;
    case Uia::kFrameworkIdProperty:
      return ComValues::setBstr(value, L"Win32");
    default:
      return S_OK;
  }
}

}  // namespace Tavrune
