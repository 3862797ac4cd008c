// Moves reaching the board through the window: the engine's reply carried over from
// the engine's thread and played only while it is current, every played move spoken
// and marked, and the end of the game reported on the UI thread.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "accessibility/AnnouncementHistory.h"
#include "app/CapturedLog.h"
#include "app/MoveMadeNotice.h"
#include "app/PostedPayload.h"
#include "app/ProgramMessages.h"
#include "app/OpeningMoves.h"
#include "app/WindowTestRig.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"

namespace Tavrune {
namespace {

using Test::SavedSettings;
using Test::WindowTestRig;

using Test::kBlackKnight;
using Test::kRedCannon;
using Test::move;

SavedSettings plainNotation() {
  SavedSettings settings;
  settings.accessibility.professionalNotation = false;
  return settings;
}

// Delivers the engine's move from a thread of its own, as the engine's reader does.
void deliverFromEngineThread(Tavrune::Test::RecordingEngineFrontEnd& engine, const Move& reply) {
  std::thread engineThread([&] { EXPECT_TRUE(engine.deliverMove(reply)); });
  engineThread.join();
}

class EngineMoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.create());
    rig.window().game().newGame(MODE_PVE);
    ASSERT_TRUE(rig.window().makeMove(kRedCannon));
    ASSERT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 红炮 2 2 到 5 2"; }));
    rig.engine().clearCalls();
  }

  size_t plies() { return rig.window().game().getMoveHistory().size(); }

  WindowTestRig rig{plainNotation()};
};

TEST_F(EngineMoveTest, CurrentReplyIsPlayedSpokenAndFollowedByPondering) {
  rig.window().noteEngineRequest();
  deliverFromEngineThread(rig.engine(), kBlackKnight);
  ASSERT_TRUE(rig.pumpUntil([&] { return plies() == 2; }));
  EXPECT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 黑马 8 0 到 7 2"; })) << rig.title().size();
  EXPECT_EQ(rig.window().secondCursor(), kBlackKnight.to);
  const std::vector<std::string> pondering = rig.engine().callsStartingWith("startPondering(");
  ASSERT_EQ(pondering.size(), 1u);
  EXPECT_EQ(pondering[0], "startPondering(" + rig.window().game().getBoard().toFEN() + ")");
}

TEST_F(EngineMoveTest, StaleRepliesAreDropped) {
  struct Case {
    const char* name;
    std::function<void(WindowTestRig&)> afterRequest;
  };
  const Case cases[] = {
      {"game replaced since", [](WindowTestRig& r) { r.window().invalidateEngineRequests(); }},
      {"review opened", [](WindowTestRig& r) { r.window().review().enterReviewMode(); }},
      {"game over", [](WindowTestRig& r) { r.window().game().setGameState(RED_WIN); }},
      {"move undone since",
       [](WindowTestRig& r) {
         r.window().game().undoMove();
         ASSERT_TRUE(r.window().makeMove(move(1, 7, 4, 7)));
       }},
  };
  for (const Case& c : cases) {
    WindowTestRig fresh{plainNotation()};
    ASSERT_TRUE(fresh.create());
    fresh.window().game().newGame(MODE_PVE);
    ASSERT_TRUE(fresh.window().makeMove(kRedCannon));
    fresh.window().noteEngineRequest();
    c.afterRequest(fresh);
    const size_t pliesBefore = fresh.window().game().getMoveHistory().size();
    const std::vector<Move> historyBefore = fresh.window().game().getMoveHistory();
    fresh.engine().clearCalls();
    deliverFromEngineThread(fresh.engine(), kBlackKnight);
    fresh.pumpFor(150);
    EXPECT_EQ(fresh.window().game().getMoveHistory().size(), pliesBefore) << c.name;
    EXPECT_EQ(fresh.window().game().getMoveHistory(), historyBefore) << c.name;
    EXPECT_TRUE(fresh.engine().callsStartingWith("startPondering(").empty()) << c.name;
  }
}

TEST_F(EngineMoveTest, NoReplyIsPlayedWithoutARequest) {
  deliverFromEngineThread(rig.engine(), kBlackKnight);
  rig.pumpFor(150);
  EXPECT_EQ(plies(), 1u);
}

TEST_F(EngineMoveTest, NothingIsPlayedOnThePlayersTurn) {
  rig.window().noteEngineRequest();
  // The engine answers with a Red move after the player's reply was already played
  // for Black by other means: it is Red's (the player's) turn now.
  ASSERT_TRUE(rig.window().game().makeMove(kBlackKnight));
  rig.window().noteEngineRequest();
  deliverFromEngineThread(rig.engine(), move(1, 7, 1, 3));
  rig.pumpFor(150);
  EXPECT_EQ(plies(), 2u);
  EXPECT_TRUE(rig.engine().callsStartingWith("startPondering(").empty());
}

