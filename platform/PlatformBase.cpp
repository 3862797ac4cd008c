#include "platform/PlatformBase.h"

#include <windows.h>
#include <share.h>
#include <shlobj.h>
#include <knownfolders.h>

#include <cwchar>
#include <vector>

namespace Tavrune::PlatformBase {

std::wstring wideFromUtf8(const char* text) {
  const int needed = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (needed <= 0) {
    return {};
  }
  // Sized without the terminator; the second pass writes it into the string's own slot.
  std::wstring result(static_cast<size_t>(needed) - 1, L'\0');
  const int written = MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), needed);
  if (written <= 0) {
    return {};
  }
  return result;
}

std::string utf8FromWide(const wchar_t* text) {
  const int needed = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 1) {
    return {};
  }
  std::string result(static_cast<size_t>(needed) - 1, '\0');
  const int written = WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), needed, nullptr, nullptr);
  if (written <= 0) {
    return {};
  }
  return result;
}

std::wstring localAppDataFolder() {
  PWSTR path = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path != nullptr) {
    result = path;
  }
  CoTaskMemFree(path);  // also required after a failure
  return result;
}

std::wstring localAppDataFolderLegacy() {
  wchar_t path[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path) != S_OK) {
    return {};
  }
  return path;
}

bool createFolderChain(const std::wstring& folder) {
  const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_FILE_EXISTS || result == ERROR_ALREADY_EXISTS;
}

std::wstring programPath() {
  // A path may be longer than MAX_PATH; a full buffer means it was cut, so grow and ask again.
  constexpr DWORD longestPath = 32768;
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return {};
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= longestPath) {
      return {};
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::FILE* openForAppend(const std::wstring& path) {
  return _wfsopen(path.c_str(), L"a", _SH_DENYNO);
}

void debuggerOutput(const char* text) { OutputDebugStringA(text); }

std::wstring productVersion() {
  const std::wstring path = programPath();
  if (path.empty()) {
    return {};
  }
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) {
    return {};
  }
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
    return {};
  }
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductVersion", &value, &length) ||
      value == nullptr || length == 0) {
    return {};
  }
  const auto* text = static_cast<const wchar_t*>(value);
  return std::wstring(text, wcsnlen(text, length));
}

std::optional<OsVersion> windowsVersion() {
  // RtlGetVersion tells the truth where GetVersionEx is shimmed for unmanifested programs.
  using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (rtlGetVersion != nullptr) {
      RTL_OSVERSIONINFOW info = {};
      info.dwOSVersionInfoSize = sizeof(info);
      if (rtlGetVersion(&info) == 0) {
        return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
      }
    }
  }
  OSVERSIONINFOEXA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
#pragma GCC diagnostic pop
    return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  }
  return std::nullopt;
}

unsigned processorArchitecture() {
  SYSTEM_INFO info = {};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture;
}

MemoryStatus physicalMemory() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  if (!GlobalMemoryStatusEx(&status)) {
    return {};
  }
  return MemoryStatus{status.ullTotalPhys, status.ullAvailPhys};
}

LocalTime localTime() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace Tavrune::PlatformBase
