#pragma once
// Published UI Automation identifiers that mingw's headers lack.
namespace Tavrune::Uia {

constexpr long kRootObjectId = -25;  // WM_GETOBJECT object id for the UIA root
constexpr int kAppendRuntimeId = 3;  // first runtime-id part: "append to the host's id"

// Control types
constexpr int kDataItemControlType = 50029;
constexpr int kTableControlType = 50036;

// Patterns
constexpr int kSelectionPattern = 10001;
constexpr int kGridPattern = 10006;
constexpr int kGridItemPattern = 10007;
constexpr int kSelectionItemPattern = 10010;

// Properties
constexpr int kControlTypeProperty = 30003;
constexpr int kNameProperty = 30005;
constexpr int kHasKeyboardFocusProperty = 30008;
constexpr int kIsKeyboardFocusableProperty = 30009;
constexpr int kIsEnabledProperty = 30010;
constexpr int kAutomationIdProperty = 30011;
constexpr int kIsControlElementProperty = 30016;
constexpr int kIsContentElementProperty = 30017;
constexpr int kIsOffscreenProperty = 30022;
constexpr int kFrameworkIdProperty = 30024;

// Events
constexpr int kFocusChangedEvent = 20005;
constexpr int kElementAddedToSelectionEvent = 20010;
constexpr int kElementRemovedFromSelectionEvent = 20011;
constexpr int kElementSelectedEvent = 20012;
constexpr int kSelectionInvalidatedEvent = 20013;

// Errors
constexpr long kElementNotAvailable = static_cast<long>(0x80040201);  // UIA_E_ELEMENTNOTAVAILABLE

}  // namespace Tavrune::Uia
