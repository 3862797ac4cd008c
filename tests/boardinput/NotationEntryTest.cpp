#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/NotationEntry.h"
#include "app/VirtualKeys.h"
#include "game/GameEngine.h"

namespace Tavrune {
namespace {

constexpr wchar_t kStarted[] = L"小键盘记谱输入已开始";
constexpr wchar_t kCancelled[] = L"已取消小键盘输入";
constexpr wchar_t kIllegal[] = L"该着法不合法";

// The keypad key that types a character.
uint32_t keypadKey(wchar_t c) {
  if (c >= L'0' && c <= L'9') return VirtualKey::Numpad0 + (c - L'0');
  if (c == L'+') return VirtualKey::Add;
  if (c == L'-') return VirtualKey::Subtract;
  return VirtualKey::Decimal;
}

// One game with one entry; keys are typed with NumLock on unless told otherwise.
struct Rig {
  GameEngine game;
  NotationEntry entry;
  NotationTurn turn;
  std::vector<std::wstring> heard;
  NotationOutcome last;

  explicit Rig(GameMode mode = MODE_PVP, const char* fen = nullptr) {
    if (fen) {
      EXPECT_TRUE(game.newGameFromFEN(mode, fen));
    } else {
      game.newGame(mode);
    }
    turn.gameActive = true;
    turn.mode = mode;
    turn.humanSide = RED;
    turn.viewerSide = RED;
  }

  NotationOutcome key(uint32_t vk, bool numLock = true) {
    turn.viewerSide = game.getCurrentPlayer();
    last = entry.handleKey(vk, numLock, turn, game);
    heard.insert(heard.end(), last.notices.begin(), last.notices.end());
    return last;
  }
  void type(const std::wstring& keys) {
    for (wchar_t c : keys) key(keypadKey(c));
  }
  std::wstring lastNotice() const { return heard.empty() ? L"" : heard.back(); }
};

TEST(NotationEntryTest, CannonTwoTraverseFiveIsSpokenFieldByFieldAndPlayed) {
  Rig rig;
  rig.type(L"62.5");
  EXPECT_EQ(rig.heard, (std::vector<std::wstring>{kStarted, L"棋子：炮", L"起始：2", L"动作：平"}));
  ASSERT_TRUE(rig.last.playedMove.has_value());
  EXPECT_EQ(rig.last.playedMove->from, (Position{7, 7}));
  EXPECT_EQ(rig.last.playedMove->to, (Position{4, 7}));
  EXPECT_EQ(rig.last.playedMove->piece, RED_CANNON);
  EXPECT_TRUE(rig.last.mainCursorFollows);
  EXPECT_EQ(rig.last.timer.kind, NotationTimerRequest::Stop);
  EXPECT_FALSE(rig.entry.isActive());
  EXPECT_EQ(rig.game.getMoveHistory().size(), 1u);
}

TEST(NotationEntryTest, DigitAtTheActionStepOnlyMeansTraverse) {
  Rig rig;
  rig.type(L"625");
  EXPECT_EQ(rig.lastNotice(), L"动作：平");
  EXPECT_EQ(rig.entry.fields().step, 3);
  EXPECT_EQ(rig.entry.fields().action, L'.');
  EXPECT_EQ(rig.entry.fields().target, 0);
  EXPECT_TRUE(rig.game.getMoveHistory().empty());
  rig.type(L"5");
  ASSERT_TRUE(rig.last.playedMove.has_value());
  EXPECT_EQ(rig.last.playedMove->to, (Position{4, 7}));
}

TEST(NotationEntryTest, PromptsForEveryField) {
  struct Case {
    std::wstring keys;
    std::wstring prompt;
  };
  const std::vector<Case> cases = {
      {L"1", L"棋子：将帅"}, {L"2", L"棋子：士"}, {L"3", L"棋子：象相"}, {L"4", L"棋子：马"},
      {L"5", L"棋子：车"},   {L"6", L"棋子：炮"}, {L"7", L"棋子：兵卒"}, {L"5+", L"起始：前"},
      {L"5-", L"起始：后"},  {L"59", L"起始：9"}, {L"59+", L"动作：进"}, {L"59-", L"动作：退"},
      {L"59.", L"动作：平"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keys.begin(), c.keys.end()));
    Rig rig;
    rig.type(c.keys);
    EXPECT_EQ(rig.lastNotice(), c.prompt);
  }
}

TEST(NotationEntryTest, RefusedCharactersHintAndKeepTheFields) {
  struct Case {
    std::wstring keys;  // the last key is the refused one
    std::wstring hint;
    int32_t step;
  };
  const std::wstring zero = L"0 不是有效记谱数字，请输入 1 到 9";
  const std::vector<Case> cases = {
      {L"8", L"棋子编号只能输入 1 到 7", 0},
      {L"9", L"棋子编号只能输入 1 到 7", 0},
      {L"+", L"当前应输入棋子（1到7）", 0},
      {L".", L"当前应输入棋子（1到7）", 0},
      {L"0", zero, 0},
      {L"6.", L"当前应输入起始（1到9，或加号前、减号后）", 1},
      {L"60", zero, 1},
      {L"620", zero, 2},
      {L"62+.", L"当前应输入目标（1到9）", 3},
      {L"62+0", zero, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keys.begin(), c.keys.end()));
    Rig rig;
    rig.type(c.keys);
    EXPECT_EQ(rig.lastNotice(), c.hint);
    EXPECT_TRUE(rig.last.consumed);
    EXPECT_TRUE(rig.entry.isActive());
    EXPECT_EQ(rig.entry.fields().step, c.step);
    // A refused character leaves the timer as the last accepted key set it.
    EXPECT_EQ(rig.last.timer.kind, NotationTimerRequest::Keep);
    if (c.step >= 1) {
      EXPECT_EQ(rig.entry.fields().piece, L'6');
    }
  }
}