TEST_F(EngineMoveTest, IllegalReplyIsRefusedWithoutPondering) {
  rig.window().noteEngineRequest();
  deliverFromEngineThread(rig.engine(), move(0, 0, 0, 5));  // a rook through its own pawn
  rig.pumpFor(150);
  EXPECT_EQ(plies(), 1u);
  EXPECT_TRUE(rig.engine().callsStartingWith("startPondering(").empty());
}

TEST_F(EngineMoveTest, NullPayloadsAreIgnored) {
  SendMessageW(rig.window().handle(), WM_AI_MOVE, 0, 0);
  SendMessageW(rig.window().handle(), WM_MOVE_MADE, 0, 0);
  EXPECT_EQ(plies(), 1u);
  EXPECT_EQ(rig.title(), L"Velmora - 红炮 2 2 到 5 2");
}

TEST(MoveNoticeTest, MoveMadeIsSpokenWithCheckAndEntersTheHistory) {
  WindowTestRig rig{plainNotation()};
  ASSERT_TRUE(rig.create());
  // Red's rook gives check along the open file.
  rig.window().game().newGame(MODE_PVP);
  ASSERT_TRUE(rig.window().game().newGameFromFEN(MODE_PVP, "3k5/9/9/9/9/9/9/9/9/R4K3 w - - 0 1"));
  ASSERT_TRUE(rig.window().game().makeMove(move(0, 9, 3, 9)));
  ASSERT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 红车 9 0 到 6 0，将军！"; }));
  // Another notice, then R brings the move back.
  rig.window().notices().announce(L"另一条");
  ASSERT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 另一条"; }));
  Sleep(600);  // past the repeat debounce
  SendMessageW(rig.window().handle(), WM_KEYDOWN, 'E', 0);
  EXPECT_EQ(rig.title(), L"Velmora - 红车 9 0 到 6 0，将军！");
}

TEST(MoveNoticeTest, TheResultFollowsTheMoveThatEndedTheGame) {
  WindowTestRig rig{plainNotation()};
  ASSERT_TRUE(rig.create());
  rig.window().game().newGame(MODE_PVP);
  // The rook's check is mate: the black king cannot face the red king.
  ASSERT_TRUE(rig.window().game().newGameFromFEN(MODE_PVP, "3k5/9/9/9/9/9/9/9/9/R3K4 w - - 0 1"));
  ASSERT_TRUE(rig.window().game().makeMove(move(0, 9, 3, 9)));
  // Posted one after the other, they are heard as one; the history keeps each.
  const std::wstring heard = L"Velmora - 红车 9 0 到 6 0，将军！ 游戏结束，红方获胜！";
  ASSERT_TRUE(rig.pumpUntil([&] { return rig.title() == heard; }));
  rig.pumpFor(200);
  EXPECT_EQ(rig.title(), heard);
  Sleep(600);  // past the navigation pause
  SendMessageW(rig.window().handle(), WM_KEYDOWN, 'E', 0);
  EXPECT_EQ(rig.title(), L"Velmora - 红车 9 0 到 6 0，将军！");
}

// What a screen reader is told, in order: a point's focus or selection, a notice, and
// "idle" each time the window's queue ran empty in between (the reader's time to read).
std::vector<std::wstring> heardOrder;

void CALLBACK recordHeard(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD, DWORD) {
  if (objectId != OBJID_CLIENT) return;
  if (event == EVENT_OBJECT_FOCUS || event == EVENT_OBJECT_SELECTION) {
    heardOrder.push_back((event == EVENT_OBJECT_FOCUS ? L"focus " : L"selection ") + std::to_wstring(childId));
  } else if (childId == CHILDID_SELF) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    heardOrder.push_back(title);
  }
}

TEST(MoveNoticeTest, AKeypadMoveMovesTheFocusBeforeItsNoticeIsHeard) {
  SavedSettings settings;
  settings.accessibility.windowsMainKeyboardNotationInputEnabled = true;
  WindowTestRig rig{settings};
  ASSERT_TRUE(rig.create());
  const HWND window = rig.window().handle();
  SendMessageW(window, WM_COMMAND, 200, 0);  // a two-player game
  for (WPARAM key : {WPARAM{'6'}, WPARAM{'2'}, WPARAM{VK_OEM_PERIOD}}) SendMessageW(window, WM_KEYDOWN, key, 0);
  rig.title();
  Sleep(200);  // past the gap after the entry's own notices
  const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, &recordHeard,
                                             GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  SendMessageW(window, WM_KEYDOWN, '5', 0);
  const std::wstring notice = L"Velmora - 红炮2平5";
  for (int idle = 0; idle < 300 && (heardOrder.empty() || heardOrder.back() != notice);) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    } else if (heardOrder.empty() || heardOrder.back() != notice) {  // a notice raised while peeking ends the wait
      if (!heardOrder.empty() && heardOrder.back() != L"idle") heardOrder.push_back(L"idle");
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      ++idle;
    }
  }
  UnhookWinEvent(hook);
  // The cannon lands on child 68; the reader has had it before the move is spoken.
  EXPECT_EQ(heardOrder, (std::vector<std::wstring>{L"selection 68", L"focus 68", L"idle", notice}));
}

