// A LAN game in the real window of this process against a scripted peer on a plain
// socket: the window hosts on the game port (so this program runs in a network namespace
// of its own), boxes are answered from helper threads, and what is heard is every title
// the window is given, in order.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <memory>
#include <thread>

#include "app/DialogWatcher.h"
#include "app/LanUiEvent.h"
#include "app/OpeningMoves.h"
#include "app/PostedPayload.h"
#include "app/ProgramMessages.h"
#include "app/WindowTestRig.h"
#include "core/TextConversion.h"
#include "game/GameEngine.h"
#include "lan/LANGameController.h"
#include "lan/LanDialogs.h"
#include "lan/LanProtocol.h"
#include "lan/Network.h"
#include "lan/LanPeer.h"
#include "lan/LoopbackSockets.h"
#include "lan/ScriptedPeer.h"
#include "lan/SilentAddress.h"

namespace Tavrune {
namespace {

using Test::DialogWatcher;
using Test::ScriptedPeer;
using Test::WindowTestRig;

constexpr int kLong = 20000;

// Every title the window is given, as a screen reader hears each notice.
class HeardNotices {
 public:
  explicit HeardNotices(HWND window) : window_(window) { SetWindowSubclass(window, &record, 1, reinterpret_cast<DWORD_PTR>(this)); }
  ~HeardNotices() { RemoveWindowSubclass(window_, &record, 1); }

  // Each text, in this order, somewhere in what was heard (joined notices included).
  bool inOrder(const std::vector<std::wstring>& texts) const {
    std::wstring all;
    for (const std::wstring& title : titles_) all += title + L"\n";
    size_t at = 0;
    for (const std::wstring& text : texts) {
      at = all.find(text, at);
      if (at == std::wstring::npos) return false;
      at += text.size();
    }
    return true;
  }
  bool has(const std::wstring& text) const { return inOrder({text}); }
  int count(const std::wstring& text) const {
    int found = 0;
    for (const std::wstring& title : titles_) {
      for (size_t at = title.find(text); at != std::wstring::npos; at = title.find(text, at + text.size())) ++found;
    }
    return found;
  }
  void clear() { titles_.clear(); }
  std::wstring all() const {
    std::wstring joined;
    for (const std::wstring& title : titles_) joined += title + L" | ";
    return joined;
  }

 private:
  static LRESULT CALLBACK record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    if (message == WM_SETTEXT && lParam) reinterpret_cast<HeardNotices*>(self)->titles_.push_back(reinterpret_cast<const wchar_t*>(lParam));
    return DefSubclassProc(window, message, wParam, lParam);
  }

  HWND window_;
  std::vector<std::wstring> titles_;
};

// The peer's heartbeat, every second while it lives: a scripted peer is otherwise silent,
// and a silent peer is lost after a quarter of a minute.
class KeepAlive {
 public:
  explicit KeepAlive(ScriptedPeer& peer)
      : thread_([this, &peer] {
          while (!stop_) {
            peer.send(LanProtocol::makeHeartbeat());
            for (int i = 0; i < 10 && !stop_; ++i) Sleep(100);
          }
        }) {}
  ~KeepAlive() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::string line(const std::string& wire) { return wire.substr(0, wire.find('\n')); }

// Dialogs and message boxes of this process on the screen now.
int dialogsShown() {
  int shown = 0;
  for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr));) {
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    shown += process == GetCurrentProcessId() && IsWindowVisible(box);
  }
  return shown;
}

class LanWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { fresh(); }

  // A new window, as a new run of the program.
  void fresh() {
    heard.reset();
    rig_.reset();
    rig_ = std::make_unique<WindowTestRig>();
    ASSERT_TRUE(rig_->create());
    heard = std::make_unique<HeardNotices>(window());
  }

  WindowTestRig& rig() { return *rig_; }
  HWND window() { return rig().window().handle(); }
  GameEngine& game() { return rig().window().game(); }
  LANSessionState lanState() { return rig().window().lanSession()->getState(); }
  void command(int id) { SendMessageW(window(), WM_COMMAND, id, 0); }
  bool hear(const std::wstring& text, int timeoutMs = kLong) {
    return rig().pumpUntil([&] { return heard->has(text); }, timeoutMs);
  }
  // A line the peer received that begins with `wire`'s line.
  bool peerGot(ScriptedPeer& peer, const std::string& wire) {
    return rig().pumpUntil([&] {
      for (const std::string& got : peer.received()) {
        if (got.rfind(line(wire), 0) == 0) return true;
      }
      return false;
    }, kLong);
  }
  // A click on the board point, as the user's mouse gives it.
  void click(Position point) {
    const bool flipped = rig().window().isBoardFlipped();
    const int file = flipped ? 8 - point.x : point.x;
    const int row = flipped ? 9 - point.y : point.y;
    SendMessageW(window(), WM_LBUTTONDOWN, 0, MAKELPARAM(10 + file * 60 + 30, 40 + row * 60 + 30));
  }
  bool lanTimerWasRunning() { return KillTimer(window(), TIMER_LAN_POLL) != FALSE; }

  // The LAN game command as a player who hosts and takes Red; the peer joins as "老王".
  void hostGame(ScriptedPeer& peer) {
    DialogWatcher setup(L"局域网对战设置", [](HWND dialog) {
      DialogWatcher::setControlText(dialog, LanDialogs::ID_NICKNAME, L"小明");
      CheckRadioButton(dialog, LanDialogs::ID_SIDE_RANDOM, LanDialogs::ID_SIDE_BLACK, LanDialogs::ID_SIDE_RED);
      DialogWatcher::press(dialog, IDOK);
    }, kLong);
    DialogWatcher way(L"局域网对战", [](HWND box) { DialogWatcher::press(box, IDYES); }, kLong);
    std::wstring waitingText;
    DialogWatcher waiting(L"等待连接", [&](HWND dialog) {
      wchar_t shown[300] = {};
      GetWindowTextW(FindWindowExW(dialog, nullptr, L"Static", nullptr), shown, 300);
      waitingText = shown;
      {
        // A connection that closes unannounced leaves the room waiting.
        ScriptedPeer stray;
        ASSERT_TRUE(stray.connectTo(Network::DEFAULT_GAME_PORT));
      }
      ASSERT_TRUE(peer.connectTo(Network::DEFAULT_GAME_PORT));
      peer.send(LanProtocol::makeHello("老王", "random"));
    }, kLong);
    command(202);  // returns once the waiting dialog has closed itself
    ASSERT_TRUE(setup.wait() && way.wait() && waiting.wait());
    const std::wstring address = utf8ToWide(Network().getLocalIPAddress());
    EXPECT_NE(waitingText.find(L"本地IP地址: " + address + L"\n端口: 8888"), std::wstring::npos)
        << ::testing::PrintToString(waitingText);
    ASSERT_TRUE(hear(L"对手 老王 已连接，你执红方")) << ::testing::PrintToString(heard->all());
    EXPECT_TRUE(peerGot(peer, LanProtocol::makeHelloAck("小明", "black")));
  }

  // The LAN game command, connecting by address to this loopback port; Yes to its
  // confirmation with this caption first, when given.
  void connectByAddress(int port, const wchar_t* confirmation = nullptr) {
    DialogWatcher confirm(confirmation ? confirmation : L"", [](HWND box) { DialogWatcher::press(box, IDYES); },
                          confirmation ? kLong : 0);
    DialogWatcher setup(L"局域网对战设置", [](HWND dialog) { DialogWatcher::press(dialog, IDOK); }, kLong);
    DialogWatcher way(L"局域网对战", [](HWND box) { DialogWatcher::press(box, IDCANCEL); }, kLong);
    DialogWatcher address(L"连接到对手", [port](HWND dialog) {
      DialogWatcher::setControlText(dialog, LanDialogs::ID_ADDRESS, L"127.0.0.1");
      DialogWatcher::setControlText(dialog, LanDialogs::ID_PORT, std::to_wstring(port));
      DialogWatcher::press(dialog, IDOK);
    }, kLong);
    command(202);
    EXPECT_TRUE(setup.wait() && way.wait() && address.wait());
    EXPECT_EQ(confirm.wait(), confirmation != nullptr);
  }

  std::unique_ptr<WindowTestRig> rig_;
  std::unique_ptr<HeardNotices> heard;
};