// Two red cannons on file 5 and none on files 8 or 2.
constexpr char kStackedCannons[] = "4k4/4a4/9/4p4/9/4C4/9/4C4/9/4K4 w - - 0 1";

TEST(NotationEntryTest, StartsOfEightAndTwoRetryAsFrontAndRear) {
  struct Case {
    bool alias;
    std::wstring keys;
    bool played;
    Move move;
  };
  const std::vector<Case> cases = {
      {true, L"68+1", true, {{4, 5}, {4, 4}, RED_CANNON, EMPTY}},
      {true, L"62+1", true, {{4, 7}, {4, 6}, RED_CANNON, EMPTY}},
      {false, L"68+1", false, {}},
      {false, L"62+1", false, {}},
      {true, L"6++1", true, {{4, 5}, {4, 4}, RED_CANNON, EMPTY}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keys.begin(), c.keys.end()) + (c.alias ? " alias" : " plain"));
    Rig rig(MODE_PVP, kStackedCannons);
    NotationSettings settings;
    settings.frontBackAlias82 = c.alias;
    rig.entry.setSettings(settings);
    rig.type(c.keys);
    EXPECT_EQ(rig.last.playedMove.has_value(), c.played);
    if (c.played) {
      EXPECT_EQ(*rig.last.playedMove, c.move);
    } else {
      EXPECT_EQ(rig.lastNotice(), kIllegal);
    }
    EXPECT_FALSE(rig.entry.isActive());
  }
}

TEST(NotationEntryTest, StartOfEightOnAFileWithThePieceIsNotRetried) {
  Rig rig;  // the opening: Red's knight stands on file 8
  rig.type(L"48+7");
  ASSERT_TRUE(rig.last.playedMove.has_value());
  EXPECT_EQ(*rig.last.playedMove, (Move{{1, 9}, {2, 7}, RED_KNIGHT, EMPTY}));
}

// Three red pawns on one file: "front pawn" cannot say which.
constexpr char kThreePawns[] = "4k4/9/2P6/2P6/2P6/9/9/9/9/3K5 w - - 0 1";

