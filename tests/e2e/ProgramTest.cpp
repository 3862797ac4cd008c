// The real program, started in a fresh portable folder and driven from outside as a
// user and a screen reader would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "e2e/DebugLogFile.h"
#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "e2e/WinEventWatcher.h"

namespace Tavrune::E2E {
namespace {

const wchar_t kWindowClass[] = L"TavruneWindow";
const std::wstring kEngineFileMissing = L"错误：未找到内置引擎文件";
const std::wstring kNetworkFileMissing = L"错误：未找到神经网络模型文件";
// Both start-up notices of an empty engines folder, spoken as one.
const std::wstring kStartupHeard = L"Velmora - " + kEngineFileMissing + L"，" + kNetworkFileMissing;

struct Started {
  std::unique_ptr<PortableInstall> install;
  std::unique_ptr<RunningProgram> program;
};

// A fresh folder, `prepare` to lay out more files, then the program in portable mode.
Started start(const std::string& tag, const std::function<void(PortableInstall&)>& prepare = nullptr) {
  Started started;
  started.install = std::make_unique<PortableInstall>(tag);
  if (prepare) prepare(*started.install);
  started.program = std::make_unique<RunningProgram>(started.install->program(), L"--portable");
  return started;
}

// What the log gained since `offset`.
std::string logSince(uintmax_t offset) {
  std::ifstream in(debugLogPath(), std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

TEST(ProgramTest, StartsWithItsWindowAndSpeaksTheEngineCheck) {
  Started run = start("window");
  ASSERT_TRUE(run.program->started());
  HWND window = run.program->waitForWindow(kWindowClass);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(run.program->title().rfind(L"Velmora", 0), 0u);
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 640);
  EXPECT_EQ(bounds.bottom - bounds.top, 750);
  // The engines folder is empty: both files are missing, said at once in the title and
  // as the board's accessible name.
  EXPECT_EQ(run.program->waitForTitle(kStartupHeard), kStartupHeard);
  EXPECT_EQ(L"Velmora - " + run.program->boardAccessibleName().value_or(L"(none)"), kStartupHeard);
  // Nothing is written at start: settings are saved only when something changes.
  EXPECT_FALSE(run.install->exists("config/config.json"));
}

TEST(ProgramTest, EngineNoticeFollowsTheEngineFiles) {
  struct Case {
    const char* tag;
    size_t engineBytes;  // 0: no engine file
    std::wstring notice;
  };
  const Case cases[] = {
      {"engine-only-network", 0, L"错误：未找到内置引擎文件"},
      {"engine-small", 1000, L"警告：引擎文件大小异常"},
      {"engine-present", 300000, L"内置Pikafish引擎加载成功"},
  };
  for (const Case& c : cases) {
    Started run = start(c.tag, [&](PortableInstall& install) {
      install.writeFile("engines/pikafish.nnue", "network");
      if (c.engineBytes > 0) install.writeFileOfSize("engines/pikafish.exe", c.engineBytes);
    });
    ASSERT_NE(run.program->waitForWindow(kWindowClass), nullptr) << c.tag;
    EXPECT_EQ(run.program->waitForTitle(L"Velmora - " + c.notice), L"Velmora - " + c.notice) << c.tag;
  }
}

TEST(ProgramTest, NoticeHistoryKeysWalkTheSpokenNotices) {
  Started run = start("history");
  ASSERT_NE(run.program->waitForWindow(kWindowClass), nullptr);
  run.program->waitForTitle(kStartupHeard);
  WinEventWatcher events(run.program->processId());
  ASSERT_TRUE(events.hooked());

  // The start-up notices were heard as one but are kept one by one: R says the latest
  // again, E the one before it.
  run.program->postKey('R');
  EXPECT_TRUE(events.waitForName(kNetworkFileMissing)) << events.eventCount() << " name changes seen";
  Sleep(600);
  run.program->postKey('E');
  EXPECT_TRUE(events.waitForName(kEngineFileMissing));

  // Reading board files (Ctrl+F1, Ctrl+F2) is announced and recorded.
  auto startsWith = [](const std::wstring& prefix) {
    return [prefix](const std::wstring& title) { return title.rfind(prefix, 0) == 0; };
  };
  ASSERT_TRUE(run.program->typeChord({VK_CONTROL}, VK_F1));
  const std::wstring file1 = run.program->waitForTitle(startsWith(L"Velmora - 第1路："));
  ASSERT_EQ(file1.rfind(L"Velmora - 第1路：", 0), 0u) << "Ctrl+F1 did not read file 1";
  ASSERT_TRUE(run.program->typeChord({VK_CONTROL}, VK_F2));
  const std::wstring file2 = run.program->waitForTitle(startsWith(L"Velmora - 第2路："));
  ASSERT_EQ(file2.rfind(L"Velmora - 第2路：", 0), 0u);

  Sleep(600);  // past the navigation and repeat pauses
  run.program->postKey('E');
  EXPECT_EQ(run.program->waitForTitle(file1), file1);
  Sleep(400);
  run.program->postKey('T');
  EXPECT_EQ(run.program->waitForTitle(file2), file2);
  Sleep(400);
  run.program->postKey('T');
  EXPECT_EQ(run.program->waitForTitle(L"Velmora - 已经是最新通知"), L"Velmora - 已经是最新通知");
  Sleep(600);
  run.program->postKey('R');
  EXPECT_EQ(run.program->waitForTitle(file2), file2);
  EXPECT_EQ(run.program->boardAccessibleName().value_or(L""), file2.substr(std::wstring(L"Velmora - ").size()));
}

TEST(ProgramTest, CtrlHSwitchesTheLogWithOneBanner) {
  Started run = start("log");
  ASSERT_NE(run.program->waitForWindow(kWindowClass), nullptr);
  run.program->waitForTitle(kStartupHeard);
  const uintmax_t offset = fileSize(debugLogPath());

  const std::wstring on = L"Velmora - 日志已开启。可在帮助菜单的关于页面点击“定位日志文件”查看日志";
  ASSERT_TRUE(run.program->typeChord({VK_CONTROL}, 'H'));
  ASSERT_EQ(run.program->waitForTitle(on), on);
  EXPECT_NE(run.install->readFile("config/config.json").find("\"LoggerEnabled\": true"), std::string::npos);
  ASSERT_TRUE(run.program->typeChord({VK_CONTROL}, 'H'));
  ASSERT_EQ(run.program->waitForTitle(L"Velmora - 日志已关闭"), L"Velmora - 日志已关闭");
  EXPECT_NE(run.install->readFile("config/config.json").find("\"LoggerEnabled\": false"), std::string::npos);
  ASSERT_TRUE(run.program->typeChord({VK_CONTROL}, 'H'));
  ASSERT_EQ(run.program->waitForTitle(on), on);

  const std::string written = logSince(offset);
  EXPECT_EQ(occurrences(written, "========== 日志系统启动 =========="), 1) << written;
  EXPECT_EQ(occurrences(written, "程序版本: 1.2.10.1"), 1);
}

TEST(ProgramTest, InstallerRequestSavesAndCloses) {
  Started run = start("installer");
  ASSERT_NE(run.program->waitForWindow(kWindowClass), nullptr);
  run.program->waitForTitle(kStartupHeard);
  // A wrong tag and a short payload change nothing.
  EXPECT_EQ(run.program->sendCopyData(0x54565252, "TV_INSTALLER_QUIT:"), 0);
  EXPECT_EQ(run.program->sendCopyData(0x54565251, "TV_INSTALLER_QUIT"), 0);
  EXPECT_FALSE(run.program->waitForExit(300).has_value());
  EXPECT_FALSE(run.install->exists("config/config.json"));

  EXPECT_EQ(run.program->sendCopyData(0x54565251, "TV_INSTALLER_QUIT:1.2.11"), 1);
  const std::optional<DWORD> exitCode = run.program->waitForExit();
  ASSERT_TRUE(exitCode.has_value());
  EXPECT_EQ(*exitCode, 0u);
  const std::string config = run.install->readFile("config/config.json");
  for (const char* section : {"\"AI\"", "\"Accessibility\"", "\"System\"", "\"Audio\""}) {
    EXPECT_NE(config.find(section), std::string::npos) << section;
  }
}

// Start-up cost: process start to the window's first title, and the working set once
// the start-up notices have settled. Printed, not judged.
TEST(ProgramBenchmark, StartupCost) {
  constexpr int kRuns = 3;
  std::vector<long long> milliseconds;
  std::vector<uint64_t> workingSets;
  for (int i = 0; i < kRuns; ++i) {
    Started run = start("bench");
    ASSERT_NE(run.program->waitForWindow(kWindowClass), nullptr);
    run.program->waitForTitle(kStartupHeard);
    Sleep(300);
    milliseconds.push_back(run.program->timeToFirstTitle()->count());
    workingSets.push_back(run.program->workingSetBytes());
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  std::sort(workingSets.begin(), workingSets.end());
  std::printf("[benchmark] start to first title: min %lld ms, median %lld ms, max %lld ms (%d runs)\n",
              milliseconds.front(), milliseconds[kRuns / 2], milliseconds.back(), kRuns);
  std::printf("[benchmark] working set after start-up: min %.1f MB, median %.1f MB, max %.1f MB\n",
              workingSets.front() / 1048576.0, workingSets[kRuns / 2] / 1048576.0, workingSets.back() / 1048576.0);
}

}  // namespace
}  // namespace Tavrune::E2E
