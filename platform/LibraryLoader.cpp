#include "platform/LibraryLoader.h"

#include <atomic>

namespace Tavrune {

namespace {

std::atomic<const LibraryLoader::Environment*> replacement{nullptr};

// Looked up by name: a program that imported these would not start on a Windows 7
// without the loader update.
FARPROC kernel32Function(const char* name) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

std::wstring systemFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length >= folder.size()) {
    folder.resize(length);  // the size asked for, its terminator included
    length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  }
  if (length == 0 || length >= folder.size()) return {};
  folder.resize(length);
  return folder;
}

// The wide path: a folder outside the ANSI code page must come through whole.
std::wstring programFolder() {
  constexpr DWORD longestPath = 32768;
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= longestPath) return {};
    path.resize(path.size() * 2);
  }
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

HMODULE loadFrom(const LibraryLoader::Environment& environment, const std::wstring& folder,
                 const wchar_t* fileName, DWORD searchFlags) {
  if (folder.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  std::wstring path = folder;
  if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += fileName;
  // Without the search flags, the altered search order looks for the library's own
  // dependencies in its folder first, not beside the program or in the current folder.
  return environment.loadLibrary(path.c_str(), nullptr,
                                 environment.searchFlags ? searchFlags : LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

HMODULE LibraryLoader::load(Origin origin, const wchar_t* fileName) {
  const Environment* replaced = replacement.load();
  const Environment& environment = replaced ? *replaced : systemEnvironment();
  if (origin == Origin::ShippedOrSystem) {
    if (HMODULE module = loadFrom(environment, environment.programFolder, fileName,
                                  LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)) {
      return module;
    }
  }
  return loadFrom(environment, environment.systemFolder, fileName, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool LibraryLoader::limitDefaultSearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(kernel32Function("SetDefaultDllDirectories")));
  return setDefaultDllDirectories &&
         setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

const LibraryLoader::Environment& LibraryLoader::systemEnvironment() {
  static const Environment environment{systemFolder(), programFolder(),
                                       kernel32Function("AddDllDirectory") != nullptr, &LoadLibraryExW};
  return environment;
}

void LibraryLoader::replaceEnvironmentForTesting(const Environment* environment) { replacement.store(environment); }

}  // namespace Tavrune