TEST(NotationEntryTest, AmbiguousEntryKeepsItsFieldsAndBackspaceClearsOnlyTheTarget) {
  Rig rig(MODE_PVP, kThreePawns);
  NotationSettings settings;
  settings.timeoutMs = 3000;
  rig.entry.setSettings(settings);
  rig.type(L"7++1");
  EXPECT_EQ(rig.lastNotice(), L"该着法有歧义，请改用常规选子");
  EXPECT_FALSE(rig.last.playedMove.has_value());
  EXPECT_TRUE(rig.entry.isActive());
  const NotationFields kept = rig.entry.fields();
  EXPECT_EQ(kept.step, 3);
  EXPECT_EQ(kept.piece, L'7');
  EXPECT_EQ(kept.start, L'+');
  EXPECT_EQ(kept.action, L'+');
  EXPECT_EQ(kept.target, L'1');
  EXPECT_EQ(rig.last.timer.kind, NotationTimerRequest::Start);
  EXPECT_EQ(rig.last.timer.periodMs, 3000u);

  rig.heard.clear();
  rig.key(VirtualKey::Back);
  EXPECT_TRUE(rig.heard.empty());
  EXPECT_EQ(rig.entry.fields().target, 0);
  EXPECT_EQ(rig.entry.fields().action, L'+');
  EXPECT_EQ(rig.entry.fields().step, 3);
  EXPECT_EQ(rig.last.timer.kind, NotationTimerRequest::Start);
}

TEST(NotationEntryTest, BackspaceAndDeleteStepBackOneFieldAtATime) {
  for (uint32_t erase : {VirtualKey::Back, VirtualKey::Delete}) {
    SCOPED_TRACE(erase);
    Rig rig;
    rig.type(L"62.");
    struct Step {
      int32_t step;
      bool active;
      std::wstring notice;  // empty: silent
    };
    const std::vector<Step> steps = {{2, true, L""}, {1, true, L""}, {0, false, kCancelled}};
    for (const Step& s : steps) {
      rig.heard.clear();
      EXPECT_TRUE(rig.key(erase).consumed);
      EXPECT_EQ(rig.entry.fields().step, s.step);
      EXPECT_EQ(rig.entry.isActive(), s.active);
      EXPECT_EQ(rig.heard.empty() ? L"" : rig.heard.back(), s.notice);
    }
    // With no entry the key belongs to the board keys.
    EXPECT_FALSE(rig.key(erase).consumed);
  }
}

TEST(NotationEntryTest, BackspaceOnAnEmptyEntrySaysThereIsNothingToErase) {
  Rig rig;
  rig.type(L"9");  // starts an entry, the 9 itself is refused
  EXPECT_TRUE(rig.entry.isActive());
  EXPECT_TRUE(rig.key(VirtualKey::Back).consumed);
  EXPECT_EQ(rig.lastNotice(), L"当前没有可退格内容");
  EXPECT_TRUE(rig.entry.isActive());
}

TEST(NotationEntryTest, EscapeCancelsOnlyAnEntryUnderWay) {
  Rig rig;
  EXPECT_FALSE(rig.key(VirtualKey::Escape).consumed);
  rig.type(L"62");
  const NotationOutcome out = rig.key(VirtualKey::Escape);
  EXPECT_TRUE(out.consumed);
  EXPECT_EQ(out.notices, std::vector<std::wstring>{kCancelled});
  EXPECT_EQ(out.timer.kind, NotationTimerRequest::Stop);
  EXPECT_FALSE(rig.entry.isActive());
  EXPECT_EQ(rig.entry.fields().piece, 0);
}

