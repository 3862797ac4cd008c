// The settings dialog of the real program, opened and driven from outside: how it is
// opened and closed, and what its volume sliders leave in the file and the program.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "e2e/SettingsDialogDriver.h"

namespace Tavrune::E2E {
namespace {

namespace Driver = SettingsDialogDriver;

const wchar_t kWindowClass[] = L"TavruneWindow";
const std::wstring kTitlePrefix = L"Velmora - ";
const std::wstring kCaption = L"软件设置";
constexpr WPARAM kSettingsCommand = 304;
constexpr WPARAM kPvpGameCommand = 200;

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install = std::make_unique<PortableInstall>("settings-dialog");
    install->writeFile("config/config.json", "{\"System\": {\"VolumeIntroShown\": true}}");
    program = std::make_unique<RunningProgram>(install->program(), L"--portable");
    ASSERT_TRUE(program->started());
    ASSERT_NE(program->waitForWindow(kWindowClass), nullptr);
    program->waitForTitle([](const std::wstring& t) { return t != L"Velmora"; });
  }

  HWND open(const std::function<void()>& how) {
    how();
    HWND dialog = program->waitForDialog(kCaption);
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }
  HWND openByCommand() {
    return open([this] { PostMessageW(program->window(), WM_COMMAND, kSettingsCommand, 0); });
  }
  void cancel(HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Driver::waitUntilClosed(dialog));
  }
  // F5 lowers the master volume by one step and says where it is now.
  std::wstring spokenAfterF5() {
    const std::wstring before = program->title();
    program->postKey(VK_F5);
    return program->waitForTitle([&](const std::wstring& t) { return t != before; });
  }

  std::unique_ptr<PortableInstall> install;
  std::unique_ptr<RunningProgram> program;
};

TEST_F(SettingsDialogTest, EveryWayInOpensTheSixPagesAndClosingLeavesTheFile) {
  PostMessageW(program->window(), WM_COMMAND, kPvpGameCommand, 0);
  const std::wstring gameTitle = program->waitForTitle(kTitlePrefix + L"开始新游戏");
  const std::string before = install->readFile("config/config.json");
  ASSERT_FALSE(before.empty());
  const std::function<void()> ways[] = {
      [this] { program->typeChord({VK_CONTROL}, 'P'); },
      [this] { program->typeChord({VK_MENU}, 'P'); },
      [this] { PostMessageW(program->window(), WM_COMMAND, kSettingsCommand, 0); },
  };
  bool byEscape = true;
  for (const auto& way : ways) {
    HWND dialog = open(way);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Driver::pageCount(dialog), 6);
    if (byEscape) {
      PostMessageW(GetDlgItem(dialog, Driver::kPageList), WM_KEYDOWN, VK_ESCAPE, 1);
      EXPECT_TRUE(Driver::waitUntilClosed(dialog));
    } else {
      cancel(dialog);
    }
    byEscape = !byEscape;
  }
  EXPECT_EQ(install->readFile("config/config.json"), before);
  EXPECT_EQ(program->title(), gameTitle);  // the game is still on, nothing else said
}

