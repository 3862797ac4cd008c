// Menu commands end to end: sessions started, stopped, switched, resumed and undone,
// and records opened and saved through the real file dialogs, each result heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/DialogWatcher.h"
#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "e2e/WinEventWatcher.h"
#include "support/TestPaths.h"

namespace Tavrune::E2E {
namespace {

const wchar_t kWindowClass[] = L"TavruneWindow";
// Moves in the program's own coordinate text, as it writes them.
const std::string kRecord =
    "[Event \"测试赛\"]\n[Red \"甲\"]\n[Black \"乙\"]\n[Result \"*\"]\n\n1. h8e8 h1g3 *\n";

class SessionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install = std::make_unique<PortableInstall>("sessions");
    install->writeFile("开局.pgn", kRecord);
    program = std::make_unique<RunningProgram>(install->program(), L"--portable");
    ASSERT_TRUE(program->started());
    window = program->waitForWindow(kWindowClass);
    ASSERT_NE(window, nullptr);
    // Past the start-up notices.
    program->waitForTitle([](const std::wstring& title) { return title.find(L"神经网络") != std::wstring::npos; });
  }

  void command(int id) const { PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

  // Waits for the box, presses the button and returns the box's message.
  std::wstring answer(const std::wstring& caption, int button) const {
    std::wstring message;
    EXPECT_TRUE(program->answerBox(caption, button, 8000, &message)) << "no box " << caption;
    return message;
  }

  // Types the path into the open or save dialog and presses its OK button.
  bool chooseFile(const std::wstring& caption, const std::filesystem::path& path) const {
    HWND dialog = program->waitForDialog(caption);
    if (!dialog) return false;
    Tavrune::Test::DialogWatcher::chooseFile(dialog, path.wstring());
    return true;
  }

  bool titleIs(const std::wstring& notice, int timeoutMs = 5000) const {
    const std::wstring title = program->waitForTitle(L"Velmora - " + notice, timeoutMs);
    EXPECT_EQ(title, L"Velmora - " + notice);
    return title == L"Velmora - " + notice;
  }

  // A record loaded and kept to play on: the mode popup is closed and the two-player
  // game goes on from its last position.
  void loadRecordAndPlayOn() const {
    command(101);
    ASSERT_TRUE(chooseFile(L"打开棋谱文件", install->file("开局.pgn")));
    const std::wstring summary = answer(L"棋谱信息", IDOK);
    EXPECT_EQ(summary, L"赛事: 测试赛\n红方: 甲\n黑方: 乙\n共 2 手棋");
    answer(L"棋谱加载完成", IDNO);
    EXPECT_TRUE(titleIs(L"棋谱已加载，红方: 甲，黑方: 乙。请选择对战模式"));
    playOnAsTwoPlayers();
  }

  // From the mode popup a loaded record opens with: closes it and plays on at one keyboard.
  void playOnAsTwoPlayers() const {
    // Esc reaches the popup only once it is up, and the mode command the window once it has gone.
    ASSERT_TRUE(program->waitForPopupMenu(true)) << "no mode popup";
    program->postKey(VK_ESCAPE);
    ASSERT_TRUE(program->waitForPopupMenu(false)) << "the mode popup stayed";
    command(200);
    ASSERT_TRUE(titleIs(L"从当前棋局位置继续双人对弈"));
  }

  std::unique_ptr<PortableInstall> install;
  std::unique_ptr<RunningProgram> program;
  HWND window = nullptr;
};

TEST_F(SessionsTest, TwoPlayerGameStopsSwitchesResumesSilentlyAndUndoesToTheOpening) {
  loadRecordAndPlayOn();
  WinEventWatcher events(program->processId());

  command(209);
  EXPECT_TRUE(titleIs(L"已停止当前对局，可在游戏菜单恢复"));
  command(204);
  EXPECT_TRUE(titleIs(L"执黑后手"));

  // Loading during a stopped game and cancelling keeps the stopped game.
  command(101);
  answer(L"确认操作", IDYES);
  ASSERT_TRUE(chooseFile(L"打开棋谱文件", install->file("开局.pgn")));
  answer(L"棋谱信息", IDOK);
  answer(L"棋谱加载完成", IDCANCEL);
  EXPECT_TRUE(titleIs(L"已取消并返回加载前状态"));

  command(209);
  EXPECT_TRUE(titleIs(L"已恢复当前对局"));
  Sleep(1000);
  // No move of the restored game is spoken again.
  EXPECT_EQ(program->title(), L"Velmora - 已恢复当前对局");

  command(203);
  EXPECT_TRUE(program->waitForTitle([](const std::wstring& t) { return t != L"Velmora - 已恢复当前对局"; }) !=
              L"Velmora - 已恢复当前对局");
  command(203);
  EXPECT_TRUE(titleIs(L"悔棋，回到开局"));
  command(203);  // nothing left: the opening again, no fault
  EXPECT_TRUE(titleIs(L"悔棋，回到开局"));
}

TEST_F(SessionsTest, SavedGameOpensAgainForReview) {
  command(102);
  answer(L"提示", IDOK);  // nothing played yet: no dialog
  EXPECT_EQ(program->findDialog(L"保存棋谱文件"), nullptr);

  loadRecordAndPlayOn();
  // Saved without an extension: the dialog adds "pgn".
  command(102);
  ASSERT_TRUE(chooseFile(L"保存棋谱文件", install->folder() / L"对局"));
  EXPECT_TRUE(titleIs(L"棋谱保存成功"));
  answer(L"成功", IDOK);
  ASSERT_TRUE(install->exists("对局.pgn"));

  WinEventWatcher events(program->processId());
  command(101);
  answer(L"确认加载棋谱", IDYES);
  ASSERT_TRUE(chooseFile(L"打开棋谱文件", install->file("对局.pgn")));
  // The game it replaced is told of with the load, both heard before the first box.
  ASSERT_NE(program->waitForDialog(L"棋谱信息"), nullptr);
  const std::wstring replaced = L"棋谱加载成功，当前游戏已被替换为加载的棋谱";
  EXPECT_EQ(program->title(), L"Velmora - " + replaced);
  EXPECT_TRUE(events.waitForName(replaced));
  EXPECT_NE(answer(L"棋谱信息", IDOK).find(L"共 2 手棋"), std::wstring::npos);
  answer(L"棋谱加载完成", IDYES);
  EXPECT_TRUE(program->waitForTitle([](const std::wstring& t) { return t.find(L"复盘") != std::wstring::npos; })
                  .find(L"复盘") != std::wstring::npos);

  // Step through it, leave the review and play on from its last position.
  const auto startsWith = [this](const std::wstring& prefix) {
    return program->waitForTitle([&](const std::wstring& t) { return t.rfind(L"Velmora - " + prefix, 0) == 0; })
               .rfind(L"Velmora - " + prefix, 0) == 0;
  };
  program->postKey(VK_PRIOR);
  EXPECT_TRUE(startsWith(L"第1步，"));
  program->postKey(VK_NEXT);
  EXPECT_TRUE(startsWith(L"第2步，"));
  program->postKey(VK_ESCAPE);
  // The end of the review and the mode popup's notice are said as one.
  EXPECT_TRUE(titleIs(L"退出复盘模式，棋谱已加载，红方: 甲，黑方: 乙。请选择对战模式"));
  playOnAsTwoPlayers();
  command(203);  // the record's second move is taken back and its first spoken again
  EXPECT_TRUE(titleIs(L"红炮2平5"));
}

TEST_F(SessionsTest, XqfRecordOpensForReview) {
  install->copyIn(std::filesystem::path(Tavrune::Test::sharedDir()) / "samples" / "xqf" / "ee-v18-xqfexama.xqf", "对局.xqf");
  command(101);
  ASSERT_TRUE(chooseFile(L"打开棋谱文件", install->file("对局.xqf")));
  EXPECT_NE(answer(L"棋谱信息", IDOK).find(L"手棋"), std::wstring::npos);
  answer(L"棋谱加载完成", IDYES);
  EXPECT_NE(program->waitForTitle([](const std::wstring& t) { return t.find(L"复盘") != std::wstring::npos; })
                .find(L"复盘"),
            std::wstring::npos);
}

TEST_F(SessionsTest, CancelInTheSideBoxStartsNothing) {
  command(201);
  answer(L"人机对战 - 选择执棋方", IDCANCEL);
  EXPECT_TRUE(titleIs(L"取消游戏"));
  command(209);  // nothing started, nothing stopped
  EXPECT_TRUE(titleIs(L"当前没有进行中的对局"));
}

}  // namespace
}  // namespace Tavrune::E2E
