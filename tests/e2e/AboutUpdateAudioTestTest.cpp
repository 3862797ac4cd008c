// The Help menu's commands in the real program: the About box with its version and copy
// buttons, the update check with and without the update library, and the 3D audio test
// window in the Chinese-named install.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/AppVersion.h"
#include "app/MakerContact.h"
#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "support/ClipboardReader.h"

namespace Tavrune::E2E {
namespace {

using Test::clipboardText;

const wchar_t kWindowClass[] = L"TavruneWindow";
const wchar_t kAudioTestClass[] = L"TavruneAudio3DTestWindow";
constexpr int kAbout = 301;
constexpr int kCheckForUpdates = 302;
constexpr int kAudioTest = 303;

struct Running {
  // `firstCommand`, when given, is posted as soon as the window shows.
  explicit Running(const std::string& tag, bool withUpdateLibrary = false, int firstCommand = 0) : install(tag) {
    if (withUpdateLibrary) {
      install.copyIn(PortableInstall::buildMachinePath(TAVRUNE_WINSPARKLE_STANDIN), "WinSparkle.dll");
    }
    program = std::make_unique<RunningProgram>(install.program(), L"--portable");
    window = program->waitForWindow(kWindowClass);
    if (firstCommand) command(firstCommand);
    // Past the start-up notices.
    program->waitForTitle([](const std::wstring& title) { return title.find(L"神经网络") != std::wstring::npos; });
  }
  void command(int id) const { PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  static void press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  }
  // Waits for the box, reads its message and presses OK; empty when none came.
  std::wstring answerBox(const std::wstring& caption) const {
    std::wstring message;
    program->answerBox(caption, IDOK, 8000, &message);
    return message;
  }
  std::vector<std::string> updateLibraryCalls() const {
    std::ifstream in(install.file("winsparkle-calls.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find(" caller=")));
    return lines;
  }

  PortableInstall install;
  std::unique_ptr<RunningProgram> program;
  HWND window = nullptr;
};

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(UpdateCheckTest, WithoutTheLibraryStartsQuietlyAndTheMenuCheckSaysSo) {
  Running run("no-updates");
  ASSERT_NE(run.window, nullptr);
  EXPECT_EQ(run.program->findDialog(L"警告"), nullptr);
  run.command(kCheckForUpdates);
  EXPECT_EQ(run.answerBox(L"提示"), L"更新服务不可用");
  EXPECT_EQ(run.program->waitForTitle(L"Velmora - 更新服务不可用"), L"Velmora - 更新服务不可用");
}

TEST(UpdateCheckTest, WithTheLibraryInTheInstallTheMenuCheckReachesIt) {
  // Asked for at once: the library is loaded for the check, not only by the start-up's own.
  Running run("updates", true, kCheckForUpdates);
  ASSERT_NE(run.window, nullptr);
  for (int waited = 0; waited < 5000 && !contains(run.updateLibraryCalls(), "check_update_with_ui"); waited += 50) {
    Sleep(50);
  }
  const std::vector<std::string> calls = run.updateLibraryCalls();
  EXPECT_TRUE(contains(calls, "init"));
  EXPECT_TRUE(contains(calls, "set_update_check_interval 0"));
  EXPECT_TRUE(contains(calls, "check_update_without_ui"));
  EXPECT_TRUE(contains(calls, "check_update_with_ui"));
  EXPECT_TRUE(contains(calls, std::string("set_app_details Dorv|Velmora|") + TAVRUNE_VERSION_TEXT));
  EXPECT_EQ(run.program->findDialog(L"提示"), nullptr);
}

TEST(AboutBoxTest, ShowsTheVersionAndCopiesTheNumbers) {
  Running run("about");
  ASSERT_NE(run.window, nullptr);
  run.command(kAbout);
  HWND about = run.program->waitForDialog(L"关于Velmora", 8000, 1002);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(RunningProgram::controlText(about, 1002),
            L"" TAVRUNE_VERSION_TEXT " (Build 771 (" TAVRUNE_SOURCE_REVISION "))");
  EXPECT_EQ(RunningProgram::controlText(about, 1001), L"Velmora");

  const std::pair<int, std::wstring> buttons[] = {
      {1003, MakerContact::kChatAccountNumber},
      {1004, MakerContact::kChatGroupNumber},
  };
  for (const auto& [button, number] : buttons) {
    Running::press(about, button);
    const std::wstring box = run.answerBox(L"复制成功");
    EXPECT_FALSE(box.empty()) << button;
    EXPECT_EQ(clipboardText(), number);
    Sleep(300);
  }
  Running::press(about, IDCANCEL);
  for (int waited = 0; waited < 5000 && run.program->findDialog(L"关于Velmora"); waited += 50) Sleep(50);
  EXPECT_EQ(run.program->findDialog(L"关于Velmora"), nullptr);
}

TEST(AudioTestWindowTest, OpensOnceAndArrowsMoveTheSound) {
  Running run("3d-音效");
  ASSERT_NE(run.window, nullptr);
  run.command(kAudioTest);
  HWND test = nullptr;
  for (int waited = 0; waited < 8000 && !test; waited += 50) {
    test = run.program->findWindowOfClass(kAudioTestClass);
    if (!test) Sleep(50);
  }
  ASSERT_NE(test, nullptr);
  Sleep(300);
  // The sound loaded from the install's wide path: no box at all.
  EXPECT_EQ(run.program->findDialog(L"错误"), nullptr);

  auto hasLabel = [&](const std::wstring& label) {
    for (int waited = 0; waited < 3000; waited += 50) {
      const std::vector<std::wstring> texts = RunningProgram::childTexts(test);
      if (std::find(texts.begin(), texts.end(), label) != texts.end()) return true;
      Sleep(50);
    }
    return false;
  };
  for (int i = 0; i < 2; ++i) {
    PostMessageW(test, WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageW(test, WM_KEYUP, VK_RIGHT, 0);
  }
  EXPECT_TRUE(hasLabel(L"X: 40cm"));
  EXPECT_TRUE(hasLabel(L"Y: -30cm"));

  run.command(kAudioTest);
  Sleep(500);
  // Still one window: the second command brought the first forward.
  std::pair<DWORD, int> count{run.program->processId(), 0};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* found = reinterpret_cast<std::pair<DWORD, int>*>(context);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (process == found->first && std::wstring(name) == kAudioTestClass) ++found->second;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  EXPECT_EQ(count.second, 1);
  EXPECT_EQ(run.program->findWindowOfClass(kAudioTestClass), test);
  EXPECT_EQ(run.program->findDialog(L"错误"), nullptr);
}

}  // namespace
}  // namespace Tavrune::E2E
