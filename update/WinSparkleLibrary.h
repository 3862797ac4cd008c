#pragma once
// The update framework's published functions, resolved by name from one copy of
// "WinSparkle.dll" loaded at run time. Linking it at build time would stop the program
// from starting wherever the file is missing; loaded this way, updates are simply
// unavailable there. The library is freed when the object goes away.
#include <windows.h>

#include <memory>
#include <string>

namespace Tavrune {

class WinSparkleLibrary {
 public:
  using VoidCallback = void(__cdecl*)();
  using IntCallback = int(__cdecl*)();
  using InstallerCallback = int(__cdecl*)(const wchar_t* installerPath);

  // The framework's C interface, in the order the names are resolved.
  struct Functions {
    void(__cdecl* init)() = nullptr;
    void(__cdecl* cleanup)() = nullptr;
    void(__cdecl* setAppcastUrl)(const char* url) = nullptr;
    void(__cdecl* setAppDetails)(const wchar_t* company, const wchar_t* app, const wchar_t* version) = nullptr;
    int(__cdecl* setEddsaPublicKey)(const char* base64Key) = nullptr;
    void(__cdecl* setAutomaticCheckForUpdates)(int state) = nullptr;
    void(__cdecl* setUpdateCheckInterval)(int seconds) = nullptr;
    void(__cdecl* checkUpdateWithoutUi)() = nullptr;
    void(__cdecl* checkUpdateWithUi)() = nullptr;
    void(__cdecl* setCanShutdownCallback)(IntCallback callback) = nullptr;
    void(__cdecl* setDidFindUpdateCallback)(VoidCallback callback) = nullptr;
    void(__cdecl* setDidNotFindUpdateCallback)(VoidCallback callback) = nullptr;
    void(__cdecl* setErrorCallback)(VoidCallback callback) = nullptr;
    void(__cdecl* setUpdateCancelledCallback)(VoidCallback callback) = nullptr;
    void(__cdecl* setUpdateDismissedCallback)(VoidCallback callback) = nullptr;
    void(__cdecl* setUserRunInstallerCallback)(InstallerCallback callback) = nullptr;
  };

  // Loads exactly the file at `fullPath` (no search path). Null when it cannot be
  // loaded or lacks a function; `error` then says which, and nothing stays loaded.
  static std::unique_ptr<WinSparkleLibrary> load(const std::wstring& fullPath, std::string& error);

  ~WinSparkleLibrary();
  WinSparkleLibrary(const WinSparkleLibrary&) = delete;
  WinSparkleLibrary& operator=(const WinSparkleLibrary&) = delete;

  const Functions& api() const { return functions; }

 private:
  WinSparkleLibrary(HMODULE module, const Functions& functions) : module(module), functions(functions) {}

  HMODULE module;
  Functions functions;
};

}  // namespace Tavrune