TEST(MoveNoticeTest, ProfessionalNotationFollowsTheSetting) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  rig.window().game().newGame(MODE_PVP);
  ASSERT_TRUE(rig.window().game().makeMove(kRedCannon));
  EXPECT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 红炮2平5"; }));
}

TEST(MoveNoticeTest, EndOfGameFromAnotherThreadIsSpokenOnTheUiThread) {
  WindowTestRig rig{plainNotation()};
  ASSERT_TRUE(rig.create());
  std::thread networkThread([&] { rig.window().game().setGameState(BLACK_WIN); });
  networkThread.join();
  // Nothing was spoken on the other thread: the title changes only once messages run.
  EXPECT_NE(rig.titleNow(), L"Velmora - 游戏结束，黑方获胜！");
  EXPECT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 游戏结束，黑方获胜！"; }));
  // On the UI thread it is posted too, so that it follows the notice of the move that
  // ended the game.
  rig.window().game().setGameState(DRAW);
  EXPECT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 游戏结束，和棋！"; }));
}

TEST(MoveNoticeTest, AMovePlayedOnAnotherThreadIsSpokenOnTheUiThread) {
  WindowTestRig rig{plainNotation()};
  ASSERT_TRUE(rig.create());
  rig.window().game().newGame(MODE_LAN);
  std::thread networkThread([&] { EXPECT_TRUE(rig.window().game().forceMove(kRedCannon)); });
  networkThread.join();
  EXPECT_TRUE(rig.pumpUntil([&] { return rig.title() == L"Velmora - 红炮 2 2 到 5 2"; }));
}

TEST(MoveNoticeTest, ReviewSpeaksMovesWithTheWindowsTexts) {
  WindowTestRig rig{plainNotation()};
  ASSERT_TRUE(rig.create());
  rig.window().game().newGame(MODE_PVP);
  ASSERT_TRUE(rig.window().game().makeMove(kRedCannon));
  ASSERT_TRUE(rig.window().game().makeMove(kBlackKnight));
  rig.pumpFor(50);
  rig.window().review().enterReviewMode();
  rig.window().review().previousStep();
  EXPECT_NE(rig.title().find(L"红炮 2 2 到 5 2"), std::wstring::npos);
  rig.window().review().exitReviewMode();
}

}  // namespace
}  // namespace Tavrune

namespace Tavrune {
namespace {

struct CountedPayload {
  static inline int alive = 0;
  CountedPayload() { ++alive; }
  ~CountedPayload() { --alive; }
};

TEST(PostedPayloadTest, OwnedByTheMessageOrFreedWhenPostingFails) {
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  EXPECT_FALSE(PostedPayload<CountedPayload>::post(gone, WM_USER + 7, 0, std::make_unique<CountedPayload>()));
  EXPECT_EQ(CountedPayload::alive, 0);

  HWND target = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(PostedPayload<CountedPayload>::post(target, WM_USER + 7, 0, std::make_unique<CountedPayload>()));
  EXPECT_EQ(CountedPayload::alive, 1);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, target, WM_USER + 7, WM_USER + 7, PM_REMOVE));
  PostedPayload<CountedPayload>::take(message.lParam).reset();
  EXPECT_EQ(CountedPayload::alive, 0);
  EXPECT_EQ(PostedPayload<CountedPayload>::take(0), nullptr);
  DestroyWindow(target);
}

TEST(EngineReportTest, ReadinessAndStateChangesAreHandledOnTheUiThread) {
  WindowTestRig rig{SavedSettings{}};
  ASSERT_TRUE(rig.create());
  Tavrune::Test::CapturedLog log;
  std::thread engineThread([&] {
    rig.window().onEngineReadyReport(true);
    rig.window().onEngineStateChangedReport();
  });
  engineThread.join();
  EXPECT_FALSE(log.contains("PVE mode: AI engine initialized successfully"));
  EXPECT_TRUE(rig.pumpUntil([&] { return log.contains("PVE mode: AI engine initialized successfully"); }));
}

}  // namespace
}  // namespace Tavrune