TEST_F(LanWindowTest, HostedGameSpeaksEveryEventAndAnswersThePeer) {
  ScriptedPeer peer;
  hostGame(peer);
  KeepAlive alive(peer);
  EXPECT_TRUE(heard->inOrder({L"房间已创建，等待对手连接...", L"网络连接成功", L"对手 老王 已连接，你执红方"}))
      << ::testing::PrintToString(heard->all());
  EXPECT_FALSE(heard->has(L"中断")) << ::testing::PrintToString(heard->all());
  EXPECT_EQ(rig().window().playerColor(), RED);
  EXPECT_FALSE(rig().window().isBoardFlipped());

  // The local move reaches the peer; the peer's move is played, acknowledged and followed
  // by the second cursor.
  click(Tavrune::Test::kRedCannon.from);
  click(Tavrune::Test::kRedCannon.to);
  ASSERT_TRUE(peerGot(peer, "MOVE:1:7,7,4,7,"));
  peer.send(LanProtocol::makeMoveAck(1, true, ""));
  peer.send(LanProtocol::makeMove(2, Tavrune::Test::kBlackKnight));
  ASSERT_TRUE(peerGot(peer, LanProtocol::makeMoveAck(2, true, "")));
  ASSERT_TRUE(rig().pumpUntil([&] { return rig().window().secondCursor() == Tavrune::Test::kBlackKnight.to; }));
  EXPECT_EQ(game().getMoveHistory().size(), 2u);

  // The peer's offers, each sent again and again before an answer: one box at a time, the
  // draw refused, then the undo agreed.
  int boxesWithTheDraw = 0;
  DialogWatcher drawOffer(L"和棋请求", [&](HWND box) {
    // Once this answer is back, the window has taken in all the peer sent before it.
    const size_t syncs = peer.receivedWithKey("SYNC").size();
    peer.send(LanProtocol::makeSyncRequest(2));
    for (int waited = 0; waited < kLong && peer.receivedWithKey("SYNC").size() == syncs; waited += 20) Sleep(20);
    boxesWithTheDraw = dialogsShown();
    DialogWatcher::press(box, IDNO);
  }, kLong);
  DialogWatcher undoRequest(L"悔棋请求", [](HWND box) { DialogWatcher::press(box, IDYES); }, kLong);
  std::string requests;
  for (int i = 0; i < 8; ++i) requests += LanProtocol::makeDrawRequest() + LanProtocol::makeUndoRequest();
  peer.send(requests);
  EXPECT_TRUE(peerGot(peer, LanProtocol::makeUndoAck(true)));
  EXPECT_TRUE(drawOffer.wait());
  EXPECT_TRUE(undoRequest.wait());
  EXPECT_EQ(boxesWithTheDraw, 1);
  EXPECT_TRUE(heard->inOrder({L"已拒绝和棋请求", L"同意悔棋，双方各退一步"})) << ::testing::PrintToString(heard->all());
  EXPECT_EQ(peer.receivedWithKey("DRAW_ACK"), std::vector<std::string>{"DRAW_ACK:reject"});
  EXPECT_EQ(peer.receivedWithKey("UNDO_ACK"), std::vector<std::string>{"UNDO_ACK:accept"});
  EXPECT_TRUE(game().getMoveHistory().empty());

  // Our draw offer, refused by the peer.
  command(207);
  EXPECT_TRUE(hear(L"已发送和棋请求，等待对方回应..."));
  EXPECT_TRUE(peerGot(peer, LanProtocol::makeDrawRequest()));
  std::wstring refusal;
  DialogWatcher refused(L"和棋被拒绝", [&](HWND box) {
    refusal = DialogWatcher::messageBoxText(box);
    DialogWatcher::press(box, IDOK);
  }, kLong);
  peer.send(LanProtocol::makeDrawAck(false));
  EXPECT_TRUE(hear(L"对方拒绝和棋请求"));  // the box is answered while the window pumps
  EXPECT_TRUE(refused.wait());
  EXPECT_EQ(refusal, L"对方拒绝和棋");

  // A failed check of the position and a refused move are spoken; a code the window does
  // not know, or one whose record is missing, is not.
  PostMessageW(window(), WM_LAN_EVENT, 12, 0);
  EXPECT_TRUE(hear(L"棋局状态校验不一致，请注意"));
  PostedPayload<LanMoveRejectedEvent>::post(window(), WM_LAN_EVENT, 6,
                                            std::make_unique<LanMoveRejectedEvent>(LanMoveRejectedEvent{3, "illegal"}));
  EXPECT_TRUE(hear(L"走棋被拒绝"));
  heard->clear();
  for (WPARAM code : {6, 13, 99}) PostMessageW(window(), WM_LAN_EVENT, code, 0);
  rig().pumpFor(300);
  EXPECT_EQ(heard->all(), L"");

  // Resigning asks first, tells the peer and stops the session's timer.
  DialogWatcher resign(L"确认认输", [](HWND box) { DialogWatcher::press(box, IDYES); }, kLong);
  command(208);
  EXPECT_TRUE(resign.wait());
  EXPECT_TRUE(peerGot(peer, LanProtocol::makeResign()));
  EXPECT_TRUE(hear(L"你已认输，对局结束"));
  EXPECT_FALSE(lanTimerWasRunning());
  EXPECT_EQ(game().getGameState(), BLACK_WIN);
}