TEST(NotationEntryTest, TimeOutIsCappedAndZeroMeansNone) {
  struct Case {
    int32_t setting;
    uint32_t period;
  };
  const std::vector<Case> cases = {{0, 0}, {-5, 0}, {1, 1}, {3000, 3000}, {10000, 10000}, {10001, 10000}, {600000, 10000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    EXPECT_EQ(NotationEntry::timerPeriodMs(c.setting), c.period);
    Rig rig;
    NotationSettings settings;
    settings.timeoutMs = c.setting;
    rig.entry.setSettings(settings);
    rig.type(L"6");
    if (c.period == 0) {
      EXPECT_EQ(rig.last.timer.kind, NotationTimerRequest::Stop);
      // Should a stray timer fire, it ends nothing.
      const NotationOutcome fired = rig.entry.onTimeout();
      EXPECT_TRUE(fired.notices.empty());
      EXPECT_TRUE(rig.entry.isActive());
    } else {
      EXPECT_EQ(rig.last.timer.kind, NotationTimerRequest::Start);
      EXPECT_EQ(rig.last.timer.periodMs, c.period);
      const NotationOutcome fired = rig.entry.onTimeout();
      EXPECT_EQ(fired.notices, std::vector<std::wstring>{L"输入超时，已清空"});
      EXPECT_EQ(fired.timer.kind, NotationTimerRequest::Stop);
      EXPECT_FALSE(rig.entry.isActive());
    }
  }
}

TEST(NotationEntryTest, TimerFollowsSettingChangesAndSilentCancel) {
  Rig rig;
  NotationSettings settings;
  settings.timeoutMs = 5000;
  EXPECT_EQ(rig.entry.setSettings(settings).kind, NotationTimerRequest::Stop);  // nothing under way
  rig.type(L"6");
  settings.timeoutMs = 0;
  EXPECT_EQ(rig.entry.setSettings(settings).kind, NotationTimerRequest::Stop);
  const NotationOutcome fired = rig.entry.onTimeout();
  EXPECT_EQ(fired.timer.kind, NotationTimerRequest::Stop);
  EXPECT_TRUE(rig.entry.isActive());
  settings.timeoutMs = 20000;
  const NotationTimerRequest rearmed = rig.entry.setSettings(settings);
  EXPECT_EQ(rearmed.kind, NotationTimerRequest::Start);
  EXPECT_EQ(rearmed.periodMs, 10000u);

  EXPECT_EQ(rig.entry.cancel().kind, NotationTimerRequest::Stop);
  EXPECT_FALSE(rig.entry.isActive());
  EXPECT_EQ(rig.entry.cancel().kind, NotationTimerRequest::Keep);
  EXPECT_TRUE(rig.entry.onTimeout().notices.empty());
}

TEST(NotationEntryTest, EveryKeypadKeyWithNumLockOffAsksForNumLock) {
  for (const uint32_t vk : {VirtualKey::Numpad0 + 5, VirtualKey::Add, VirtualKey::Subtract, VirtualKey::Decimal}) {
    SCOPED_TRACE(vk);
    Rig rig;
    rig.type(L"62");
    for (int press = 0; press < 2; ++press) {  // during an entry, then with none to start from
      EXPECT_TRUE(rig.key(vk, /*numLock=*/false).consumed);
      EXPECT_EQ(rig.last.notices, std::vector<std::wstring>{L"请开启小键盘（NumLock）"});
      EXPECT_FALSE(rig.entry.isActive());
    }
  }
  // The main keyboard's keys do not depend on NumLock.
  Rig rig;
  NotationSettings settings;
  settings.mainKeyboardEnabled = true;
  rig.entry.setSettings(settings);
  rig.key(VirtualKey::Digit0 + 6, false);
  rig.key(VirtualKey::Digit0 + 2, false);
  rig.key(VirtualKey::OemPeriod, false);
  EXPECT_EQ(rig.lastNotice(), L"动作：平");
}

TEST(NotationEntryTest, WhoseTurnRefusalsResetTheEntry) {
  struct Case {
    const char* name;
    bool gameActive;
    bool reviewOpen;
    bool gameOver;
    GameMode mode;
    PieceColor human;
    bool lanLocalTurn;
    std::wstring notice;  // empty: the entry starts
    bool engineUnavailable = false;
  };
  const std::vector<Case> cases = {
      {"no game", false, false, false, MODE_PVP, RED, false, L"当前未开始对局，请从游戏菜单选择模式"},
      {"review", true, true, false, MODE_PVP, RED, false, L"复盘模式下不能走棋，按ESC退出复盘"},
      {"game over", true, false, true, MODE_PVP, RED, false, L"游戏已结束，请开始新游戏"},
      {"engine to move", true, false, false, MODE_PVE, BLACK, false, L"AI正在思考，请稍候"},
      {"engine gave up on its move", true, false, false, MODE_PVE, BLACK, false,
       L"AI引擎不可用，可悔棋、重新开始或改为本地双人", true},
      {"LAN peer to move", true, false, false, MODE_LAN, RED, false, L"当前未轮到你走棋"},
      {"engine game, our move", true, false, false, MODE_PVE, RED, false, L""},
      {"LAN, our move", true, false, false, MODE_LAN, RED, true, L""},
      {"two players", true, false, false, MODE_PVP, BLACK, false, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(c.mode);
    rig.turn.humanSide = c.human;
    rig.turn.lanLocalTurn = true;
    rig.type(L"62");  // typed while it was still our turn
    rig.turn.gameActive = c.gameActive;
    rig.turn.reviewOpen = c.reviewOpen;
    rig.turn.lanLocalTurn = c.lanLocalTurn;
    rig.turn.engineUnavailable = c.engineUnavailable;
    if (c.gameOver) rig.game.setGameState(RED_WIN);
    rig.heard.clear();
    const NotationOutcome out = rig.key(keypadKey(L'.'));
    EXPECT_TRUE(out.consumed);
    if (c.notice.empty()) {
      EXPECT_EQ(rig.lastNotice(), L"动作：平");
      EXPECT_TRUE(rig.entry.isActive());
    } else {
      EXPECT_EQ(out.notices, std::vector<std::wstring>{c.notice});
      EXPECT_EQ(out.timer.kind, NotationTimerRequest::Stop);
      EXPECT_FALSE(rig.entry.isActive());
      EXPECT_EQ(rig.entry.fields().piece, 0);
    }
  }
}

TEST(NotationEntryTest, OnlyTheEnabledKeysTakePart) {
  struct Case {
    uint32_t vk;
    bool numpad;
    bool mainKeyboard;
    wchar_t typed;  // 0: not part of an entry
  };
  const std::vector<Case> cases = {
      {VirtualKey::Numpad0 + 7, true, false, L'7'},
      {VirtualKey::Add, true, false, L'+'},
      {VirtualKey::Subtract, true, false, L'-'},
      {VirtualKey::Decimal, true, false, L'.'},
      {VirtualKey::Separator, true, true, 0},
      {VirtualKey::Digit0 + 7, true, false, 0},
      {VirtualKey::Digit0 + 7, false, true, L'7'},
      {VirtualKey::OemPlus, false, true, L'+'},
      {VirtualKey::OemMinus, false, true, L'-'},
      {VirtualKey::OemPeriod, false, true, L'.'},
      {VirtualKey::OemComma, true, true, 0},
      {VirtualKey::OemPeriod, true, false, 0},
      // The main-keyboard switch alone keeps the keypad working.
      {VirtualKey::Numpad0 + 3, false, true, L'3'},
      {VirtualKey::Numpad0 + 3, false, false, 0},
      {VirtualKey::Add, false, false, 0},
      {VirtualKey::letter('A'), true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "vk " << c.vk << " numpad " << c.numpad << " main " << c.mainKeyboard);
    NotationSettings settings;
    settings.numpadEnabled = c.numpad;
    settings.mainKeyboardEnabled = c.mainKeyboard;
    const std::optional<wchar_t> typed = NotationEntry::characterFor(c.vk, settings);
    EXPECT_EQ(typed.value_or(0), c.typed);
    Rig rig;
    rig.entry.setSettings(settings);
    EXPECT_EQ(rig.key(c.vk).consumed, c.typed != 0);
  }
}

TEST(NotationEntryTest, MovesOfTheOtherSideMoveThePlayer2Cursor) {
  Rig rig;  // two players; the local user is Red
  rig.type(L"62.5");
  ASSERT_TRUE(rig.last.playedMove.has_value());
  rig.type(L"68.5");  // Black's cannon on Black's file 8 (a start of 8 that needs no retry)
  ASSERT_TRUE(rig.last.playedMove.has_value());
  EXPECT_EQ(*rig.last.playedMove, (Move{{7, 2}, {4, 2}, BLACK_CANNON, EMPTY}));
  EXPECT_FALSE(rig.last.mainCursorFollows);
}

TEST(NotationEntryTest, QueryWithoutAMatchingMoveIsRefusedAndEnds) {
  Rig rig;
  rig.type(L"11+9");
  EXPECT_EQ(rig.lastNotice(), kIllegal);
  EXPECT_FALSE(rig.last.playedMove.has_value());
  EXPECT_FALSE(rig.entry.isActive());
  EXPECT_EQ(rig.last.timer.kind, NotationTimerRequest::Stop);
}

}  // namespace
}  // namespace Tavrune
