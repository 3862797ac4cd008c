#include <gtest/gtest.h>

#include <vector>

#include "app/SelectionFeedback.h"
#include "game/GameEngine.h"
#include "game/Notation.h"
#include "game/SelectionController.h"

namespace Tavrune {
namespace {

using Cursor = SelectionFeedback::Cursor;
using Selection = SelectionReaction::Selection;

TEST(SelectionFeedbackTest, RefusalsBeforeTheSelection) {
  struct Case {
    Cursor cursor;
    bool gameActive;
    GameMode mode;
    std::wstring notice;  // empty: go on
  };
  const std::wstring noGame = L"当前未开始对局，请从游戏菜单选择模式";
  const std::vector<Case> cases = {
      {Cursor::Main, false, MODE_PVP, noGame},
      {Cursor::Player2, false, MODE_LAN, noGame},
      {Cursor::Main, true, MODE_LAN, L""},
      {Cursor::Player2, true, MODE_LAN, L"局域网对战中玩家2只能浏览，不能走棋"},
      {Cursor::Player2, true, MODE_PVE, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SelectionFeedback::refusalBeforeSelect(c.cursor, c.gameActive, c.mode).value_or(L""), c.notice);
  }
}

TEST(SelectionFeedbackTest, ReactionToEachResult) {
  struct Case {
    Cursor cursor;
    SelectionResult::Code code;
    bool hadSelection;
    GameMode mode;
    std::wstring notice;
    Selection selection;
    bool repaint;
    bool moveFollowUps;
    bool sendToPeer;
    PieceColor atCursor = NONE;
  };
  const std::vector<Case> cases = {
      {Cursor::Main, SelectionResult::None, false, MODE_PVP, L"复盘模式下不能走棋，按ESC退出复盘", Selection::Keep, false, false, false},
      {Cursor::Player2, SelectionResult::None, false, MODE_PVP, L"", Selection::Keep, false, false, false},
      {Cursor::Main, SelectionResult::GameOver, true, MODE_PVP, L"", Selection::Clear, true, false, false},
      {Cursor::Main, SelectionResult::GameOver, false, MODE_PVP, L"游戏已结束，请开始新游戏", Selection::Keep, false, false, false},
      {Cursor::Player2, SelectionResult::GameOver, false, MODE_PVP, L"游戏已结束，请开始新游戏", Selection::Keep, false, false, false},
      {Cursor::Main, SelectionResult::NotYourTurn, true, MODE_PVE, L"AI正在思考，请稍候", Selection::Clear, true, false, false},
      {Cursor::Main, SelectionResult::NotYourTurn, false, MODE_PVE, L"AI正在思考，请稍候", Selection::Keep, false, false, false},
      {Cursor::Main, SelectionResult::BrowseOnly, false, MODE_PVE, L"", Selection::Keep, false, false, false},
      {Cursor::Player2, SelectionResult::BrowseOnly, false, MODE_PVE, L"人机对战模式下，只能浏览棋盘，不能走棋", Selection::Keep, false, false, false},
      {Cursor::Main, SelectionResult::WrongSide, false, MODE_PVP, L"不能选择对方的棋子", Selection::Keep, false, false, false},
      // On the peer's turn the player's own piece is refused for the turn, the peer's as the peer's.
      {Cursor::Main, SelectionResult::WrongSide, false, MODE_LAN, L"当前未轮到你走棋", Selection::Keep, false, false, false, RED},
      {Cursor::Main, SelectionResult::WrongSide, false, MODE_LAN, L"不能选择对方的棋子", Selection::Keep, false, false, false, BLACK},
      {Cursor::Main, SelectionResult::EmptySquare, false, MODE_PVP, L"这里没有棋子", Selection::Keep, false, false, false},
      {Cursor::Main, SelectionResult::IllegalMove, true, MODE_PVP, L"无效的移动", Selection::Clear, true, false, false},
      {Cursor::Main, SelectionResult::Moved, true, MODE_LAN, L"", Selection::Clear, true, true, true},
      {Cursor::Main, SelectionResult::Moved, true, MODE_PVE, L"", Selection::Clear, true, true, false},
      {Cursor::Player2, SelectionResult::Moved, true, MODE_LAN, L"", Selection::Clear, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "player2 " << (c.cursor == Cursor::Player2) << " code " << c.code
                                    << " selected " << c.hadSelection);
    SelectionResult result;
    result.code = c.code;
    const SelectionReaction r =
        SelectionFeedback::react(c.cursor, result, c.hadSelection, true, {4, 5}, RED, c.mode, c.atCursor);
    EXPECT_EQ(r.notice, c.notice);
    EXPECT_EQ(r.selection, c.selection);
    EXPECT_EQ(r.repaint, c.repaint);
    EXPECT_EQ(r.playMoveSound, c.moveFollowUps);
    EXPECT_EQ(r.reportHumanMove, c.moveFollowUps);
    EXPECT_EQ(r.sendToLanPeer, c.sendToPeer);
  }
}

TEST(SelectionFeedbackTest, PickedUpPieceIsSpokenFromTheGivenSideWhenAsked) {
  SelectionResult result;
  result.code = SelectionResult::PieceSelected;
  result.selected = {7, 7};
  result.selectedPiece = RED_CANNON;
  for (bool read : {true, false}) {
    const SelectionReaction r = SelectionFeedback::react(Cursor::Main, result, false, read, {7, 7}, RED, MODE_PVP);
    EXPECT_EQ(r.selection, Selection::Set);
    EXPECT_EQ(r.newSelection, (Position{7, 7}));
    EXPECT_TRUE(r.repaint);
    EXPECT_EQ(r.notice, read ? Notation::selectionText({7, 7}, RED_CANNON, RED) : L"");
  }
  const SelectionReaction p2 = SelectionFeedback::react(Cursor::Player2, result, false, true, {7, 7}, BLACK, MODE_PVP);
  EXPECT_EQ(p2.notice, Notation::selectionText({7, 7}, RED_CANNON, BLACK));
}

// The refusal texts of an engine game, from the real selection logic.
TEST(SelectionFeedbackTest, EngineGameRefusals) {
  GameEngine game;
  game.newGame(MODE_PVE);
  ASSERT_TRUE(game.makeMove({{7, 7}, {4, 7}}));  // Red, the human, has moved; the engine thinks

  SelectionResult busy = SelectionController::handleSelect({1, 2}, {}, game, true, MODE_PVE, true, false, RED);
  EXPECT_EQ(SelectionFeedback::react(Cursor::Main, busy, false, true, {1, 2}, RED, MODE_PVE).notice,
            L"AI正在思考，请稍候");

  SelectionResult browse = SelectionController::handleSelect({1, 2}, {}, game, false, MODE_PVE, false, false, NONE);
  EXPECT_EQ(SelectionFeedback::react(Cursor::Player2, browse, false, true, {1, 2}, BLACK, MODE_PVE).notice,
            L"人机对战模式下，只能浏览棋盘，不能走棋");
}

// After the end with a piece in hand, the first Enter drops it silently, the second speaks.
TEST(SelectionFeedbackTest, FirstEnterAfterTheEndOnlyDropsThePiece) {
  GameEngine game;
  game.newGame(MODE_PVP);
  Position selection;
  SelectionResult picked = SelectionController::handleSelect({7, 7}, selection, game, false, MODE_PVP, true, false, RED);
  ASSERT_EQ(picked.code, SelectionResult::PieceSelected);
  selection = picked.selected;
  game.setGameState(BLACK_WIN);

  std::vector<std::wstring> heard;
  for (int press = 0; press < 2; ++press) {
    SelectionResult r = SelectionController::handleSelect({4, 7}, selection, game, false, MODE_PVP, true, false, RED);
    const SelectionReaction reaction = SelectionFeedback::react(Cursor::Main, r, selection.isValid(), true, {4, 7}, RED, MODE_PVP);
    if (reaction.selection == Selection::Clear) selection = {};
    heard.push_back(reaction.notice);
  }
  EXPECT_EQ(heard, (std::vector<std::wstring>{L"", L"游戏已结束，请开始新游戏"}));
}

}  // namespace
}  // namespace Tavrune
