// The LAN start's dialogs opened in this process and answered as a user would, from a
// helper thread: what each gives back, and what the next opening offers again.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/DialogWatcher.h"
#include "lan/LanDialogs.h"
#include "lan/LanRoomList.h"

namespace Tavrune {
namespace {

using Test::DialogWatcher;

TEST(LanSetupDialog, GivesTheNicknameCutAndTheSideOnlyWhenConfirmed) {
  struct Case {
    const char* name;
    std::wstring typed;  // empty: leave the offered text
    int radio;           // 0: leave the offered side
    int button;
    std::wstring nickname;
    int32_t side;
    bool confirmed;
  };
  const std::wstring longName(70, L'名');
  const Case cases[] = {
      {"cancel changes nothing", L"Other", LanDialogs::ID_SIDE_BLACK, IDCANCEL, L"老王", 1, false},
      {"offered values kept", L"", 0, IDOK, L"老王", 1, true},
      {"cut at 63", longName, LanDialogs::ID_SIDE_BLACK, IDOK, std::wstring(63, L'名'), 2, true},
      {"random chosen", L"小李", LanDialogs::ID_SIDE_RANDOM, IDOK, L"小李", 0, true},
  };
  for (const Case& c : cases) {
    LanDialogs::SetupData data{L"老王", 1, false};
    std::wstring offered;
    bool redOffered = false;
    DialogWatcher watcher(L"局域网对战设置", [&](HWND dialog) {
      offered = DialogWatcher::controlText(dialog, LanDialogs::ID_NICKNAME);
      redOffered = IsDlgButtonChecked(dialog, LanDialogs::ID_SIDE_RED) == BST_CHECKED;
      if (!c.typed.empty()) DialogWatcher::setControlText(dialog, LanDialogs::ID_NICKNAME, c.typed);
      if (c.radio != 0) {
        CheckRadioButton(dialog, LanDialogs::ID_SIDE_RANDOM, LanDialogs::ID_SIDE_BLACK, c.radio);
      }
      DialogWatcher::press(dialog, c.button);
    });
    const INT_PTR result = LanDialogs::runSetup(nullptr, data);
    ASSERT_TRUE(watcher.wait()) << c.name;
    EXPECT_EQ(offered, L"老王") << c.name;
    EXPECT_TRUE(redOffered) << c.name;
    EXPECT_EQ(result, c.button) << c.name;
    EXPECT_EQ(data.confirmed, c.confirmed) << c.name;
    EXPECT_EQ(data.nickname, c.nickname) << c.name;
    EXPECT_EQ(data.sideChoice, c.side) << c.name;
  }
}

TEST(LanConnectDialog, OutOfRangePortsConnectToTheGamePortAndTheLastChoiceComesBack) {
  struct Case {
    std::wstring port;
    int32_t expected;
  };
  const Case cases[] = {{L"", 8888}, {L"0", 8888}, {L"65536", 8888}, {L"9000", 9000}, {L"65535", 65535}};
  std::wstring offeredAddress;
  std::wstring offeredPort;
  for (const Case& c : cases) {
    LanDialogs::ConnectData data;
    DialogWatcher watcher(L"连接到对手", [&](HWND dialog) {
      offeredAddress = DialogWatcher::controlText(dialog, LanDialogs::ID_ADDRESS);
      offeredPort = DialogWatcher::controlText(dialog, LanDialogs::ID_PORT);
      DialogWatcher::setControlText(dialog, LanDialogs::ID_ADDRESS, L"10.0.0.7");
      DialogWatcher::setControlText(dialog, LanDialogs::ID_PORT, c.port);
      DialogWatcher::press(dialog, IDOK);
    });
    EXPECT_EQ(LanDialogs::runConnect(nullptr, data), IDOK);
    ASSERT_TRUE(watcher.wait());
    EXPECT_TRUE(data.confirmed);
    EXPECT_EQ(LanDialogs::lastPort(), c.expected) << c.port;
    EXPECT_EQ(LanDialogs::lastAddress(), L"10.0.0.7");
  }
  EXPECT_EQ(offeredAddress, L"10.0.0.7");
  EXPECT_EQ(offeredPort, L"9000");  // the previous case's

  // Cancel keeps what was confirmed last.
  LanDialogs::ConnectData cancelled;
  DialogWatcher watcher(L"连接到对手", [&](HWND dialog) {
    DialogWatcher::setControlText(dialog, LanDialogs::ID_PORT, L"1234");
    DialogWatcher::press(dialog, IDCANCEL);
  });
  EXPECT_EQ(LanDialogs::runConnect(nullptr, cancelled), IDCANCEL);
  ASSERT_TRUE(watcher.wait());
  EXPECT_FALSE(cancelled.confirmed);
  EXPECT_EQ(LanDialogs::lastPort(), 65535);
}

TEST(LanWaitingDialog, ClosesAtTheNextTickOnceTheOpponentIsThereAndCancelGivesUp) {
  // An opponent who joins while the dialog is open is seen at the next tick, half a second
  // later at most (with room for a slow machine), and that tick closes the dialog.
  std::atomic<bool> arrived{false};
  std::chrono::steady_clock::time_point arrivedAt;
  std::chrono::steady_clock::time_point seenAt;
  int cancels = 0;
  LanDialogs::WaitingData data{L"正在等待",
                               [&] {
                                 if (!arrived) return false;
                                 seenAt = std::chrono::steady_clock::now();
                                 return true;
                               },
                               [&] { ++cancels; }};
  std::wstring button;
  DialogWatcher watcher(L"等待连接", [&](HWND dialog) {
    button = DialogWatcher::controlText(dialog, IDCANCEL);
    arrivedAt = std::chrono::steady_clock::now();
    arrived = true;
  });
  EXPECT_EQ(LanDialogs::runWaiting(nullptr, data), IDOK);
  ASSERT_TRUE(watcher.wait());
  EXPECT_LT(seenAt - arrivedAt, std::chrono::milliseconds(900));
  EXPECT_EQ(button, L"取消等待(&C)");
  EXPECT_TRUE(data.connected);
  EXPECT_FALSE(data.cancelled);
  EXPECT_EQ(cancels, 0);

  LanDialogs::WaitingData waiting{L"正在等待", [] { return false; }, [&] { ++cancels; }};
  DialogWatcher cancel(L"等待连接", [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
  EXPECT_EQ(LanDialogs::runWaiting(nullptr, waiting), IDCANCEL);
  ASSERT_TRUE(cancel.wait());
  EXPECT_TRUE(waiting.cancelled);
  EXPECT_FALSE(waiting.connected);
  EXPECT_EQ(cancels, 1);
}

TEST(LanRoomSearchDialog, ListsEachRoomOnceAndConnectsOnlyWithALineSelected) {
  LanRoomList rooms;
  std::atomic<bool> stop{false};
  // Replies keep coming from the discovery thread while the dialog reads the list.
  std::thread discovery([&] {
    while (!stop) {
      rooms.add("老王", "192.168.1.5", 8888);
      rooms.add("老王的第二局", "192.168.1.5", 8890);
      Sleep(5);
    }
  });
  LanDialogs::RoomSearchData data{&rooms};
  std::vector<std::wstring> lines;
  bool enabledWithoutSelection = true;
  bool stayedOpen = false;
  bool enabledWithSelection = false;
  DialogWatcher watcher(L"搜索房间", [&](HWND dialog) {
    Sleep(1200);  // two refreshes
    lines = DialogWatcher::listLines(dialog, LanDialogs::ID_ROOM_LIST);
    enabledWithoutSelection = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
    SendDlgItemMessageW(dialog, LanDialogs::ID_ROOM_LIST, LB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(LanDialogs::ID_ROOM_LIST, LBN_SELCHANGE), 0);
    Sleep(700);  // a refresh keeps the selection
    enabledWithSelection = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    DialogWatcher::press(dialog, IDOK);
  });
  const INT_PTR result = LanDialogs::runRoomSearch(nullptr, data);
  stop = true;
  discovery.join();
  ASSERT_TRUE(watcher.wait());
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"老王 (192.168.1.5)", L"老王的第二局 (192.168.1.5)"}));
  EXPECT_FALSE(enabledWithoutSelection);
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(enabledWithSelection);
  EXPECT_EQ(result, LanDialogs::ROOM_RESULT_BASE + 1);
  EXPECT_FALSE(data.closed);
}

// A list box emptied and refilled is read again by a screen reader: ticks with the same
// rooms leave its lines (and their item data) alone, a new room is added below, and the
// selected room stays selected.
TEST(LanRoomSearchDialog, TicksChangeTheListOnlyWhenARoomIsNew) {
  LanRoomList rooms;
  rooms.add("老王", "192.168.1.5", 8888);
  LanDialogs::RoomSearchData data{&rooms};
  std::vector<LRESULT> seen;  // the first line's mark, the second's, the count, the selection
  DialogWatcher watcher(L"搜索房间", [&](HWND dialog) {
    const auto list = [&](UINT message, WPARAM wParam, LPARAM lParam = 0) {
      return SendDlgItemMessageW(dialog, LanDialogs::ID_ROOM_LIST, message, wParam, lParam);
    };
    const auto tick = [&] { SendMessageW(dialog, WM_TIMER, LanDialogs::REFRESH_TIMER, 0); };
    tick();
    list(LB_SETITEMDATA, 0, 7);
    list(LB_SETCURSEL, 0);
    tick();
    tick();
    rooms.add("小李", "192.168.1.6", 8888);
    tick();
    seen = {list(LB_GETITEMDATA, 0), list(LB_GETITEMDATA, 1), list(LB_GETCOUNT, 0), list(LB_GETCURSEL, 0)};
    DialogWatcher::press(dialog, IDCANCEL);
  });
  LanDialogs::runRoomSearch(nullptr, data);
  ASSERT_TRUE(watcher.wait());
  EXPECT_EQ(seen, (std::vector<LRESULT>{7, 0, 2, 0}));
}

TEST(LanRoomSearchDialog, CancelMarksTheSearchClosed) {
  LanRoomList rooms;
  LanDialogs::RoomSearchData data{&rooms};
  DialogWatcher watcher(L"搜索房间", [](HWND dialog) { DialogWatcher::press(dialog, IDCANCEL); });
  EXPECT_EQ(LanDialogs::runRoomSearch(nullptr, data), IDCANCEL);
  ASSERT_TRUE(watcher.wait());
  EXPECT_TRUE(data.closed);
  EXPECT_FALSE(rooms.found());
}

TEST(LanRoomList, HoldsAtMostItsLimitAndForgetsOnClear) {
  LanRoomList rooms;
  for (int port = 1; port <= 100; ++port) rooms.add("r", "10.0.0.1", port);
  EXPECT_EQ(rooms.rooms().size(), LanRoomList::MAX_ROOMS);
  EXPECT_TRUE(rooms.found());
  rooms.clear();
  EXPECT_TRUE(rooms.rooms().empty());
  EXPECT_FALSE(rooms.found());
}

}  // namespace
}  // namespace Tavrune
