// Loading a record through the window's real dialogs and going back: after the load is
// taken back, or fails, the board, the history and what was spoken agree with the state
// before it, the first load of a run included.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

#include "core/TextConversion.h"
#include "app/DialogWatcher.h"
#include "app/OpeningMoves.h"
#include "app/WindowTestRig.h"
#include "audio/AudioManager.h"
#include "audio/NoDeviceBackend.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

using Test::DialogWatcher;

class RecordLoadWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.programFolder().writeFile("开局.pgn", "[Red \"甲\"]\n[Black \"乙\"]\n\n1. h8e8 h1g3 *\n");
    rig.programFolder().writeFile("另一局.pgn", "\n1. b0c8 *\n");
    ASSERT_TRUE(rig.create());
  }

  // Command 101 on `file`, answering each box in turn (the first, a summary or an error,
  // with OK); returns the first box's text. Wine's open dialog takes seconds to appear.
  std::wstring load(const std::filesystem::path& file, std::vector<std::pair<const wchar_t*, int>> boxes) {
    std::wstring text;
    std::vector<std::unique_ptr<DialogWatcher>> watchers;
    watchers.push_back(std::make_unique<DialogWatcher>(
        L"打开棋谱文件", [&file](HWND dialog) { DialogWatcher::chooseFile(dialog, file.wstring()); }, 30000));
    for (const auto& [caption, button] : boxes) {
      watchers.push_back(std::make_unique<DialogWatcher>(
          caption,
          [&text, button](HWND box) {
            if (text.empty()) text = DialogWatcher::messageBoxText(box);
            DialogWatcher::press(box, button);
          },
          30000));
    }
    SendMessageW(rig.window().handle(), WM_COMMAND, 101, 0);
    for (auto& watcher : watchers) EXPECT_TRUE(watcher->wait());
    return text;
  }

  bool lastNoticeIs(const std::wstring& notice) {
    // Notices of one action are joined: the notice ends what was spoken last.
    const bool heard = rig.pumpUntil([&] {
      const std::wstring title = rig.title();
      return title.starts_with(L"Velmora - ") && title.ends_with(notice);
    });
    if (!heard) ADD_FAILURE() << "title: " << wideToUtf8(rig.title());
    return heard;
  }

  void expectStartupState() {
    GameEngine& game = rig.window().game();
    EXPECT_EQ(game.getBoard().getCells(), Board().getCells());
    EXPECT_TRUE(game.getMoveHistory().empty());
    EXPECT_TRUE(game.getStartFen().empty());
    EXPECT_FALSE(rig.window().isGameInProgress());
  }

  // A review starts audio: it plays on a back end without a device.
  RecordLoadWindowTest() {
    rig.window().audio().setBackendFactory([](AudioBackendType) {
      return std::make_unique<Tavrune::Test::NoDeviceBackend>(std::make_shared<Tavrune::Test::BackendProbe>(), "miniaudio");
    });
  }

  Tavrune::Test::WindowTestRig rig{Tavrune::Test::SavedSettings{}};
};

TEST_F(RecordLoadWindowTest, GoingBackAfterTheFirstLoadRestoresTheEmptyStart) {
  EXPECT_EQ(load(rig.programFolder().path() / L"开局.pgn", {{L"棋谱信息", IDOK}, {L"棋谱加载完成", IDCANCEL}}),
            L"红方: 甲\n黑方: 乙\n共 2 手棋");
  EXPECT_TRUE(lastNoticeIs(L"已取消并返回加载前状态"));
  expectStartupState();
}

TEST_F(RecordLoadWindowTest, AFailedFirstLoadLeavesNothingOfTheRecord) {
  if (Tavrune::Test::sharedDir().empty()) TAVRUNE_SKIP_OR_FAIL_IN_CI("no shared samples folder");
  // Its 32nd move starts from an empty point: the replay stops there and the load fails.
  const auto file =
      std::filesystem::path(Tavrune::Test::sharedDir()) / "samples" / "xqf" / "zf-v18-badmoves-zuojianzifu.xqf";
  EXPECT_EQ(load(file, {{L"错误", IDOK}}), L"无法加载棋谱文件");
  EXPECT_TRUE(lastNoticeIs(L"棋谱加载失败"));
  expectStartupState();
}

TEST_F(RecordLoadWindowTest, GoingBackFromASecondLoadReopensTheFirstRecordsReview) {
  const std::filesystem::path startFolder = std::filesystem::current_path();
  load(rig.programFolder().path() / L"开局.pgn", {{L"棋谱信息", IDOK}, {L"棋谱加载完成", IDYES}});
  const std::vector<Move> first = rig.window().game().getMoveHistory();
  const Board::Cells cells = rig.window().game().getBoard().getCells();
  ASSERT_EQ(first.size(), 2u);

  DialogWatcher replaceReview(L"确认加载棋谱", [](HWND box) { DialogWatcher::press(box, IDYES); });
  EXPECT_EQ(load(rig.programFolder().path() / L"另一局.pgn", {{L"棋谱信息", IDOK}, {L"棋谱加载完成", IDCANCEL}}),
            L"共 1 手棋");
  // The second dialog opens in the folder of the first file: the program's current
  // folder stays where it was all the same.
  EXPECT_EQ(std::filesystem::current_path(), startFolder);
  // The way back is heard first, then where it leads.
  EXPECT_TRUE(lastNoticeIs(L"已取消并返回加载前状态，进入复盘模式，当前第2步，共2步"));
  EXPECT_TRUE(rig.window().review().isActive());
  EXPECT_EQ(rig.window().game().getMoveHistory(), first);
  EXPECT_EQ(rig.window().game().getBoard().getCells(), cells);
}

TEST_F(RecordLoadWindowTest, AGamesMusicStopsWithItAndComesBackWithIt) {
  SendMessageW(rig.window().handle(), WM_COMMAND, 200, 0);  // two players at one keyboard
  ASSERT_TRUE(rig.window().makeMove(Tavrune::Test::kRedCannon));
  // Going back to the game brings its music back, with sound off too (F8 first), and from
  // a review (left after going back); reviewing the record ends both.
  for (const auto& [f8First, fromReview, choice, musicAfter] :
       {std::tuple{false, false, IDCANCEL, true}, std::tuple{true, false, IDCANCEL, true},
        std::tuple{false, true, IDCANCEL, true}, std::tuple{false, false, IDYES, false}}) {
    SCOPED_TRACE(testing::Message() << f8First << " " << fromReview << " " << choice);
    if (f8First) SendMessageW(rig.window().handle(), WM_KEYDOWN, VK_F8, 0);
    if (fromReview) SendMessageW(rig.window().handle(), WM_COMMAND, 205, 0);
    ASSERT_TRUE(rig.window().audio().isMusicWanted());
    DialogWatcher replaceGame(L"确认加载棋谱", [](HWND box) { DialogWatcher::press(box, IDYES); });
    load(rig.programFolder().path() / L"开局.pgn", {{L"棋谱信息", IDOK}, {L"棋谱加载完成", choice}});
    if (fromReview) SendMessageW(rig.window().handle(), WM_COMMAND, 205, 0);
    EXPECT_EQ(rig.window().isGameInProgress(), musicAfter);
    EXPECT_EQ(rig.window().audio().isMusicWanted(), musicAfter);
  }
}

}  // namespace
}  // namespace Tavrune
