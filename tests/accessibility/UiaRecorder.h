#pragma once
// Replaces the UI Automation core functions for the duration of a test and records
// what the providers raise and return (Wine's raise functions deliver nothing).
#include <windows.h>

#include <string>
#include <vector>

#include "accessibility/UiaCore.h"

namespace Tavrune::A11yTest {

struct UiaCall {
  enum Kind { Event, PropertyChanged, ReturnProvider };
  Kind kind;
  IUnknown* element = nullptr;  // identity only, not referenced
  int id = 0;                   // event or property id
  std::wstring newValue = {};
  VARTYPE oldValueType = VT_EMPTY;
  VARTYPE newValueType = VT_EMPTY;
  HWND window = nullptr;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class UiaRecorder {
 public:
  UiaRecorder();
  ~UiaRecorder();
  std::vector<UiaCall> calls;
  // Makes UiaReturnRawElementProvider raise an access violation.
  bool faultInReturnProvider = false;
  // The provider last handed to UiaReturnRawElementProvider, referenced.
  IRawElementProviderSimple* lastProvider = nullptr;

 private:
  UiaCoreFunctions functions_;
};

// The COM identity of an interface pointer.
IUnknown* identityOf(IUnknown* object);

}  // namespace Tavrune::A11yTest
