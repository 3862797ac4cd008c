// The update service over stand-ins for the framework's library, built by the tests and
// copied into scratch program folders: what it is called with and in which order, the
// callbacks from the framework's own thread, and libraries that are absent or broken.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/AppVersion.h"
#include "app/CapturedLog.h"
#include "app/ScratchFolder.h"
#include "core/TextConversion.h"
#include "support/TestPaths.h"
#include "update/WinSparkleAdapter.h"

namespace Tavrune::Test {
namespace {

const char kUrl[] = "https://updates.example.test/tavrune/appcast.xml";

std::filesystem::path standIn(const std::string& build) {
  return ScratchFolder::fromUtf8(binaryDir() + "\\tests\\update\\" + build + "\\WinSparkle.dll");
}

// A program folder "程序" inside a scratch folder, with a stand-in copied to `where`
// ("" for none, "program" or "parent").
struct ProgramFolder {
  ScratchFolder root{"更新"};
  std::filesystem::path program = root.path() / L"程序";

  ProgramFolder(const std::string& build, const std::string& where) {
    std::filesystem::create_directories(program);
    if (where == "program") std::filesystem::copy_file(standIn(build), program / "WinSparkle.dll");
    if (where == "parent") std::filesystem::copy_file(standIn(build), root.path() / "WinSparkle.dll");
  }
  std::wstring folder() const { return program.wstring(); }
  // The stand-in's record of calls in the program folder, one line each.
  std::vector<std::string> calls(bool withCallbacks = false) const {
    std::ifstream in(program / "winsparkle-calls.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      if (withCallbacks || line.rfind("callback", 0) != 0) lines.push_back(line);
    }
    return lines;
  }
  bool libraryLoaded() const { return GetModuleHandleW((program / "WinSparkle.dll").c_str()) != nullptr; }
};

std::string fieldAfter(const std::string& line, const std::string& key) {
  const size_t at = line.find(key);
  return at == std::string::npos ? std::string() : line.substr(at + key.size());
}

TEST(WinSparkleAdapterTest, SetsTheFrameworkUpInOrderChecksThroughItAndCleansUpBeforeUnloading) {
  CapturedLog log;
  ProgramFolder folder("standin-full", "program");
  auto adapter = std::make_unique<WinSparkleAdapter>(folder.folder());
  ASSERT_TRUE(adapter->initialize(kUrl));
  EXPECT_TRUE(adapter->isInitialized());
  EXPECT_TRUE(folder.libraryLoaded());
  adapter->setCheckInterval(0);
  adapter->checkForUpdates(true, nullptr);
  EXPECT_TRUE(adapter->checkForUpdatesManually());
  adapter.reset();
  EXPECT_FALSE(folder.libraryLoaded());

  std::vector<std::string> calls = folder.calls();
  const std::string caller = std::to_string(GetCurrentThreadId());
  for (std::string& line : calls) {
    if (const size_t at = line.find(" caller="); at != std::string::npos) {
      EXPECT_EQ(line.substr(at + 8), caller) << line;
      line.resize(at);
    }
  }
  const std::vector<std::string> expected = {
      "set_can_shutdown_callback",
      "set_did_find_update_callback",
      "set_did_not_find_update_callback",
      "set_error_callback",
      "set_update_cancelled_callback",
      "set_update_dismissed_callback",
      "set_user_run_installer_callback",
      std::string("set_appcast_url ") + kUrl,
      // The test program has no version resource: the built-in version, never an older one.
      std::string("set_app_details Dorv|Velmora|") + TAVRUNE_VERSION_TEXT,
      "set_eddsa_public_key Vh3Qp7LmX2sKe9TnB4wRj6YcZ0uFa8GdNi5Oy1PqMt4=",
      "set_automatic_check_for_updates 0",
      "init",
      "set_update_check_interval 0",
      "check_update_without_ui",
      "check_update_with_ui",
      "cleanup",
  };
  EXPECT_EQ(calls, expected);

  // Both checks fired every callback from the framework's thread; the answers are "may
  // shut down" and "the framework runs the installer itself", and each only logged.
  int callbackLines = 0;
  for (const std::string& line : folder.calls(true)) {
    if (line.rfind("callback", 0) != 0) continue;
    ++callbackLines;
    EXPECT_NE(fieldAfter(line, "thread="), caller) << line;
    const bool expectedAnswer = line.find("can_shutdown=1 ") != std::string::npos ||
                                line.find("run_installer=0 ") != std::string::npos;
    EXPECT_TRUE(expectedAnswer) << line;
  }
  EXPECT_EQ(callbackLines, 4);
  EXPECT_EQ(log.count("[WinSparkle] Did find update callback"), 2);
  EXPECT_EQ(log.count("[WinSparkle] Did not find update callback"), 2);
  EXPECT_EQ(log.count("[WinSparkle] ========== ERROR CALLBACK TRIGGERED =========="), 2);
  EXPECT_EQ(log.count("[WinSparkle] ========== END ERROR DIAGNOSTICS =========="), 2);
  EXPECT_EQ(log.count("[WinSparkle] Update cancelled callback - user cancelled or download failed"), 2);
  EXPECT_EQ(log.count("[WinSparkle] Update dismissed callback - dialog closed"), 2);
  EXPECT_EQ(log.count("[WinSparkle] Downloaded package: C:\\更新\\setup.exe"), 2);
  EXPECT_TRUE(log.contains("[WinSparkle] EdDSA public key set successfully ✓ (valid key)"));
  EXPECT_TRUE(log.contains("[WinSparkleAdapter] Setting update check interval: 0s"));

  const std::vector<std::string> lines = log.lines();
  auto at = [&](const std::string& text) {
    return std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
  };
  EXPECT_LT(at("[WinSparkleAdapter] Cleaning up WinSparkle"), at("[WinSparkleAdapter] Destroyed"));
}

TEST(WinSparkleAdapterTest, ARefusedKeyIsLoggedAndInitialisationGoesOn) {
  CapturedLog log;
  ProgramFolder folder("standin-full", "program");
  SetEnvironmentVariableW(L"WINSPARKLE_STANDIN_REFUSE_KEY", L"1");
  {
    WinSparkleAdapter adapter(folder.folder());
    EXPECT_TRUE(adapter.initialize(kUrl));
    EXPECT_TRUE(adapter.isInitialized());
    // A second call changes nothing in the framework.
    EXPECT_TRUE(adapter.initialize(kUrl));
  }
  SetEnvironmentVariableW(L"WINSPARKLE_STANDIN_REFUSE_KEY", nullptr);
  EXPECT_TRUE(log.contains("[WinSparkle] EdDSA public key FAILED to set ✗ (invalid key format)"));
  const std::vector<std::string> calls = folder.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "init"), 1);
  EXPECT_EQ(calls.back(), "cleanup");
}

