#include "platform/SystemDialogLibraries.h"

#include <commctrl.h>

#include <vector>

#include "platform/LibraryLoader.h"

namespace Tavrune::SystemDialogLibraries {

namespace {

// Loaded once for the rest of the process, from the system folder only: a file of the
// same name beside the program or in the current folder is never picked up.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
  HMODULE module = LibraryLoader::load(LibraryLoader::Origin::System, library);
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

// The file boxes make the folder they browse the process's current one, and the open box
// ignores OFN_NOCHANGEDIR: the folder that was current before is put back after either.
BOOL keepingCurrentFolder(decltype(&GetOpenFileNameW) function, OPENFILENAMEW& dialog) {
  std::vector<wchar_t> folder(MAX_PATH);
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  if (length >= folder.size()) {
    folder.resize(length);
    length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  }
  const BOOL chosen = callOrFail(function, &dialog);
  if (length > 0 && length < folder.size()) {
    // The caller may still read why the call failed.
    const DWORD error = GetLastError();
    SetCurrentDirectoryW(folder.data());
    SetLastError(error);
  }
  return chosen;
}

}  // namespace

BOOL getOpenFileName(OPENFILENAMEW& dialog) {
  static const auto function = systemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  return keepingCurrentFolder(function, dialog);
}

BOOL getSaveFileName(OPENFILENAMEW& dialog) {
  static const auto function = systemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  return keepingCurrentFolder(function, dialog);
}

BOOL initCommonControls(DWORD classes) {
  static const auto function =
      systemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX controls{sizeof(controls), classes};
  return callOrFail(function, &controls);
}

}  // namespace Tavrune::SystemDialogLibraries
