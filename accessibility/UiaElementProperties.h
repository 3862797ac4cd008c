#pragma once
// The UI Automation properties the board and its cells answer alike: both are enabled,
// focusable, on-screen control and content elements of the Win32 framework.
#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

namespace Tavrune {

// Fills `value` (already VT_EMPTY) for one of those properties. Any other is left
// VT_EMPTY with S_OK: "not supported here", and UI Automation asks the host provider.
HRESULT sharedElementProperty(PROPERTYID propertyId, VARIANT* value);

}  // namespace Tavrune