TEST(WinSparkleAdapterTest, WithoutAUsableLibraryInItsOwnFolderUpdatesAreUnavailableButStartUpGoesOn) {
  struct Case {
    const char* name;
    const char* build;
    const char* where;
    const char* logged;
  };
  const Case cases[] = {
      {"no library", "standin-full", "", "[WinSparkle] WinSparkle.dll not found in expected locations"},
      {"only in the parent folder", "standin-full", "parent", "[WinSparkle] WinSparkle.dll found at: "},
      {"without win_sparkle_init", "standin-without-init", "program",
       "[WinSparkle] Updates unavailable: function missing: win_sparkle_init"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CapturedLog log;
    ProgramFolder folder(c.build, c.where);
    bool called = false;
    {
      WinSparkleAdapter adapter(folder.folder());
      EXPECT_TRUE(adapter.initialize(kUrl));
      EXPECT_FALSE(adapter.isInitialized());
      EXPECT_FALSE(folder.libraryLoaded());
      adapter.setCheckInterval(0);
      adapter.checkForUpdates(true, [&](bool found, const std::string& message) {
        called = true;
        EXPECT_FALSE(found);
        EXPECT_EQ(message, "WinSparkle not available");
      });
      EXPECT_FALSE(adapter.checkForUpdatesManually());
    }
    EXPECT_TRUE(called);
    EXPECT_TRUE(log.contains(c.logged));
    EXPECT_TRUE(log.contains("[WinSparkleAdapter] Cannot set interval: not initialized"));
    EXPECT_TRUE(log.contains("[WinSparkleAdapter] Cannot check for updates: not initialized"));
    EXPECT_FALSE(log.contains("Cleaning up WinSparkle"));
    EXPECT_TRUE(folder.calls().empty());
    EXPECT_FALSE(std::filesystem::exists(folder.root.path() / "winsparkle-calls.txt"));
  }
}

TEST(WinSparkleAdapterTest, AnAddressThatIsNotHttpFailsBeforeTheLibraryIsTouched) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "[WinSparkle] Appcast URL is empty!"},
      {"ftp://updates.example.test/appcast.xml", "[WinSparkle] Appcast URL must start with http:// or https://"},
      {"HTTPS://updates.example.test/appcast.xml", "[WinSparkle] Appcast URL must start with http:// or https://"},
  };
  for (const auto& [url, error] : cases) {
    SCOPED_TRACE(url);
    CapturedLog log;
    ProgramFolder folder("standin-full", "program");
    {
      WinSparkleAdapter adapter(folder.folder());
      EXPECT_FALSE(adapter.initialize(url));
      EXPECT_FALSE(adapter.isInitialized());
    }
    EXPECT_TRUE(log.contains(error));
    EXPECT_TRUE(folder.calls().empty());
  }
}

}  // namespace
}  // namespace Tavrune::Test
