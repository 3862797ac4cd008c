#pragma once
// The update service: sets up the update framework once the window is shown, starts a
// silent check at start-up and a check with the framework's dialogs on request, and
// writes a trace and a diagnosis of failures into the debug log. The framework's
// library is loaded at run time from the program's own folder; without it updates are
// unavailable and every check only logs.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Tavrune {

class WinSparkleAdapter {
 public:
  // (update found or check succeeded, UTF-8 message)
  using UpdateCallback = std::function<void(bool, const std::string&)>;

  // The library is looked for in `programFolder`; empty: the running program's folder.
  explicit WinSparkleAdapter(std::wstring programFolder = {});
  ~WinSparkleAdapter();
  WinSparkleAdapter(const WinSparkleAdapter&) = delete;
  WinSparkleAdapter& operator=(const WinSparkleAdapter&) = delete;

  // False only for an empty address or one that is not http:// or https://. A missing
  // or broken library is logged and leaves the adapter not initialised.
  bool initialize(const std::string& appcastUrl);
  void checkForUpdates(bool silent, UpdateCallback callback);
  // Whether a check with the framework's dialogs was started.
  bool checkForUpdatesManually();
  void setCheckInterval(int32_t seconds);
  bool isInitialized() const { return initialized; }

  // The program's "ProductVersion" resource, or the built-in version when it cannot be read.
  static std::string getCurrentVersion();
  // "WinSparkle.dll" beside the program or in its parent folder; empty when absent.
  static std::string findDll();
  static std::string findDll(const std::wstring& programFolder);

  // The framework calls these on its own threads; they only write to the log.
  static int __cdecl canShutdownCallback();
  static void __cdecl didFindUpdateCallback();
  static void __cdecl didNotFindUpdateCallback();
  static void __cdecl errorCallback();
  static void __cdecl updateCancelledCallback();
  static void __cdecl updateDismissedCallback();
  static int __cdecl userRunInstallerCallback(const wchar_t* installerPath);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
  bool initialized = false;
};

}  // namespace Tavrune
