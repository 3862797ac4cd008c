#pragma once
// Loads the libraries the program reaches at run time by their full paths, so that a file
// of the same name in the current folder or beside the program never stands in for a
// system library, on every Windows the program runs on: the LOAD_LIBRARY_SEARCH_* flags
// are used only where the system understands them.
#include <windows.h>

#include <string>

namespace Tavrune {

class LibraryLoader {
 public:
  enum class Origin {
    // A Windows library: the system folder only.
    System,
    // A library shipped beside the program (OpenAL Soft): that copy, else the system's.
    ShippedOrSystem,
  };

  // What the loader asks of the system; tests put in their own.
  struct Environment {
    std::wstring systemFolder;
    std::wstring programFolder;
    // kernel32 exports AddDllDirectory, so LoadLibraryExW takes the search flags
    // (Windows 8 and later; Windows 7 only with its 2011 loader update).
    bool searchFlags = false;
    HMODULE(WINAPI* loadLibrary)(LPCWSTR path, HANDLE reserved, DWORD flags) = nullptr;
  };

  // The module, or null when no folder holds a loadable copy (GetLastError says why the
  // last try failed).
  static HMODULE load(Origin origin, const wchar_t* fileName);

  // At start-up: libraries loaded by bare name (the audio library's own) are searched
  // for in the system folder and the program's folder only, never in the current folder
  // or along PATH. False where the system cannot limit the search.
  static bool limitDefaultSearch();

  static const Environment& systemEnvironment();
  // Null puts the system's environment back.
  static void replaceEnvironmentForTesting(const Environment* environment);
};

}  // namespace Tavrune
