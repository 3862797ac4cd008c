// The sound-pack chooser in this process over packs in a scratch "sounds" folder, and
// the window's command when the chosen pack cannot be saved.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CapturedLog.h"
#include "app/DialogWatcher.h"
#include "app/SoundPackChoice.h"
#include "app/SoundPackDialog.h"
#include "app/WindowTestRig.h"
#include "app/resource.h"
#include "audio/SoundPackScanner.h"
#include "support/ClipboardReader.h"

namespace Tavrune {
namespace {

using Test::DialogWatcher;
using Test::ScratchFolder;

void layOutPacks(const ScratchFolder& folder) {
  folder.writeFile("sounds/bamboo/move.wav", "RIFF");
  folder.writeFile("sounds/bamboo/soundpack.json",
                   R"({"name": "竹林", "author": "阿青", "version": "1.2", "website": "https://example.org",)"
                   R"( "qq": "12345"})");
  folder.writeFile("sounds/raw/capture.wav", "RIFF");
}

int indexOf(const std::vector<SoundPack>& packs, const std::string& folder) {
  for (size_t i = 0; i < packs.size(); ++i) {
    if (packs[i].folderName == folder) return int(i);
  }
  return -1;
}

void choose(HWND dialog, int row) {
  HWND list = GetDlgItem(dialog, IDC_SOUND_PACK_LIST);
  SendMessageW(list, LB_SETCURSEL, row, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SOUND_PACK_LIST, LBN_SELCHANGE), LPARAM(list));
}

bool offered(HWND dialog, int button) {
  return IsWindowVisible(GetDlgItem(dialog, button)) && IsWindowEnabled(GetDlgItem(dialog, button));
}

// Presses `button` of the dialog and answers the box captioned `caption`; its text.
std::wstring boxAfterPressing(HWND dialog, int button, const std::wstring& caption) {
  std::wstring text;
  DialogWatcher box(caption, [&text](HWND found) {
    text = DialogWatcher::messageBoxText(found);
    DialogWatcher::press(found, IDOK);
  });
  DialogWatcher::press(dialog, button);
  EXPECT_TRUE(box.wait()) << "no box";
  return text;
}

TEST(SoundPackDialogTest, ShowsEachPackAndTakesOnlyACompleteOne) {
  ScratchFolder folder("音效包");
  layOutPacks(folder);
  const std::vector<SoundPack> packs = SoundPackScanner::scanRoots({folder.utf8("sounds")});
  ASSERT_EQ(packs.size(), 2u);
  const int bamboo = indexOf(packs, "bamboo");
  const int raw = indexOf(packs, "raw");

  DialogWatcher chooser(SoundPackChoice::kCaption, [&](HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_SOUND_PACK_LIST);
    for (int row = 0; row < 2; ++row) {
      wchar_t text[512] = {};
      SendMessageW(list, LB_GETTEXT, row, LPARAM(text));
      EXPECT_EQ(text, SoundPackChoice::listItemText(packs[size_t(row)]));
    }
    // The complete pack is offered first, with its details and both of its buttons.
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), bamboo);
    EXPECT_EQ(DialogWatcher::controlText(dialog, IDC_SOUND_PACK_DETAILS), L"当前选中：竹林 (阿青) - 1.2");
    EXPECT_TRUE(offered(dialog, IDC_SOUND_PACK_WEBSITE) && offered(dialog, IDC_SOUND_PACK_QQ));

    choose(dialog, raw);
    EXPECT_EQ(DialogWatcher::controlText(dialog, IDC_SOUND_PACK_DETAILS), L"当前选中：raw");
    EXPECT_FALSE(offered(dialog, IDC_SOUND_PACK_WEBSITE) || offered(dialog, IDC_SOUND_PACK_QQ));
    EXPECT_EQ(boxAfterPressing(dialog, IDOK, SoundPackChoice::kIncompleteCaption), SoundPackChoice::kIncompleteText);
    EXPECT_TRUE(IsWindow(dialog));

    // The QQ number is said to be copied only once the clipboard holds it.
    choose(dialog, bamboo);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(boxAfterPressing(dialog, IDC_SOUND_PACK_QQ, L"错误"), L"复制失败");
    CloseClipboard();
    EXPECT_EQ(boxAfterPressing(dialog, IDC_SOUND_PACK_QQ, L"复制成功"), L"QQ号码已复制：12345");
    EXPECT_EQ(Tavrune::Test::clipboardText(), L"12345");
    DialogWatcher::press(dialog, IDOK);
  }, 10000);
  EXPECT_EQ(runSoundPackDialog(nullptr, packs), bamboo);
  EXPECT_TRUE(chooser.wait());
}

TEST(SoundPackDialogTest, APackThatCannotBeSavedIsNotLoaded) {
  Tavrune::Test::WindowTestRig rig(std::nullopt, layOutPacks);
  ASSERT_TRUE(rig.create());
  // A folder stands where the settings file should be written.
  std::filesystem::remove(ScratchFolder::fromUtf8(rig.configPath()));
  std::filesystem::create_directories(ScratchFolder::fromUtf8(rig.configPath()));
  Tavrune::Test::CapturedLog log;

  const std::vector<SoundPack> packs = SoundPackScanner::scanRoots({rig.programFolder().utf8("sounds")});
  const int bamboo = indexOf(packs, "bamboo");
  DialogWatcher chooser(SoundPackChoice::kCaption, [bamboo](HWND dialog) {
    choose(dialog, bamboo);
    DialogWatcher::press(dialog, IDOK);
  });
  DialogWatcher confirm(SoundPackChoice::kConfirmCaption, [](HWND box) { DialogWatcher::press(box, IDYES); });
  std::wstring error;
  DialogWatcher failure(L"错误", [&error](HWND box) {
    error = DialogWatcher::messageBoxText(box);
    DialogWatcher::press(box, IDOK);
  });
  rig.window().selectSoundPack(nullptr);
  EXPECT_TRUE(chooser.wait() && confirm.wait() && failure.wait());
  EXPECT_EQ(error, SoundPackChoice::kSaveFailedText);
  EXPECT_FALSE(log.contains("[SoundPackSelection] User selected"));
}

}  // namespace
}  // namespace Tavrune
