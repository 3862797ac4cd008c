// Games against the engine as the window runs them, with a recording engine in place of
// the AI: the engine started with each session, its opening move asked for on its first
// ready report or at once when it was loaded before, the player's moves handed on, and
// every replaced, stopped or undone position's search stopped and its reply dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "app/DialogWatcher.h"
#include "app/OpeningMoves.h"
#include "app/WindowTestRig.h"
#include "game/GameEngine.h"

namespace Tavrune {
namespace {

using Test::DialogWatcher;
using Test::SavedSettings;
using Test::WindowTestRig;

constexpr WPARAM kNewGame = 100;
constexpr WPARAM kEngineMode = 201;
constexpr WPARAM kUndo = 203;
constexpr WPARAM kStopOrResume = 209;
const std::string kOpening = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

using Test::kBlackKnight;
using Test::kRedCannon;
using Test::move;

SavedSettings quietPlainSettings() {
  SavedSettings settings;
  settings.accessibility.professionalNotation = false;
  settings.audio.enabled = false;
  return settings;
}

class EngineTurnFlowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.create()); }

  HWND window() { return rig.window().handle(); }
  GameEngine& game() { return rig.window().game(); }
  ::Tavrune::Test::RecordingEngineFrontEnd& engine() { return rig.engine(); }
  std::vector<std::string> searches() { return engine().callsStartingWith("startThinking("); }

  // Command 201 with the side box answered; a running game's switch question is answered
  // Yes first.
  void startEngineGame(bool playRed) {
    const bool running = game().getGameState() == PLAYING && gameStarted;
    std::unique_ptr<DialogWatcher> confirm;
    if (running) {
      confirm = std::make_unique<DialogWatcher>(L"确认切换模式", [](HWND box) { DialogWatcher::press(box, IDYES); });
    }
    DialogWatcher side(L"人机对战 - 选择执棋方",
                       [playRed](HWND box) { DialogWatcher::press(box, playRed ? IDYES : IDNO); });
    SendMessageW(window(), WM_COMMAND, kEngineMode, 0);
    ASSERT_TRUE(side.wait());
    if (confirm) {
      ASSERT_TRUE(confirm->wait());
    }
    gameStarted = true;
  }

  void command(WPARAM id) { SendMessageW(window(), WM_COMMAND, id, 0); }

  void key(UINT virtualKey, int times = 1) {
    for (int i = 0; i < times; ++i) SendMessageW(window(), WM_KEYDOWN, virtualKey, 0);
  }

  // From the engine's thread, as its reader delivers a best move; then the posted reply
  // is handled.
  void engineAnswers(const Move& reply) {
    std::thread engineThread([&] { EXPECT_TRUE(engine().deliverMove(reply)); });
    engineThread.join();
    rig.pumpFor(100);
    rig.title();  // what it said is out before the next step
  }

  void engineReports(bool ready) {
    ASSERT_TRUE(engine().reportReadyFromEngineThread(ready));
    rig.pumpFor(100);
    rig.title();  // what it said is out before the next step
  }

  size_t plies() { return game().getMoveHistory().size(); }

  WindowTestRig rig{quietPlainSettings()};
  bool gameStarted = false;
};

TEST_F(EngineTurnFlowTest, EngineOpensOnItsFirstReadyReportAndAtOnceInTheNextGame) {
  startEngineGame(false);
  EXPECT_EQ(rig.title(), L"Velmora - 您执黑棋后手，开始新游戏，正在加载AI引擎...");
  EXPECT_EQ(engine().callsStartingWith("initialize").size(), 1u);
  EXPECT_EQ(engine().callsStartingWith("newGame").size(), 1u);
  EXPECT_TRUE(searches().empty()) << "asked before the engine was ready";

  engineReports(true);
  EXPECT_EQ(rig.title().rfind(L"Velmora - AI引擎加载成功", 0), 0u) << "engine notice";
  EXPECT_EQ(searches(), std::vector<std::string>{"startThinking(" + kOpening + ")"});
  engineAnswers(kRedCannon);
  EXPECT_EQ(plies(), 1u);
  EXPECT_EQ(rig.title(), L"Velmora - 红炮 2 2 到 5 2");

  // The second game of the run: the engine is loaded and sends no first report, yet it
  // is asked for the opening move again, and the engine notice is not repeated.
  engine().clearCalls();
  startEngineGame(false);
  EXPECT_EQ(engine().callsStartingWith("initialize").size(), 1u);
  EXPECT_EQ(searches(), std::vector<std::string>{"startThinking(" + kOpening + ")"});
  engineReports(true);  // an idle engine's answer to initialize
  EXPECT_EQ(searches().size(), 1u);
  EXPECT_EQ(rig.title().find(L"AI引擎加载成功"), std::wstring::npos);
  engineAnswers(kRedCannon);
  EXPECT_EQ(plies(), 1u);
}

TEST_F(EngineTurnFlowTest, PlayersMoveByKeysIsAnsweredAndTheAnswerPondered) {
  startEngineGame(true);
  engineReports(true);
  EXPECT_TRUE(searches().empty()) << "the player moves first";

  // Cursor from (4, 5) to the red cannon at (7, 7), then to (4, 7).
  key(VK_RIGHT, 3);
  key(VK_DOWN, 2);
  key(VK_RETURN);
  key(VK_LEFT, 3);
  key(VK_RETURN);
  ASSERT_EQ(plies(), 1u);
  const std::string afterPlayer = game().getBoard().toFEN();
  EXPECT_EQ(searches(), std::vector<std::string>{"startThinking(" + afterPlayer + ")"});
  // While the engine thinks the player's keys are refused, not played.
  key(VK_RETURN);
  EXPECT_EQ(plies(), 1u);

  engineAnswers(kBlackKnight);
  EXPECT_EQ(plies(), 2u);
  // Right after the player's move, the reply is heard with it.
  EXPECT_TRUE(rig.pumpUntil([&] { return rig.title().ends_with(L"黑马 8 0 到 7 2"); })) << "heard: " << rig.title().size();
  EXPECT_EQ(engine().callsStartingWith("startPondering(").size(), 1u);
}

