#include "update/WinSparkleAdapter.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "core/Log.h"
#include "core/TextConversion.h"

namespace Tavrune {

struct WinSparkleAdapter::Impl {
  bool initialized = false;
  UpdateCallback updateCallback;
  std::string appcastUrl;
};

namespace {

std::wstring programPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

bool isPlainFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string queryVersionString(const std::vector<unsigned char>& block, const wchar_t* key) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), key, &value, &length) || value == nullptr || length == 0) return {};
  return wideToUtf8(static_cast<const wchar_t*>(value));
}

}  // namespace

WinSparkleAdapter::WinSparkleAdapter() : impl(std::make_unique<Impl>()) {
  logInfo("[WinSparkleAdapter] Created");
}

WinSparkleAdapter::~WinSparkleAdapter() {
  if (initialized) {
    logInfo("[WinSparkleAdapter] Cleaning up WinSparkle");
    initialized = false;
    impl->initialized = false;
  }
  logInfo("[WinSparkleAdapter] Destroyed");
}

bool WinSparkleAdapter::initialize(const std::string& appcastUrl) {
  logInfo("[WinSparkleAdapter] ========== Initializing WinSparkle ==========");
  impl->appcastUrl = appcastUrl;
  const std::string dll = findDll();
  if (dll.empty()) {
    logWarning("[WinSparkle] WinSparkle.dll not found in expected locations");
  } else {
    logInfo("[WinSparkle] WinSparkle.dll found at: " + dll);
  }
  logInfo("[WinSparkle] Validating appcast URL: " + appcastUrl);
  if (appcastUrl.empty()) {
    logError("[WinSparkle] Appcast URL is empty!");
    return false;
  }
  if (appcastUrl.rfind("http://", 0) != 0 && appcastUrl.rfind("https://", 0) != 0) {
    logError("[WinSparkle] Appcast URL must start with http:// or https://");
    return false;
  }
  logInfo("[WinSparkle] Current version: " + getCurrentVersion());
  impl->initialized = true;
  initialized = true;
  logInfo("[WinSparkleAdapter] ========== Initialization Complete ==========");
  return true;
}

void WinSparkleAdapter::checkForUpdates(bool silent, UpdateCallback callback) {
  logInfo("[WinSparkleAdapter] ========== checkForUpdates Called ==========");
  logInfo(std::string("[WinSparkleAdapter] Silent mode: ") + (silent ? "YES" : "NO"));
  logInfo("[WinSparkleAdapter] Appcast URL: " + impl->appcastUrl);
  if (!initialized) {
    logWarning("[WinSparkleAdapter] Not initialized, calling callback with error");
    if (callback) callback(false, "WinSparkle not available");
    return;
  }
  impl->updateCallback = std::move(callback);
  logInfo("[WinSparkleAdapter] Current version: " + getCurrentVersion());
  logInfo(silent ? "[WinSparkleAdapter] Starting silent update check"
                 : "[WinSparkleAdapter] Starting manual update check with UI");
}

void WinSparkleAdapter::checkForUpdatesManually() {
  if (!initialized) {
    logWarning("[WinSparkleAdapter] Cannot check for updates: not initialized");
    return;
  }
  logInfo("[WinSparkleAdapter] Manual update check requested");
}

void WinSparkleAdapter::setCheckInterval(int32_t seconds) {
  if (!initialized) {
    logWarning("[WinSparkleAdapter] Cannot set interval: not initialized");
    return;
  }
  logInfo("[WinSparkleAdapter] Setting update check interval: " + std::to_string(seconds) + "s");
}

std::string WinSparkleAdapter::getCurrentVersion() {
  const std::wstring program = programPath();
  DWORD handle = 0;
  const DWORD size = program.empty() ? 0 : GetFileVersionInfoSizeW(program.c_str(), &handle);
  if (size > 0) {
    std::vector<unsigned char> block(size);
    if (GetFileVersionInfoW(program.c_str(), 0, size, block.data())) {
      for (const wchar_t* key : {L"\\StringFileInfo\\040904b0\\ProductVersion",
                                 L"\\StringFileInfo\\080404b0\\ProductVersion"}) {
        if (std::string version = queryVersionString(block, key); !version.empty()) return version;
      }
    }
  }
  return "1.0.0.0";
}

std::string WinSparkleAdapter::findDll() {
  const std::wstring program = programPath();
  const size_t separator = program.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return {};
  const std::wstring folder = program.substr(0, separator);
  for (const wchar_t* candidate : {L"\\WinSparkle.dll", L"\\..\\WinSparkle.dll"}) {
    const std::wstring path = folder + candidate;
    if (isPlainFile(path)) return wideToUtf8(path);
  }
  return {};
}

}  // namespace Tavrune