// The peer's open question, overtaken by the connection's end or by an agreement on a
// crossing offer, closes unanswered; the box that follows opens after it, never beside it.
TEST_F(LanWindowTest, AnOvertakenQuestionClosesUnansweredAndTheNextBoxFollowsIt) {
  for (const bool cut : {true, false}) {
    fresh();
    ScriptedPeer peer;
    hostGame(peer);
    KeepAlive alive(peer);
    int boxesWithTheNext = 0;
    DialogWatcher next(cut ? L"连接断开" : L"和棋", [&](HWND box) {
      boxesWithTheNext = dialogsShown();
      DialogWatcher::press(box, IDOK);
    }, kLong);
    DialogWatcher offer(L"和棋请求", [&](HWND) {
      if (cut) return peer.send(std::string(70 * 1024, 'x') + "\n");
      PostMessageW(window(), WM_COMMAND, 207, 0);  // the player offers a draw too, and the peer agrees
      for (int waited = 0; waited < kLong && peer.receivedWithKey("DRAW_REQ").empty(); waited += 20) Sleep(20);
      peer.send(LanProtocol::makeDrawAck(true));
    }, kLong);
    peer.send(LanProtocol::makeDrawRequest());
    EXPECT_TRUE(rig().pumpUntil([&] { return boxesWithTheNext > 0; }, kLong)) << cut;
    EXPECT_EQ(boxesWithTheNext, 1) << cut;
    EXPECT_TRUE(peer.receivedWithKey("DRAW_ACK").empty()) << cut;
    EXPECT_FALSE(heard->has(L"已拒绝和棋请求") || heard->has(L"当前无法")) << ::testing::PrintToString(heard->all());
  }
}

TEST_F(LanWindowTest, LocalMovesWaitWhileThePeerMayComeBackAndStopOnceTheSessionEnded) {
  auto peer = std::make_unique<ScriptedPeer>();
  hostGame(*peer);
  auto alive = std::make_unique<KeepAlive>(*peer);

  // The connection drops: the player waits for the peer, whose turn it is not.
  DialogWatcher lost(L"连接中断", [](HWND box) { DialogWatcher::press(box, IDYES); }, kLong);
  alive.reset();
  peer.reset();
  ASSERT_TRUE(hear(L"已进入等待重连模式"));
  EXPECT_TRUE(lost.wait());
  EXPECT_EQ(lanState(), LANSessionState::HOSTING);
  heard->clear();
  click(Tavrune::Test::kRedCannon.from);
  EXPECT_TRUE(hear(L"正在同步棋局，请稍候再走"));
  EXPECT_TRUE(game().getMoveHistory().empty());

  // The peer is back, then leaves for good: moves and keypad entry are refused.
  ScriptedPeer back;
  ASSERT_TRUE(back.connectTo(Network::DEFAULT_GAME_PORT));
  back.send(LanProtocol::makeHello("老王", "resume"));
  KeepAlive backAlive(back);
  EXPECT_TRUE(hear(L"对手已重连，正在同步棋局"));
  std::wstring lostText;
  DialogWatcher gone(L"连接断开", [&](HWND box) {
    lostText = DialogWatcher::messageBoxText(box);
    DialogWatcher::press(box, IDOK);
  }, kLong);
  back.send(LanProtocol::makeBye("manual_leave"));
  ASSERT_TRUE(hear(L"网络连接已断开"));
  EXPECT_TRUE(gone.wait());
  EXPECT_EQ(lostText, L"与对手的连接已断开");
  EXPECT_TRUE(heard->inOrder({L"对方主动离开(manual_leave)", L"网络连接已断开"})) << ::testing::PrintToString(heard->all());
  EXPECT_FALSE(lanTimerWasRunning());
  const struct {
    const char* name;
    std::function<void()> input;
  } refused[] = {
      {"click", [&] { click(Tavrune::Test::kRedCannon.from); }},
      {"keypad", [&] { SendMessageW(window(), WM_KEYDOWN, VK_NUMPAD6, 0); }},
  };
  for (const auto& input : refused) {
    heard->clear();
    input.input();
    EXPECT_TRUE(hear(L"网络连接已断开", 3000)) << input.name;
  }
  EXPECT_TRUE(game().getMoveHistory().empty());
}

