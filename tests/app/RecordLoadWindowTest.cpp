// Loading a record through the window's real dialogs and going back: after the load is
// taken back, or fails, the board, the history and what was spoken agree with the state
// before it, the first load of a run included.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "app/DialogWatcher.h"
#include "app/WindowTestRig.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

using Test::DialogWatcher;
using Test::SavedSettings;
using Test::WindowTestRig;

constexpr int kLoadScoreCommand = 101;
const char kRecord[] = "[Red \"甲\"]\n[Black \"乙\"]\n\n1. h8e8 h1g3 *\n";

// Types the path into the open dialog's file name box (an edit inside a combo box) and
// presses OK, again while the dialog is still there: it may still be filling its boxes.
void chooseFile(HWND dialog, const std::wstring& path) {
  HWND nameEdit = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (GetDlgCtrlID(child) != 0x47c || std::wstring(name) != L"Edit") return TRUE;
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&nameEdit));
  for (int attempt = 0; attempt < 10 && IsWindow(dialog); ++attempt) {
    SendMessageW(nameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    DialogWatcher::press(dialog, IDOK);
    Sleep(500);
  }
}

class RecordLoadWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.programFolder().writeFile("开局.pgn", kRecord);
    ASSERT_TRUE(rig.create());
  }

  // Opens `file` with command 101 and answers the boxes that follow: the summary and
  // then `choice` (IDYES review, IDNO play on, IDCANCEL go back), or the error box of
  // a failed load. Returns the text of the summary or of the error box.
  std::wstring load(const std::filesystem::path& file, int choice) {
    std::wstring seen;
    auto keep = [&seen](HWND box) {
      seen = DialogWatcher::messageBoxText(box);
      DialogWatcher::press(box, IDOK);
    };
    // Wine's open dialog takes seconds to appear: the boxes after it are waited for longer.
    constexpr int waitMs = 30000;
    std::vector<std::unique_ptr<DialogWatcher>> watchers;
    watchers.push_back(std::make_unique<DialogWatcher>(
        L"打开棋谱文件", [&file](HWND dialog) { chooseFile(dialog, file.wstring()); }, waitMs));
    if (choice == 0) {
      watchers.push_back(std::make_unique<DialogWatcher>(L"错误", keep, waitMs));
    } else {
      watchers.push_back(std::make_unique<DialogWatcher>(L"棋谱信息", keep, waitMs));
      watchers.push_back(std::make_unique<DialogWatcher>(
          L"棋谱加载完成", [choice](HWND box) { DialogWatcher::press(box, choice); }, waitMs));
    }
    SendMessageW(rig.window().handle(), WM_COMMAND, kLoadScoreCommand, 0);
    for (auto& watcher : watchers) EXPECT_TRUE(watcher->wait());
    return seen;
  }

  bool lastNoticeIs(const std::wstring& notice) {
    return rig.pumpUntil([&] { return rig.title() == L"Velmora - " + notice; });
  }

  // The state of start-up: an empty board, no history and no game.
  void expectStartupState() {
    GameEngine& game = rig.window().game();
    EXPECT_EQ(game.getBoard().getCells(), Board().getCells());
    EXPECT_TRUE(game.getMoveHistory().empty());
    EXPECT_TRUE(game.getStartFen().empty());
    EXPECT_FALSE(rig.window().isGameInProgress());
  }

  static SavedSettings silent() {
    SavedSettings settings;
    settings.audio.enabled = false;  // a review would start audio
    return settings;
  }

  WindowTestRig rig{silent()};
};

TEST_F(RecordLoadWindowTest, GoingBackAfterTheFirstLoadRestoresTheEmptyStart) {
  const std::wstring summary = load(rig.programFolder().path() / L"开局.pgn", IDCANCEL);
  EXPECT_EQ(summary, L"红方: 甲\n黑方: 乙\n共 2 手棋");
  EXPECT_TRUE(lastNoticeIs(L"已取消并返回加载前状态"));
  expectStartupState();
}

TEST_F(RecordLoadWindowTest, AFailedFirstLoadLeavesNothingOfTheRecord) {
  const std::string shared = Tavrune::Test::sharedDir();
  if (shared.empty()) TAVRUNE_SKIP_OR_FAIL_IN_CI("no shared samples folder");
  // Its 32nd move starts from an empty point: the replay stops there and the load fails.
  const std::wstring box =
      load(std::filesystem::path(shared) / "samples" / "xqf" / "zf-v18-badmoves-zuojianzifu.xqf", 0);
  EXPECT_EQ(box, L"无法加载棋谱文件");
  EXPECT_TRUE(lastNoticeIs(L"棋谱加载失败"));
  expectStartupState();
}

TEST_F(RecordLoadWindowTest, GoingBackFromASecondLoadReopensTheFirstRecordsReview) {
  load(rig.programFolder().path() / L"开局.pgn", IDYES);
  ASSERT_TRUE(rig.window().review().isActive());
  const std::vector<Move> first = rig.window().game().getMoveHistory();
  const Board::Cells cells = rig.window().game().getBoard().getCells();
  ASSERT_EQ(first.size(), 2u);

  rig.programFolder().writeFile("另一局.pgn", "\n1. b0c8 *\n");
  DialogWatcher replaceReview(L"确认加载棋谱", [](HWND box) { DialogWatcher::press(box, IDYES); });
  EXPECT_EQ(load(rig.programFolder().path() / L"另一局.pgn", IDCANCEL), L"共 1 手棋");
  EXPECT_TRUE(replaceReview.wait());
  EXPECT_TRUE(lastNoticeIs(L"已取消并返回加载前状态"));
  EXPECT_TRUE(rig.window().review().isActive());
  EXPECT_EQ(rig.window().game().getMoveHistory(), first);
  EXPECT_EQ(rig.window().game().getBoard().getCells(), cells);
  EXPECT_EQ(rig.window().game().getStartFen(), STANDARD_START_FEN);
}

}  // namespace
}  // namespace Tavrune
