// Two real programs play each other over the network: one hosts, the other connects by
// address through a relay in this process, which can cut the link. Both are driven from
// outside as their users would (menu commands, dialogs, arrow keys and Enter) and each is
// heard through its window title. The host binds the game port and broadcasts its room,
// so this program runs in a network namespace of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>
#include <memory>
#include <string>

#include "app/DialogWatcher.h"
#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "lan/FaultyRelay.h"
#include "lan/LanDialogs.h"
#include "lan/Network.h"

namespace Tavrune::E2E {
namespace {

const wchar_t kWindowClass[] = L"TavruneWindow";
constexpr int kLanCommand = 202;
constexpr int kUndoCommand = 203;
constexpr int kDrawCommand = 207;
constexpr int kResignCommand = 208;
constexpr int kStep = 15000;

class Player {
 public:
  explicit Player(const std::string& tag) : install(tag), program(install.program(), L"--portable") {
    window = program.waitForWindow(kWindowClass);
    // Past the start-up notices.
    program.waitForTitle([](const std::wstring& title) { return title.find(L"神经网络") != std::wstring::npos; });
  }

  void command(int id) const { PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  bool hears(const std::wstring& text, int timeoutMs = kStep) const {
    const std::wstring last = program.waitForTitle(
        [&](const std::wstring& title) { return title.find(text) != std::wstring::npos; }, timeoutMs);
    return last.find(text) != std::wstring::npos;
  }
  void keys(std::initializer_list<UINT> virtualKeys) const {
    for (UINT key : virtualKeys) {
      program.postKey(key);
      Sleep(60);
    }
  }
  // The set-up dialog filled and confirmed: the nickname and the side radio button.
  bool setUp(const std::wstring& nickname, int sideButton) const {
    HWND dialog = program.waitForDialog(L"局域网对战设置", kStep, LanDialogs::ID_NICKNAME);
    if (!dialog) return false;
    SendMessageW(GetDlgItem(dialog, LanDialogs::ID_NICKNAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(nickname.c_str()));
    SendMessageW(GetDlgItem(dialog, sideButton), BM_CLICK, 0, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  }

  PortableInstall install;
  RunningProgram program;
  HWND window = nullptr;
};

// The host picks Red and opens a room; true once it waits.
bool hostRoom(const Player& host) {
  host.command(kLanCommand);
  return host.setUp(L"小明", LanDialogs::ID_SIDE_RED) && host.program.answerBox(L"局域网对战", IDYES, kStep) &&
         host.program.waitForDialog(L"等待连接", kStep) != nullptr;
}

// The guest types the address and port in the direct connect.
bool connectByAddress(const Player& guest, int port) {
  guest.command(kLanCommand);
  if (!guest.setUp(L"小红", LanDialogs::ID_SIDE_RANDOM) || !guest.program.answerBox(L"局域网对战", IDCANCEL, kStep)) {
    return false;
  }
  HWND connect = guest.program.waitForDialog(L"连接到对手", kStep, LanDialogs::ID_PORT);
  if (!connect) return false;
  const std::wstring portText = std::to_wstring(port);
  SendMessageW(GetDlgItem(connect, LanDialogs::ID_ADDRESS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"127.0.0.1"));
  SendMessageW(GetDlgItem(connect, LanDialogs::ID_PORT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(portText.c_str()));
  PostMessageW(connect, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

bool bothReady(const Player& host, const Player& guest) {
  const bool hostReady = host.hears(L"对手 小红 已连接，你执红方");
  return guest.hears(L"对手 小明 已连接，你执黑方") && hostReady;
}

TEST(LanGameTest, TwoProgramsPlayThroughARelayThatCutsThemAndTheyGoOn) {
  Player host("lan-host");
  Player guest("lan-guest");
  ASSERT_NE(host.window, nullptr);
  ASSERT_NE(guest.window, nullptr);

  ASSERT_TRUE(hostRoom(host));
  Tavrune::Test::FaultyRelay relay(Network::DEFAULT_GAME_PORT);
  ASSERT_TRUE(connectByAddress(guest, relay.port()));
  EXPECT_TRUE(bothReady(host, guest));
  // The guest came through the relay, or cutting it would cut nothing.
  ASSERT_GE(relay.linksAccepted(), 1);

  // The waiting dialog closed itself once the guest came.
  bool waitingClosed = false;
  for (int waited = 0; waited < kStep && !waitingClosed; waited += 100) {
    waitingClosed = host.program.findDialog(L"等待连接") == nullptr;
    Sleep(100);
  }
  EXPECT_TRUE(waitingClosed);

  // Red's cannon from (7, 7) to (4, 7), by keys from the cursor on the king's file.
  host.keys({VK_UP, VK_UP, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN, VK_LEFT, VK_LEFT, VK_LEFT, VK_RETURN});
  EXPECT_TRUE(host.hears(L"红炮2平5"));
  EXPECT_TRUE(guest.hears(L"红炮2平5"));

  // The guest offers a draw; the host refuses.
  guest.command(kDrawCommand);
  EXPECT_TRUE(host.program.answerBox(L"和棋请求", IDNO, kStep));
  EXPECT_TRUE(host.hears(L"已拒绝和棋请求"));
  EXPECT_TRUE(guest.hears(L"对方拒绝和棋请求"));
  EXPECT_TRUE(guest.program.answerBox(L"和棋被拒绝", IDOK, kStep));

  // The network breaks; both wait, the guest comes back and play goes on.
  relay.cut();
  EXPECT_TRUE(host.program.answerBox(L"连接中断", IDYES, kStep));
  EXPECT_TRUE(guest.program.answerBox(L"连接中断", IDYES, kStep));
  EXPECT_TRUE(host.hears(L"对手已重连，正在同步棋局", 30000));
  EXPECT_TRUE(guest.hears(L"已重连，正在同步棋局", 30000));

  // Black's knight from (7, 0) to (6, 2): the guest's board is turned (its left is the
  // higher file, its up the higher row) and its cursor starts on its king's file at (4, 0).
  guest.keys({VK_LEFT, VK_LEFT, VK_LEFT, VK_RETURN, VK_UP, VK_UP, VK_RIGHT, VK_RETURN});
  EXPECT_TRUE(host.hears(L"马8进7"));

  // The host takes its move back; the guest agrees and both boards are back at the start,
  // where the cannon plays again.
  host.command(kUndoCommand);
  EXPECT_TRUE(guest.program.answerBox(L"悔棋请求", IDYES, kStep));
  EXPECT_TRUE(guest.hears(L"同意悔棋，双方各退一步"));
  EXPECT_TRUE(host.hears(L"对方同意悔棋，双方各退一步"));
  host.keys({VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN, VK_LEFT, VK_LEFT, VK_LEFT, VK_RETURN});
  EXPECT_TRUE(host.hears(L"红炮2平5"));
  EXPECT_TRUE(guest.hears(L"红炮2平5"));

  // The guest resigns; the host is told it won.
  guest.command(kResignCommand);
  EXPECT_TRUE(guest.program.answerBox(L"确认认输", IDYES, kStep));
  EXPECT_TRUE(guest.hears(L"你已认输，对局结束"));
  HWND won = host.program.waitForDialog(L"游戏结束", kStep);
  ASSERT_NE(won, nullptr);
  const std::vector<std::wstring> texts = RunningProgram::childTexts(won);
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"对方认输，你赢了！"), texts.end());
  PostMessageW(won, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(LanGameTest, ASilentLinkIsReportedUnstableThenLostOnBothSides) {
  Player host("lan-silent-host");
  Player guest("lan-silent-guest");
  ASSERT_TRUE(hostRoom(host));
  Tavrune::Test::FaultyRelay relay(Network::DEFAULT_GAME_PORT);
  ASSERT_TRUE(connectByAddress(guest, relay.port()));
  ASSERT_TRUE(bothReady(host, guest));
  ASSERT_GE(relay.linksAccepted(), 1);

  relay.stall(true);
  const auto stalled = std::chrono::steady_clock::now();
  EXPECT_TRUE(host.hears(L"对方连接不稳定", 14000));
  EXPECT_TRUE(guest.hears(L"对方连接不稳定", 14000));
  EXPECT_GE(std::chrono::steady_clock::now() - stalled, std::chrono::seconds(8));
  EXPECT_TRUE(host.program.answerBox(L"连接中断", IDNO, 12000));
  EXPECT_TRUE(guest.program.answerBox(L"连接中断", IDNO, 12000));
  EXPECT_GE(std::chrono::steady_clock::now() - stalled, std::chrono::seconds(13));
  EXPECT_TRUE(host.hears(L"网络连接已断开"));
  EXPECT_TRUE(guest.hears(L"网络连接已断开"));
  EXPECT_TRUE(host.program.answerBox(L"连接断开", IDOK, kStep));
  EXPECT_TRUE(guest.program.answerBox(L"连接断开", IDOK, kStep));
}

TEST(LanGameTest, TheRoomSearchListsTheHostOnceAndJoinsItsLine) {
  Player host("lan-search-host");
  Player guest("lan-search-guest");
  ASSERT_TRUE(hostRoom(host));

  guest.command(kLanCommand);
  ASSERT_TRUE(guest.setUp(L"小红", LanDialogs::ID_SIDE_RANDOM));
  ASSERT_TRUE(guest.program.answerBox(L"局域网对战", IDNO, kStep));
  HWND search = guest.program.waitForDialog(L"搜索房间", kStep, LanDialogs::ID_ROOM_LIST);
  ASSERT_NE(search, nullptr);
  HWND list = GetDlgItem(search, LanDialogs::ID_ROOM_LIST);
  auto lines = [&] { return Tavrune::Test::DialogWatcher::listLines(search, LanDialogs::ID_ROOM_LIST); };
  for (int waited = 0; waited < kStep && lines().empty(); waited += 200) Sleep(200);
  Sleep(3500);  // replies keep coming, every 1.5 s
  EXPECT_EQ(lines(), std::vector<std::wstring>{L"小明 (127.0.0.1)"});
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(search, IDOK)));

  SendMessageW(list, LB_SETCURSEL, 0, 0);
  SendMessageW(search, WM_COMMAND, MAKEWPARAM(LanDialogs::ID_ROOM_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(search, IDOK)));
  PostMessageW(search, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(bothReady(host, guest));
}

}  // namespace
}  // namespace Tavrune::E2E