TEST_F(LanWindowTest, CommandsThatReplaceTheGameLeaveTheRoomAndTheRefusingOnesKeepIt) {
  struct Case {
    const char* name;
    int command;
    const wchar_t* caption;  // nullptr: no box
    int answer;
    const wchar_t* text;  // nullptr: not read
    bool leaves;
    bool mated = false;  // the game is over, as a mate leaves it: the session still plays
  };
  const Case cases[] = {
      {"switch sides", 204, L"提示", IDOK, L"局域网对战中不支持切换执红/黑，请先结束当前对局", false},
      {"review", 205, L"提示", IDOK, L"当前局域网对战会话中暂不支持进入复盘，请先结束当前对局", false},
      {"load kept", 101, L"确认加载棋谱", IDNO, L"当前为局域网对战，加载棋谱将离开房间并替换当前对局，是否继续？", false},
      {"two players", 200, L"确认切换模式", IDYES, L"当前为局域网对战，切换模式将离开房间并结束当前对局，是否继续？", true},
      {"stop", 209, nullptr, 0, nullptr, true},
      // Left first: the peer's later leave is not heard in the new game.
      {"two players after a mate", 200, nullptr, 0, nullptr, true, true},
      {"LAN after a mate", 202, L"局域网对战设置", IDCANCEL, nullptr, true, true},
  };
  for (const Case& c : cases) {
    fresh();
    ScriptedPeer peer;
    hostGame(peer);
    KeepAlive alive(peer);
    if (c.mated) game().setGameState(RED_WIN);
    std::wstring text;
    std::unique_ptr<DialogWatcher> box;
    if (c.caption) {
      box = std::make_unique<DialogWatcher>(c.caption, [&](HWND dialog) {
        text = DialogWatcher::messageBoxText(dialog);
        DialogWatcher::press(dialog, c.answer);
      }, kLong);
    }
    command(c.command);
    if (box) {
      EXPECT_TRUE(box->wait()) << c.name;
      EXPECT_TRUE(!c.text || text == c.text) << c.name << ::testing::PrintToString(text);
    }
    if (c.leaves) {
      EXPECT_TRUE(peerGot(peer, LanProtocol::makeBye("manual_leave"))) << c.name;
      EXPECT_EQ(lanState(), LANSessionState::IDLE) << c.name;
      EXPECT_FALSE(lanTimerWasRunning()) << c.name;
    } else {
      EXPECT_EQ(lanState(), LANSessionState::PLAYING) << c.name;
      EXPECT_TRUE(lanTimerWasRunning()) << c.name;
    }
  }
}

// 新游戏 in a LAN game (asked first), or once its game is over, leaves the room for the
// LAN game start; cancelled there, it leaves no game on the board.
TEST_F(LanWindowTest, NewGameLeavesTheRoomForTheLanStartAndCancellingLeavesNoGame) {
  for (const bool mated : {false, true}) {
    fresh();
    ScriptedPeer peer;
    hostGame(peer);
    KeepAlive alive(peer);
    if (mated) game().setGameState(RED_WIN);  // as a mate leaves it: the session still plays
    DialogWatcher confirm(L"确认新游戏", [](HWND box) { DialogWatcher::press(box, IDYES); }, mated ? 0 : kLong);
    DialogWatcher setup(L"局域网对战设置", [](HWND dialog) { DialogWatcher::press(dialog, IDCANCEL); }, kLong);
    command(100);
    EXPECT_EQ(confirm.wait(), !mated);
    EXPECT_TRUE(setup.wait()) << mated;
    EXPECT_TRUE(peerGot(peer, LanProtocol::makeBye("manual_leave"))) << mated;
    EXPECT_EQ(lanState(), LANSessionState::IDLE) << mated;
    EXPECT_FALSE(lanTimerWasRunning()) << mated;
    SendMessageW(window(), WM_KEYDOWN, VK_NUMPAD6, 0);  // keypad notation entry
    EXPECT_TRUE(hear(L"当前未开始对局，请从游戏菜单选择模式", 3000)) << mated;
  }
}

// What the session cannot send now is not spoken as sent, and the session's timer runs on:
// before the first ply, and while the host waits for its peer to come back.
TEST_F(LanWindowTest, RefusedRequestsSayWhyAndKeepTheSessionsTimer) {
  auto peer = std::make_unique<ScriptedPeer>();
  hostGame(*peer);
  auto alive = std::make_unique<KeepAlive>(*peer);
  const auto refused = [&](int id, const wchar_t* reason) {
    heard->clear();
    DialogWatcher confirm(L"确认认输", [](HWND box) { DialogWatcher::press(box, IDYES); }, id == 208 ? kLong : 0);
    command(id);
    EXPECT_TRUE(hear(reason, 3000)) << id << ::testing::PrintToString(heard->all());
    EXPECT_FALSE(heard->has(L"已发送")) << id;
    EXPECT_TRUE(lanTimerWasRunning()) << id;
    SetTimer(window(), TIMER_LAN_POLL, 1000, nullptr);
  };
  refused(203, L"步数不足，无法悔棋");
  EXPECT_TRUE(peer->receivedWithKey("UNDO_REQ").empty());
  DialogWatcher lost(L"连接中断", [](HWND box) { DialogWatcher::press(box, IDYES); }, kLong);
  alive.reset();
  peer.reset();
  ASSERT_TRUE(hear(L"已进入等待重连模式"));
  refused(208, L"当前无法认输");
  refused(207, L"当前无法提出和棋");
  refused(203, L"当前无法悔棋");
}