TEST_F(SettingsDialogTest, SlidersAreHeardUntilCancelAndKeptWhenCommitted) {
  // Moved and cancelled: the program's volume is the one it had.
  HWND dialog = openByCommand();
  ASSERT_NE(dialog, nullptr);
  Driver::showPage(dialog, Driver::kAudio);
  HWND master = Driver::editorOf(dialog, L"主音量");
  ASSERT_NE(master, nullptr);
  Driver::pressKey(master, VK_LEFT, 3);
  EXPECT_EQ(Driver::textOf(GetWindow(master, GW_HWNDNEXT)), L"85");
  cancel(dialog);
  EXPECT_EQ(spokenAfterF5(), kTitlePrefix + L"主音量 95%");

  // Applied, then moved again and cancelled: the applied value stays.
  dialog = openByCommand();
  Driver::showPage(dialog, Driver::kAudio);
  master = Driver::editorOf(dialog, L"主音量");
  Driver::pressKey(master, VK_LEFT, 2);  // 85
  EXPECT_TRUE(Driver::applyAndConfirm(dialog));
  master = Driver::editorOf(dialog, L"主音量");
  Driver::pressKey(master, VK_LEFT, 4);
  cancel(dialog);
  EXPECT_EQ(spokenAfterF5(), kTitlePrefix + L"主音量 80%");

  // A slider moved before a toggle on the same page is saved with it.
  dialog = openByCommand();
  Driver::showPage(dialog, Driver::kAudio);
  Driver::pressKey(Driver::editorOf(dialog, L"主音量"), VK_LEFT, 6);  // 50
  HWND music = Driver::editorOf(dialog, L"背景音乐");
  Driver::click(music);
  // The click rebuilds the page; its old rows go once the new ones stand.
  EXPECT_TRUE(Driver::waitUntilClosed(music));
  EXPECT_EQ(Driver::textOf(GetWindow(Driver::editorOf(dialog, L"主音量"), GW_HWNDNEXT)), L"50");
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(Driver::waitUntilClosed(dialog));
  const std::string saved = install->readFile("config/config.json");
  EXPECT_NE(saved.find("\"MasterVolume\": 0.5"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"BackgroundMusicEnabled\": false"), std::string::npos) << saved;
  EXPECT_EQ(spokenAfterF5(), kTitlePrefix + L"主音量 45%");
}

TEST_F(SettingsDialogTest, APackChosenFromTheAudioPageStaysThroughCancelAndSave) {
  install->writeFile("sounds/bamboo/move.wav", install->readFile("sounds/default/move.wav"));
  install->writeFile("sounds/bamboo/soundpack.json", "{\"name\": \"竹林\"}");
  HWND dialog = openByCommand();
  ASSERT_NE(dialog, nullptr);
  Driver::showPage(dialog, Driver::kAudio);
  Driver::pressKey(Driver::editorOf(dialog, L"主音量"), VK_LEFT, 2);  // heard, not committed
  Driver::click(Driver::editorOf(dialog, L"音效包选择..."));
  HWND chooser = Driver::waitForOwnedBox(dialog, L"选择音效包");
  ASSERT_NE(chooser, nullptr);
  // Down the list by keys to the new pack, then OK.
  HWND list = GetDlgItem(chooser, 251);
  for (int step = 0; step < 4 && Driver::textOf(GetDlgItem(chooser, 250)) != L"当前选中：竹林"; ++step) {
    const int row = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
    Driver::pressKey(list, row > 0 ? VK_UP : VK_DOWN);
  }
  ASSERT_EQ(Driver::textOf(GetDlgItem(chooser, 250)), L"当前选中：竹林");
  PostMessageW(chooser, WM_COMMAND, IDOK, 0);
  HWND confirm = Driver::waitForOwnedBox(dialog, L"确认选择");
  ASSERT_NE(confirm, nullptr);
  PostMessageW(confirm, WM_COMMAND, IDYES, 0);
  // No game has started the audio yet: the pack is for the next game.
  HWND saved = Driver::waitForOwnedBox(dialog, L"设置已保存");
  ASSERT_NE(saved, nullptr);
  PostMessageW(saved, WM_COMMAND, IDOK, 0);
  const auto fileHolds = [this](const char* text) {
    return install->readFile("config/config.json").find(text) != std::string::npos;
  };
  for (int waited = 0; waited < 5000 && !fileHolds("sounds/bamboo"); waited += 50) Sleep(50);
  EXPECT_TRUE(fileHolds("\"SoundPackPath\": \"sounds/bamboo\""));

  cancel(dialog);
  EXPECT_TRUE(fileHolds("\"SoundPackPath\": \"sounds/bamboo\""));
  EXPECT_TRUE(fileHolds("\"MasterVolume\": 1.0")) << install->readFile("config/config.json");

  dialog = openByCommand();
  Driver::showPage(dialog, Driver::kAudio);
  Driver::click(Driver::editorOf(dialog, L"背景音乐"));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(Driver::waitUntilClosed(dialog));
  EXPECT_TRUE(fileHolds("\"BackgroundMusicEnabled\": false"));
  EXPECT_TRUE(fileHolds("\"SoundPackPath\": \"sounds/bamboo\""));
}

}  // namespace
}  // namespace Tavrune::E2E
