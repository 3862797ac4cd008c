#pragma once
// The update service: sets up the update framework once the window is shown, starts a
// silent check at start-up and a check with the framework's dialogs on request.
// This build ships without the framework library: initialisation validates the
// appcast address and succeeds, and every check is only logged.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Tavrune {

class WinSparkleAdapter {
 public:
  // (update found or check succeeded, UTF-8 message)
  using UpdateCallback = std::function<void(bool, const std::string&)>;

  WinSparkleAdapter();
  ~WinSparkleAdapter();
  WinSparkleAdapter(const WinSparkleAdapter&) = delete;
  WinSparkleAdapter& operator=(const WinSparkleAdapter&) = delete;

  // False only for an empty address or one that is not http:// or https://.
  bool initialize(const std::string& appcastUrl);
  void checkForUpdates(bool silent, UpdateCallback callback);
  void checkForUpdatesManually();
  void setCheckInterval(int32_t seconds);
  bool isInitialized() const { return initialized; }

  // The program's "ProductVersion" resource, or "1.0.0.0" when it cannot be read.
  static std::string getCurrentVersion();
  // "WinSparkle.dll" beside the program or in its parent folder; empty when absent.
  static std::string findDll();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
  bool initialized = false;
};

}  // namespace Tavrune