TEST_F(LanWindowTest, AFailedRoomSaysSoAndTheLanStartWhileWaitingAsksFirst) {
  {
    Network holder;
    ASSERT_TRUE(holder.startServer(Network::DEFAULT_GAME_PORT));
    DialogWatcher setup(L"局域网对战设置", [](HWND dialog) { DialogWatcher::press(dialog, IDOK); }, kLong);
    DialogWatcher way(L"局域网对战", [](HWND box) { DialogWatcher::press(box, IDYES); }, kLong);
    std::wstring text;
    DialogWatcher failed(L"错误", [&](HWND box) {
      text = DialogWatcher::messageBoxText(box);
      DialogWatcher::press(box, IDOK);
    }, kLong);
    command(202);
    EXPECT_TRUE(failed.wait());
    EXPECT_EQ(text, L"创建房间失败，端口可能被占用");
    EXPECT_TRUE(hear(L"创建房间失败"));
    EXPECT_EQ(lanState(), LANSessionState::IDLE);
  }

  // Hosting, the waiting dialog cancelled: the room closes.
  DialogWatcher setup(L"局域网对战设置", [](HWND dialog) { DialogWatcher::press(dialog, IDOK); }, kLong);
  DialogWatcher way(L"局域网对战", [](HWND box) { DialogWatcher::press(box, IDYES); }, kLong);
  DialogWatcher waiting(L"等待连接", [](HWND dialog) { DialogWatcher::press(dialog, IDCANCEL); }, kLong);
  command(202);
  EXPECT_TRUE(waiting.wait());
  EXPECT_TRUE(hear(L"已取消等待，房间已关闭"));
  EXPECT_EQ(lanState(), LANSessionState::IDLE);
}

TEST_F(LanWindowTest, ADirectConnectRunsBesideTheWindowAndSaysWhenItFails) {
  // A host that does not answer: the command returns while the connect waits, and
  // stopping the game gives the connect up.
  {
    Tavrune::Test::SilentAddress silent;
    connectByAddress(silent.port());
    EXPECT_EQ(lanState(), LANSessionState::CONNECTING);
    command(209);
    EXPECT_EQ(lanState(), LANSessionState::IDLE);
    EXPECT_TRUE(hear(L"已取消连接"));
    EXPECT_TRUE(heard->inOrder({L"正在连接...", L"已取消连接"})) << ::testing::PrintToString(heard->all());
  }

  // Nobody on the port: said and shown as before.
  int closedPort = 0;
  Sockets::close(Tavrune::Test::listenLoopback(closedPort));
  std::wstring text;
  DialogWatcher failed(L"错误", [&](HWND box) {
    text = DialogWatcher::messageBoxText(box);
    DialogWatcher::press(box, IDOK);
  }, kLong);
  heard->clear();
  connectByAddress(closedPort);
  EXPECT_TRUE(rig().pumpUntil([&] { return !text.empty(); }, kLong));
  EXPECT_TRUE(failed.wait());
  EXPECT_EQ(text, L"连接失败，请检查 IP 地址和端口");
  EXPECT_TRUE(heard->inOrder({L"正在连接...", L"连接失败"})) << ::testing::PrintToString(heard->all());
  EXPECT_EQ(lanState(), LANSessionState::IDLE);
}

// 本地双人 and 人机对战 while a connect waits give it up and start; the connect's failure
// or game posted before changes nothing, and neither does its late success.
TEST_F(LanWindowTest, AModeChosenWhileAConnectWaitsGivesItUpAndKeepsItsGame) {
  for (const int mode : {200, 201}) {
    fresh();
    Tavrune::Test::SilentAddress silent;
    connectByAddress(silent.port());
    ASSERT_EQ(lanState(), LANSessionState::CONNECTING);
    PostMessageW(window(), WM_LAN_EVENT, static_cast<WPARAM>(LanUiEvent::ConnectFailed), 0);
    PostedPayload<LanGameReadyEvent>::post(window(), WM_LAN_EVENT, static_cast<WPARAM>(LanUiEvent::GameReady),
                                           std::make_unique<LanGameReadyEvent>(LanGameReadyEvent{BLACK, "老王"}));
    DialogWatcher side(L"人机对战 - 选择执棋方", [](HWND box) { DialogWatcher::press(box, IDYES); }, mode == 201 ? kLong : 0);
    command(mode);
    EXPECT_EQ(side.wait(), mode == 201);
    silent.letIn();
    rig().pumpFor(3500);  // past the connect's time-out
    EXPECT_TRUE(heard->inOrder({L"正在连接...", L"已取消连接"})) << ::testing::PrintToString(heard->all());
    EXPECT_FALSE(heard->has(L"连接失败") || heard->has(L"已连接")) << ::testing::PrintToString(heard->all());
    EXPECT_TRUE(rig().window().isGameInProgress()) << mode;
    EXPECT_EQ(lanState(), LANSessionState::IDLE);
  }
}

