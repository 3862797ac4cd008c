#include "platform/SystemDialogLibraries.h"

#include <commctrl.h>

namespace Tavrune::SystemDialogLibraries {

namespace {

// Loaded once for the rest of the process, from the system folder only: a file of the
// same name beside the program or in the current folder is never picked up.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

template <typename Function, typename... Arguments>
BOOL callOrFail(Function function, Arguments... arguments) {
  if (!function) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return function(arguments...);
}

}  // namespace

BOOL getOpenFileName(OPENFILENAMEW& dialog) {
  static const auto function = systemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  return callOrFail(function, &dialog);
}

BOOL getSaveFileName(OPENFILENAMEW& dialog) {
  static const auto function = systemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  return callOrFail(function, &dialog);
}

BOOL initCommonControls(DWORD classes) {
  static const auto function =
      systemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX controls{sizeof(controls), classes};
  return callOrFail(function, &controls);
}

}  // namespace Tavrune::SystemDialogLibraries
