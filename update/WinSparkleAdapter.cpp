#include "update/WinSparkleAdapter.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <utility>

#include "app/AppVersion.h"
#include "core/Log.h"
#include "core/TextConversion.h"
#include "platform/PlatformBase.h"
#include "platform/ProgramVersionInfo.h"
#include "update/WinSparkleLibrary.h"

namespace Tavrune {

namespace {

constexpr char kEddsaPublicKey[] = "Vh3Qp7LmX2sKe9TnB4wRj6YcZ0uFa8GdNi5Oy1PqMt4=";
constexpr wchar_t kCompanyName[] = L"Dorv";
constexpr wchar_t kApplicationName[] = L"Velmora";
constexpr wchar_t kLibraryName[] = L"WinSparkle.dll";

std::wstring folderOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

bool isPlainFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string formatted(const char* format, unsigned long long value) {
  char text[128];
  std::snprintf(text, sizeof(text), format, value);
  return text;
}

}  // namespace

struct WinSparkleAdapter::Impl {
  bool initialized = false;
  UpdateCallback updateCallback;
  std::string appcastUrl;
  std::wstring programFolder;
  std::unique_ptr<WinSparkleLibrary> library;
};

WinSparkleAdapter::WinSparkleAdapter(std::wstring programFolder) : impl(std::make_unique<Impl>()) {
  impl->programFolder = programFolder.empty() ? folderOf(PlatformBase::programPath()) : std::move(programFolder);
  logInfo("[WinSparkleAdapter] Created");
}

WinSparkleAdapter::~WinSparkleAdapter() {
  if (initialized) {
    logInfo("[WinSparkleAdapter] Cleaning up WinSparkle");
    impl->library->api().cleanup();
    initialized = false;
    impl->initialized = false;
  }
  logInfo("[WinSparkleAdapter] Destroyed");
  // The library goes only after its cleanup, so no framework thread runs into freed code.
  impl.reset();
}

bool WinSparkleAdapter::initialize(const std::string& appcastUrl) {
  if (initialized) {
    logWarning("[WinSparkleAdapter] Already initialized, ignoring the second call");
    return true;
  }
  logInfo("[WinSparkleAdapter] ========== Initializing WinSparkle ==========");
  impl->appcastUrl = appcastUrl;

  const std::string found = findDll(impl->programFolder);
  if (found.empty()) {
    logWarning("[WinSparkle] WinSparkle.dll not found in expected locations");
  } else {
    logInfo("[WinSparkle] WinSparkle.dll found at: " + found);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(utf8ToWide(found).c_str(), GetFileExInfoStandard, &data)) {
      const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      logInfo(formatted("[WinSparkle] DLL size: %llu bytes", size));
    }
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

  // Only the copy in the program's own folder is ours; one above it is not loaded.
  const std::wstring ownCopy = impl->programFolder + L"\\" + kLibraryName;
  if (!isPlainFile(ownCopy)) {
    logWarning("[WinSparkle] Updates unavailable: WinSparkle.dll is not in the program folder");
    return true;
  }
  std::string error;
  impl->library = WinSparkleLibrary::load(ownCopy, error);
  if (!impl->library) {
    logError("[WinSparkle] Updates unavailable: " + error);
    return true;
  }
  const WinSparkleLibrary::Functions& api = impl->library->api();

  HINTERNET probe = InternetOpenW(L"Tavrune WinSparkle Init", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (probe != nullptr) {
    logInfo("[WinSparkle] Network connectivity check: PASSED");
    InternetCloseHandle(probe);
  } else {
    logWarning(formatted("[WinSparkle] Network connectivity check: FAILED (error: %lu)", GetLastError()));
    logWarning("[WinSparkle] WinSparkle may not be able to check for updates");
  }

  api.setCanShutdownCallback(&WinSparkleAdapter::canShutdownCallback);
  api.setDidFindUpdateCallback(&WinSparkleAdapter::didFindUpdateCallback);
  api.setDidNotFindUpdateCallback(&WinSparkleAdapter::didNotFindUpdateCallback);
  api.setErrorCallback(&WinSparkleAdapter::errorCallback);
  api.setUpdateCancelledCallback(&WinSparkleAdapter::updateCancelledCallback);
  api.setUpdateDismissedCallback(&WinSparkleAdapter::updateDismissedCallback);
  api.setUserRunInstallerCallback(&WinSparkleAdapter::userRunInstallerCallback);
  logInfo("[WinSparkle] Callbacks registered (including auto-installer)");

  api.setAppcastUrl(appcastUrl.c_str());
  logInfo("[WinSparkle] Appcast URL set: " + appcastUrl);

  const std::string version = getCurrentVersion();
  logInfo("[WinSparkle] Current version: " + version);
  api.setAppDetails(kCompanyName, kApplicationName, utf8ToWide(version).c_str());

  logInfo(std::string("[WinSparkle] Setting EdDSA public key (Base64): ") + kEddsaPublicKey);
  if (api.setEddsaPublicKey(kEddsaPublicKey) == 1) {
    logInfo("[WinSparkle] EdDSA public key set successfully ✓ (valid key)");
  } else {
    logError("[WinSparkle] EdDSA public key FAILED to set ✗ (invalid key format)");
  }

  api.setAutomaticCheckForUpdates(0);
  logInfo("[WinSparkle] Automatic updates disabled");

  logInfo("[WinSparkle] Calling win_sparkle_init()...");
  api.init();

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
  if (silent) {
    logInfo("[WinSparkleAdapter] Starting silent update check");
    impl->library->api().checkUpdateWithoutUi();
  } else {
    logInfo("[WinSparkleAdapter] Starting manual update check with UI");
    impl->library->api().checkUpdateWithUi();
  }
}

bool WinSparkleAdapter::checkForUpdatesManually() {
  if (!initialized) {
    logWarning("[WinSparkleAdapter] Cannot check for updates: not initialized");
    return false;
  }
  logInfo("[WinSparkleAdapter] Manual update check requested");
  impl->library->api().checkUpdateWithUi();
  return true;
}

void WinSparkleAdapter::setCheckInterval(int32_t seconds) {
  if (!initialized) {
    logWarning("[WinSparkleAdapter] Cannot set interval: not initialized");
    return;
  }
  logInfo("[WinSparkleAdapter] Setting update check interval: " + std::to_string(seconds) + "s");
  impl->library->api().setUpdateCheckInterval(seconds);
}

std::string WinSparkleAdapter::getCurrentVersion() {
  const ProgramVersionInfo info = ProgramVersionInfo::ofThisProgram();
  for (const wchar_t* key :
       {L"\\StringFileInfo\\040904b0\\ProductVersion", L"\\StringFileInfo\\080404b0\\ProductVersion"}) {
    if (const auto version = info.string(key)) return wideToUtf8(*version);
  }
  // Never an older number than the program's own: the framework would offer a downgrade.
  return TAVRUNE_VERSION_TEXT;
}

std::string WinSparkleAdapter::findDll() { return findDll(folderOf(PlatformBase::programPath())); }

std::string WinSparkleAdapter::findDll(const std::wstring& programFolder) {
  if (programFolder.empty()) return {};
  for (const wchar_t* candidate : {L"\\WinSparkle.dll", L"\\..\\WinSparkle.dll"}) {
    const std::wstring path = programFolder + candidate;
    if (isPlainFile(path)) return wideToUtf8(path);
  }
  return {};
}

// ---------------------------------------------------------------- framework callbacks

int __cdecl WinSparkleAdapter::canShutdownCallback() {
  logInfo("[WinSparkle] Can shutdown callback");
  return 1;
}

void __cdecl WinSparkleAdapter::didFindUpdateCallback() { logInfo("[WinSparkle] Did find update callback"); }

void __cdecl WinSparkleAdapter::didNotFindUpdateCallback() { logInfo("[WinSparkle] Did not find update callback"); }

void __cdecl WinSparkleAdapter::errorCallback() {
  logError("[WinSparkle] ========== ERROR CALLBACK TRIGGERED ==========");
  logError("[WinSparkle] Possible causes:");
  logError("[WinSparkle]   1. Network connectivity issues");
  logError("[WinSparkle]   2. Appcast XML download failed");
  logError("[WinSparkle]   3. Appcast XML parsing failed (invalid XML)");
  logError("[WinSparkle]   4. Ed25519 signature verification failed");
  logError("[WinSparkle]   5. Update package download failed");
  logError("[WinSparkle]   6. Update package integrity check failed (SHA-256)");
  logError("[WinSparkle] Diagnostic information:");
  HINTERNET probe = InternetOpenW(L"Tavrune WinSparkle Diagnostics", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (probe == nullptr) {
    const DWORD error = GetLastError();
    logError("[WinSparkle]   - Internet connection available: FAILED");
    logError(formatted("[WinSparkle]   - System error: %lu", error));
  } else {
    const DWORD error = GetLastError();
    logInfo("[WinSparkle]   - Internet connection available: YES");
    logError(formatted("[WinSparkle]   - WinINet last error: %lu", error));
    InternetCloseHandle(probe);
  }
  logError("[WinSparkle] ========== END ERROR DIAGNOSTICS ==========");
}

void __cdecl WinSparkleAdapter::updateCancelledCallback() {
  logWarning("[WinSparkle] Update cancelled callback - user cancelled or download failed");
}

void __cdecl WinSparkleAdapter::updateDismissedCallback() {
  logInfo("[WinSparkle] Update dismissed callback - dialog closed");
}

int __cdecl WinSparkleAdapter::userRunInstallerCallback(const wchar_t* installerPath) {
  logInfo("[WinSparkle] ========== NSIS Installer Started ==========");
  logInfo("[WinSparkle] Downloaded package: " + (installerPath ? wideToUtf8(installerPath) : std::string("(none)")));
  logInfo("[WinSparkle] Delegating to WinSparkle's default installer handling");
  logInfo("[WinSparkle] NSIS installer will handle file replacement and restart");
  return 0;
}

}  // namespace Tavrune