// With a game on the board and a host that answers late, a command that replaces the game
// gives the connect up before its box, which asks about the board's game alone; the host's
// answer, sent while the box is open, starts nothing. Resuming a stopped game gives it up
// before the game comes back.
TEST_F(LanWindowTest, ACommandWhileAConnectWaitsGivesItUpBeforeItAsksAnything) {
  const struct {
    int command;
    const wchar_t* box;  // nullptr: none
    int answer;
    const wchar_t* then;  // what follows Yes: cancelled when it is the LAN set-up, else Yes
    bool gameAfter;
  } cases[] = {
      {201, L"确认切换模式", IDYES, L"人机对战 - 选择执棋方", true},
      {101, L"确认加载棋谱", IDNO, nullptr, true},
      {100, L"确认新游戏", IDYES, L"局域网对战设置", false},
      {202, L"确认切换模式", IDNO, nullptr, true},
      {209, nullptr, 0, nullptr, true},
  };
  for (const auto& c : cases) {
    if (!rig().window().isGameInProgress()) command(200);
    if (c.command == 209) command(209);  // stopped, to be resumed
    ScriptedPeer host;  // takes the connection and answers HELLO only when told
    connectByAddress(host.listen(), c.command == 209 ? L"确认操作" : L"确认切换模式");
    ASSERT_TRUE(rig().pumpUntil([&] { return lanState() == LANSessionState::HANDSHAKING; })) << c.command;
    KillTimer(window(), TIMER_LAN_POLL);  // the handshake waits as long as the test needs
    heard->clear();
    LANSessionState atTheBox = LANSessionState::HANDSHAKING;
    DialogWatcher box(c.box ? c.box : L"", [&](HWND dialog) {
      atTheBox = lanState();
      host.send(LanProtocol::makeHelloAck("老王", "black"));
      DialogWatcher::press(dialog, c.answer);
    }, c.box ? kLong : 0);
    DialogWatcher then(c.then ? c.then : L"", [&](HWND dialog) {
      DialogWatcher::press(dialog, c.command == 100 ? IDCANCEL : IDYES);
    }, c.then ? kLong : 0);
    command(c.command);
    EXPECT_EQ(box.wait(), c.box != nullptr) << c.command;
    EXPECT_EQ(then.wait(), c.then != nullptr) << c.command;
    EXPECT_TRUE(!c.box || atTheBox == LANSessionState::IDLE) << c.command;
    EXPECT_TRUE(peerGot(host, LanProtocol::makeBye("manual_leave"))) << c.command;
    rig().pumpFor(500);
    EXPECT_EQ(heard->count(L"已取消连接"), 1) << c.command << ::testing::PrintToString(heard->all());
    EXPECT_FALSE(heard->has(L"已连接")) << c.command << ::testing::PrintToString(heard->all());
    EXPECT_TRUE(c.command != 209 || heard->inOrder({L"已取消连接", L"已恢复当前对局"}))
        << ::testing::PrintToString(heard->all());
    EXPECT_EQ(rig().window().isGameInProgress(), c.gameAfter) << c.command;
    EXPECT_EQ(lanState(), LANSessionState::IDLE) << c.command;
  }
}

