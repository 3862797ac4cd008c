#include "update/WinSparkleLibrary.h"

#include <cstdio>

#include "core/TextConversion.h"

namespace Tavrune {

namespace {

// GetProcAddress gives a generic pointer; each slot knows its own type.
template <typename Function>
bool resolve(HMODULE module, const char* name, Function& slot, std::string& missing) {
  slot = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (slot == nullptr && missing.empty()) missing = name;
  return slot != nullptr;
}

}  // namespace

std::unique_ptr<WinSparkleLibrary> WinSparkleLibrary::load(const std::wstring& fullPath, std::string& error) {
  // The library's own dependencies are looked for beside it, never in the current folder.
  HMODULE module = LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    char text[64];
    std::snprintf(text, sizeof(text), " (error: %lu)", GetLastError());
    error = "cannot load " + wideToUtf8(fullPath) + text;
    return nullptr;
  }
  Functions f;
  std::string missing;
  resolve(module, "win_sparkle_init", f.init, missing);
  resolve(module, "win_sparkle_cleanup", f.cleanup, missing);
  resolve(module, "win_sparkle_set_appcast_url", f.setAppcastUrl, missing);
  resolve(module, "win_sparkle_set_app_details", f.setAppDetails, missing);
  resolve(module, "win_sparkle_set_eddsa_public_key", f.setEddsaPublicKey, missing);
  resolve(module, "win_sparkle_set_automatic_check_for_updates", f.setAutomaticCheckForUpdates, missing);
  resolve(module, "win_sparkle_set_update_check_interval", f.setUpdateCheckInterval, missing);
  resolve(module, "win_sparkle_check_update_without_ui", f.checkUpdateWithoutUi, missing);
  resolve(module, "win_sparkle_check_update_with_ui", f.checkUpdateWithUi, missing);
  resolve(module, "win_sparkle_set_can_shutdown_callback", f.setCanShutdownCallback, missing);
  resolve(module, "win_sparkle_set_did_find_update_callback", f.setDidFindUpdateCallback, missing);
  resolve(module, "win_sparkle_set_did_not_find_update_callback", f.setDidNotFindUpdateCallback, missing);
  resolve(module, "win_sparkle_set_error_callback", f.setErrorCallback, missing);
  resolve(module, "win_sparkle_set_update_cancelled_callback", f.setUpdateCancelledCallback, missing);
  resolve(module, "win_sparkle_set_update_dismissed_callback", f.setUpdateDismissedCallback, missing);
  resolve(module, "win_sparkle_set_user_run_installer_callback", f.setUserRunInstallerCallback, missing);
  if (!missing.empty()) {
    error = "function missing: " + missing;
    FreeLibrary(module);
    return nullptr;
  }
  return std::unique_ptr<WinSparkleLibrary>(new WinSparkleLibrary(module, f));
}

WinSparkleLibrary::~WinSparkleLibrary() { FreeLibrary(module); }

}  // namespace Tavrune
