#include "WindowsVersionChild.h"

#include <windows.h>

#include <cstdlib>

namespace Tavrune::A11yTest {

namespace {
const wchar_t kChildVariable[] = L"TAVRUNE_A11Y_VERSION_CHILD";
}  // namespace

bool runningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool inVersionChild(std::string* expectedWindows) {
  const char* value = std::getenv("TAVRUNE_A11Y_VERSION_CHILD");
  if (!value || !*value) return false;
  if (expectedWindows) *expectedWindows = value;
  return true;
}

int runTestsAsWindowsVersion(const std::wstring& windowsVersion, const std::string& filter) {
  wchar_t self[MAX_PATH];
  if (!GetModuleFileNameW(nullptr, self, MAX_PATH)) return -1;
  wchar_t tempFolder[MAX_PATH];
  GetTempPathW(MAX_PATH, tempFolder);
  const std::wstring exeName =
      L"tavrune_a11y_" + windowsVersion + L"_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring copy = std::wstring(tempFolder) + exeName;
  if (!CopyFileW(self, copy.c_str(), FALSE)) return -1;

  const std::wstring appKey = L"Software\\Wine\\AppDefaults\\" + exeName;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(windowsVersion.c_str()),
                   static_cast<DWORD>((windowsVersion.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }

  std::wstring commandLine = L"\"" + copy + L"\" --gtest_filter=" + std::wstring(filter.begin(), filter.end());
  SetEnvironmentVariableW(kChildVariable, windowsVersion.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableW(kChildVariable, nullptr);
  int exitCode = -1;
  if (started) {
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      exitCode = static_cast<int>(code);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
  DeleteFileW(copy.c_str());
  return exitCode;
}

}  // namespace Tavrune::A11yTest