// 新游戏 while the player's own connect waits for its handshake gives the connect up before
// the LAN set-up dialog, whether the dialog is then confirmed or cancelled; 停止对局 gives it
// up and says so. A handshake that never completes connected no one.
TEST_F(LanWindowTest, NewGameAndStopWhileAConnectWaitsDoWhatTheySay) {
  ScriptedPeer first;  // hosts that take the connection and never answer HELLO
  ScriptedPeer second;
  ScriptedPeer third;
  const int thirdPort = third.listen();
  for (const bool confirmed : {false, true}) {
    ScriptedPeer& host = confirmed ? second : first;
    connectByAddress(host.listen());
    ASSERT_TRUE(rig().pumpUntil([&] { return lanState() == LANSessionState::HANDSHAKING; })) << confirmed;
    ASSERT_TRUE(lanTimerWasRunning());  // stopped: the handshake waits as long as the test needs
    rig().pumpFor(300);
    EXPECT_FALSE(heard->has(L"网络连接成功")) << ::testing::PrintToString(heard->all());
    heard->clear();
    LANSessionState atTheSetup = LANSessionState::HANDSHAKING;
    DialogWatcher setup(L"局域网对战设置", [&](HWND dialog) {
      atTheSetup = lanState();
      DialogWatcher::press(dialog, confirmed ? IDOK : IDCANCEL);
    }, kLong);
    DialogWatcher way(L"局域网对战", [](HWND box) { DialogWatcher::press(box, IDCANCEL); }, confirmed ? kLong : 0);
    DialogWatcher address(L"连接到对手", [thirdPort](HWND dialog) {
      DialogWatcher::setControlText(dialog, LanDialogs::ID_PORT, std::to_wstring(thirdPort));
      DialogWatcher::press(dialog, IDOK);
    }, confirmed ? kLong : 0);
    command(100);
    EXPECT_TRUE(setup.wait()) << confirmed;
    EXPECT_EQ(way.wait() && address.wait(), confirmed);
    EXPECT_EQ(atTheSetup, LANSessionState::IDLE) << confirmed;
    EXPECT_TRUE(peerGot(host, LanProtocol::makeBye("manual_leave"))) << confirmed;
    EXPECT_EQ(heard->count(L"已取消连接"), 1) << ::testing::PrintToString(heard->all());
  }
  ASSERT_TRUE(rig().pumpUntil([&] { return lanState() == LANSessionState::HANDSHAKING; }));
  KillTimer(window(), TIMER_LAN_POLL);

  heard->clear();
  command(209);
  EXPECT_TRUE(hear(L"已取消连接")) << ::testing::PrintToString(heard->all());
  EXPECT_FALSE(heard->has(L"当前没有进行中的对局"));
  EXPECT_EQ(lanState(), LANSessionState::IDLE);
  EXPECT_TRUE(peerGot(third, LanProtocol::makeBye("manual_leave")));
}

TEST_F(LanWindowTest, ASearchOffersTheDirectConnectOnlyWhenNoRoomWasFound) {
  // The window's search, cancelled after a few seconds; `listed` gets its lines.
  auto searchAndCancel = [&](std::vector<std::wstring>& listed) {
    DialogWatcher setup(L"局域网对战设置", [](HWND dialog) { DialogWatcher::press(dialog, IDOK); }, kLong);
    DialogWatcher way(L"局域网对战", [](HWND box) { DialogWatcher::press(box, IDNO); }, kLong);
    DialogWatcher search(L"搜索房间", [&](HWND dialog) {
      Sleep(3000);  // a few replies and refreshes
      listed = DialogWatcher::listLines(dialog, LanDialogs::ID_ROOM_LIST);
      DialogWatcher::press(dialog, IDCANCEL);
    }, kLong);
    command(202);
    EXPECT_TRUE(search.wait());
  };

  std::vector<std::wstring> none;
  bool offered = false;
  DialogWatcher offer(L"搜索完成", [&](HWND box) {
    offered = DialogWatcher::messageBoxText(box) == L"未找到房间，是否手动输入 IP 连接？";
    DialogWatcher::press(box, IDNO);
  }, kLong);
  searchAndCancel(none);
  EXPECT_TRUE(offer.wait());
  EXPECT_TRUE(offered);
  EXPECT_TRUE(none.empty());

  // Another program's room on this network is listed, and cancelling asks nothing more.
  Tavrune::Test::ManualClock clock;
  Tavrune::Test::LanPeer room(clock);
  ASSERT_TRUE(room.controller.createRoom("老王", "random", 0));
  std::vector<std::wstring> listed;
  searchAndCancel(listed);
  rig().pumpFor(500);
  EXPECT_EQ(listed, std::vector<std::wstring>{L"老王 (127.0.0.1)"});
  DialogWatcher noOffer(L"搜索完成", [](HWND box) { DialogWatcher::press(box, IDNO); }, 1000);
  rig().pumpFor(1200);
  EXPECT_FALSE(noOffer.wait());
  EXPECT_EQ(lanState(), LANSessionState::IDLE);
}

}  // namespace
}  // namespace Tavrune
// A run stopped by its time-out (a box nobody answers) still shows how far it got.
static const int kUnbuffered = [] { setvbuf(stdout, nullptr, _IONBF, 0); return 0; }();
