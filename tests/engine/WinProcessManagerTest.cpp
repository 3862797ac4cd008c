// The Windows child process: pipes, exit, standard error, termination from another
// thread, and start-up paths (spaces, Chinese folders, relative to the program).
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "EngineLaunch.h"
#include "core/TextConversion.h"
#include "engine/EngineFolder.h"
#include "platform/WinProcessManager.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;

std::filesystem::path pathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Copies the fake engine to `exe` with a script beside it that prints `greeting`.
void placeFake(const std::filesystem::path& exe, const std::string& greeting) {
  std::filesystem::create_directories(exe.parent_path());
  std::filesystem::copy_file(pathOf(::Tavrune::Test::fakeEnginePath()), exe, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::path script = exe;
  script.replace_extension(".script");
  std::ofstream(script, std::ios::binary) << "start: send " << greeting << "\nstart: exit 0\n";
}

// Everything the process prints until its output ends.
std::string readAll(WinProcessManager& process) {
  std::string out;
  char buffer[4096];
  for (;;) {
    const int32_t n = process.read(buffer, sizeof(buffer));
    if (n < 0) return out;
    out.append(buffer, static_cast<size_t>(n));
  }
}

TEST(WinProcessManager, NotStartedAndMissingPrograms) {
  WinProcessManager process;
  char buffer[16];
  EXPECT_FALSE(process.write("uci\n"));
  EXPECT_EQ(process.read(buffer, sizeof(buffer)), -1);
  EXPECT_FALSE(process.isRunning());
  EXPECT_FALSE(process.start("Z:\\no\\such\\engine.exe"));
  EXPECT_FALSE(process.start("engines\\no-such-engine.exe"));
  EXPECT_FALSE(process.isRunning());
  EXPECT_EQ(process.read(buffer, sizeof(buffer)), -1);
  process.terminate();
  process.terminate();  // harmless twice
}

TEST(WinProcessManager, ExitStandardErrorAndEndOfOutput) {
  ::Tavrune::Test::EngineLaunch launch = ::Tavrune::Test::fakeEngine(
      "start: send hello\nstart: stderr from stderr\nstart: exit 0\n");
  WinProcessManager process;
  ASSERT_TRUE(process.start(launch.commandLine));
  const std::string out = readAll(process);
  EXPECT_NE(out.find("hello\n"), std::string::npos);
  EXPECT_NE(out.find("from stderr"), std::string::npos);  // standard error joins the output
  const auto exitBy = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (process.isRunning() && std::chrono::steady_clock::now() < exitBy) std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(process.isRunning());
  EXPECT_FALSE(process.start(launch.commandLine));  // one process per object until terminated
  process.terminate();
  process.terminate();
  char buffer[8];
  EXPECT_EQ(process.read(buffer, sizeof(buffer)), -1);
  EXPECT_FALSE(process.write("x\n"));
}

TEST(WinProcessManager, TerminateReleasesABlockedRead) {
  ::Tavrune::Test::EngineLaunch launch = ::Tavrune::Test::fakeEngine("on quit: hang\n");
  WinProcessManager process;
  ASSERT_TRUE(process.start(launch.commandLine));
  ASSERT_TRUE(process.write("isready\n"));
  std::atomic<int32_t> result{0};
  std::thread reader([&] {
    char buffer[64];
    result = process.read(buffer, sizeof(buffer));
  });
  std::this_thread::sleep_for(100ms);
  const auto begin = std::chrono::steady_clock::now();
  process.terminate();
  reader.join();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
  EXPECT_EQ(result.load(), -1);
  EXPECT_FALSE(process.isRunning());
}

// The child gets its own two pipe ends only. An inherited handle of ours (a file here;
// in the program a socket, say) would stay open as long as the engine runs.
TEST(WinProcessManager, ChildInheritsOnlyItsPipes) {
  const std::filesystem::path file = pathOf(::Tavrune::Test::freshTestFolder("inherit")) / "locked.bin";
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE ours = CreateFileW(file.c_str(), GENERIC_WRITE, 0, &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(ours, INVALID_HANDLE_VALUE);
  WinProcessManager child;
  ASSERT_TRUE(child.start(::Tavrune::Test::fakeEngine("on quit: hang\n").commandLine));
  CloseHandle(ours);
  // Opened without sharing: this fails while any other process still holds the file.
  HANDLE again = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the child inherited a handle it was not given";
  if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
  child.terminate();
}

TEST(WinProcessManager, PathsWithSpacesChineseAndRelative) {
  const std::filesystem::path root = pathOf(::Tavrune::Test::freshTestFolder("paths"));
  // "…\has space\engine.exe" unquoted would start "…\has.exe" first.
  placeFake(root / "has.exe", "decoy");
  placeFake(root / "has space" / "engine.exe", "real");
  placeFake(root / u8"引擎 目录" / u8"象棋引擎.exe", "chinese");

  struct Case {
    std::string path;
    const char* greeting;
  };
  const std::filesystem::path programFolder = pathOf(EngineFolder::programFolder());
  const std::filesystem::path relativeFolder = programFolder / "relative engine test";
  placeFake(relativeFolder / "engine.exe", "relative");
  const Case cases[] = {
      {utf8Of(root / "has space" / "engine.exe"), "real"},
      {utf8Of(root / u8"引擎 目录" / u8"象棋引擎.exe"), "chinese"},
      {"relative engine test\\engine.exe", "relative"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    WinProcessManager process;
    ASSERT_TRUE(process.start(c.path));
    EXPECT_EQ(readAll(process), std::string(c.greeting) + "\n");
  }
  std::error_code error;
  std::filesystem::remove_all(relativeFolder, error);
}

}  // namespace
}  // namespace Tavrune