TEST_F(EngineTurnFlowTest, NewGameStopsTheRunningSearchBeforeTheEngineHearsOfIt) {
  startEngineGame(false);
  engineReports(true);
  ASSERT_EQ(searches().size(), 1u);
  engine().clearCalls();
  startEngineGame(true);  // mid-search: now the player takes Red
  const std::vector<std::string> calls = engine().calls();
  const auto stop = std::find(calls.begin(), calls.end(), "stopThinking");
  const auto fresh = std::find(calls.begin(), calls.end(), "newGame");
  ASSERT_NE(stop, calls.end());
  ASSERT_NE(fresh, calls.end());
  EXPECT_LT(stop, fresh);
  EXPECT_TRUE(searches().empty());
  engineAnswers(kRedCannon);  // the stopped search's late answer
  EXPECT_EQ(plies(), 0u);
  EXPECT_EQ(rig.title(), L"Velmora - 您执红棋先行，开始新游戏");
}

TEST_F(EngineTurnFlowTest, UndoOnThePlayersTurnTakesBackTheReplyAndTheMove) {
  startEngineGame(true);
  engineReports(true);
  key(VK_RIGHT, 3);
  key(VK_DOWN, 2);
  key(VK_RETURN);
  key(VK_LEFT, 3);
  key(VK_RETURN);
  engineAnswers(kBlackKnight);
  ASSERT_EQ(plies(), 2u);
  engine().clearCalls();
  command(kUndo);
  EXPECT_EQ(plies(), 0u);
  EXPECT_EQ(rig.title(), L"Velmora - 悔棋，回到开局");
  EXPECT_TRUE(searches().empty()) << "the player is to move";
}

TEST_F(EngineTurnFlowTest, StopAndResumeOnTheEnginesTurnAskAgain) {
  startEngineGame(false);
  engineReports(true);
  ASSERT_EQ(searches().size(), 1u);
  engine().clearCalls();
  command(kStopOrResume);
  EXPECT_EQ(rig.title(), L"Velmora - 已停止当前对局，可在游戏菜单恢复");
  EXPECT_EQ(engine().callsStartingWith("stopThinking").size(), 1u);
  engineAnswers(kRedCannon);
  EXPECT_EQ(plies(), 0u) << "a stopped game took the engine's late reply";

  command(kStopOrResume);
  EXPECT_EQ(searches(), std::vector<std::string>{"startThinking(" + kOpening + ")"});
  engineAnswers(kRedCannon);
  EXPECT_EQ(plies(), 1u);

  // Undo back to the opening, with the engine to move first: it is asked again.
  engine().clearCalls();
  command(kUndo);
  EXPECT_EQ(plies(), 0u);
  EXPECT_EQ(searches(), std::vector<std::string>{"startThinking(" + kOpening + ")"});
}

TEST_F(EngineTurnFlowTest, BusyEngineOwesTheMoveUntilItsNextReadyReport) {
  startEngineGame(false);
  engineReports(true);
  engineAnswers(kRedCannon);
  engine().clearCalls();
  engine().setBusy(true);  // still winding down, or restarting after a crash
  startEngineGame(false);
  EXPECT_EQ(engine().callsStartingWith("startThinkingRefused").size(), 1u);
  EXPECT_TRUE(engine().callsStartingWith("startThinking(").empty());
  engine().setBusy(false);
  engineReports(true);
  EXPECT_EQ(searches(), std::vector<std::string>{"startThinking(" + kOpening + ")"});
}

// One box per round of start attempts; after the give-up the player's moves are played
// and nothing is asked of the engine.
TEST_F(EngineTurnFlowTest, FailedStartShowsOneErrorBoxPerRound) {
  const auto answer = [](HWND dialog) { DialogWatcher::press(dialog, IDOK); };
  std::wstring text;
  {
    DialogWatcher box(L"错误", [&](HWND dialog) {
      text = DialogWatcher::messageBoxText(dialog);
      DialogWatcher::press(dialog, IDOK);
    });
    startEngineGame(true);
    engine().setFailed(true, true);
    engineReports(false);  // the engine gave up after its retries
    ASSERT_TRUE(box.wait());
  }
  EXPECT_EQ(text, L"AI引擎初始化失败！\n请检查引擎路径设置。");
  // Heard before the box, after the start notices when they were still held.
  EXPECT_TRUE(rig.title().ends_with(L"AI引擎加载失败")) << rig.title().size();

  engine().clearCalls();
  {
    DialogWatcher none(L"错误", answer, 1000);
    engineReports(false);  // a late report of the same round
    key(VK_RIGHT, 3);
    key(VK_DOWN, 2);
    key(VK_RETURN);
    key(VK_LEFT, 3);
    key(VK_RETURN);
    EXPECT_FALSE(none.wait()) << "a second box";
  }
  EXPECT_EQ(plies(), 1u);
  EXPECT_TRUE(engine().calls().empty()) << engine().calls().front();
}

}  // namespace
}  // namespace Tavrune
