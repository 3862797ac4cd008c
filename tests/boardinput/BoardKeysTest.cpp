#include <gtest/gtest.h>

#include <vector>

#include "app/BoardKeys.h"
#include "app/VirtualKeys.h"

namespace Tavrune {
namespace {

using C = BoardKeyCommand;
using VirtualKey::letter;

BoardKeyAction act(C command, int32_t dx = 0, int32_t dy = 0) { return {command, {dx, dy}}; }

TEST(BoardKeysTest, ArrowsMoveTheMainCursorMirroredOnTheFlippedBoard) {
  struct Case {
    uint32_t vk;
    bool flipped;
    CursorStep step;
  };
  const std::vector<Case> cases = {
      {VirtualKey::Left, false, {-1, 0}}, {VirtualKey::Right, false, {1, 0}},
      {VirtualKey::Up, false, {0, -1}},   {VirtualKey::Down, false, {0, 1}},
      {VirtualKey::Left, true, {1, 0}},   {VirtualKey::Right, true, {-1, 0}},
      {VirtualKey::Up, true, {0, 1}},     {VirtualKey::Down, true, {0, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "vk " << c.vk << " flipped " << c.flipped);
    BoardKeySituation game{false, true, 1, c.flipped};
    EXPECT_EQ(BoardKeys::actionFor(c.vk, game), act(C::MoveMainCursor, c.step.dx, c.step.dy));
    BoardKeySituation review{true, false, 0, c.flipped};
    EXPECT_EQ(BoardKeys::actionFor(c.vk, review), act(C::MoveMainCursor, c.step.dx, c.step.dy));
  }
}

TEST(BoardKeysTest, StepsOffTheBoardAreDropped) {
  struct Case {
    Position from;
    CursorStep step;
    std::optional<Position> to;
  };
  const std::vector<Case> cases = {
      {{0, 5}, {-1, 0}, std::nullopt}, {{8, 5}, {1, 0}, std::nullopt}, {{4, 0}, {0, -1}, std::nullopt},
      {{4, 9}, {0, 1}, std::nullopt},  {{0, 5}, {1, 0}, Position{1, 5}}, {{8, 9}, {0, -1}, Position{8, 8}},
      {{4, 5}, {0, 0}, Position{4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from.x << "," << c.from.y << " by " << c.step.dx << "," << c.step.dy);
    EXPECT_EQ(BoardKeys::stepCursor(c.from, c.step), c.to);
  }
}

TEST(BoardKeysTest, KeysDuringAGame) {
  struct Case {
    int32_t scheme;
    bool flipped;
    uint32_t vk;
    BoardKeyAction action;
  };
  const std::vector<Case> cases = {
      {1, false, VirtualKey::Return, act(C::SelectOrDropMain)},
      {1, false, VirtualKey::Escape, act(C::CancelSelection)},
      // Scheme 1 (ZXCV): only the vertical keys follow the flipped board.
      {1, false, letter('Z'), act(C::MovePlayer2Cursor, 1, 0)},
      {1, true, letter('Z'), act(C::MovePlayer2Cursor, 1, 0)},
      {1, false, letter('C'), act(C::MovePlayer2Cursor, -1, 0)},
      {1, true, letter('C'), act(C::MovePlayer2Cursor, -1, 0)},
      {1, false, letter('X'), act(C::MovePlayer2Cursor, 0, -1)},
      {1, true, letter('X'), act(C::MovePlayer2Cursor, 0, 1)},
      {1, false, letter('S'), act(C::MovePlayer2Cursor, 0, 1)},
      {1, true, letter('S'), act(C::MovePlayer2Cursor, 0, -1)},
      {1, false, letter('V'), act(C::SelectOrDropPlayer2)},
      {1, false, letter('W'), act(C::None)},
      {1, false, letter('A'), act(C::None)},
      {1, false, letter('F'), act(C::None)},
      // Scheme 2 (WASD), made for the player facing the screen from the other side.
      {2, false, letter('A'), act(C::MovePlayer2Cursor, 1, 0)},
      {2, true, letter('A'), act(C::MovePlayer2Cursor, 1, 0)},
      {2, false, letter('D'), act(C::MovePlayer2Cursor, -1, 0)},
      {2, false, letter('S'), act(C::MovePlayer2Cursor, 0, -1)},
      {2, true, letter('S'), act(C::MovePlayer2Cursor, 0, 1)},
      {2, false, letter('W'), act(C::MovePlayer2Cursor, 0, 1)},
      {2, true, letter('W'), act(C::MovePlayer2Cursor, 0, -1)},
      {2, false, letter('F'), act(C::SelectOrDropPlayer2)},
      {2, false, letter('Z'), act(C::None)},
      {2, false, letter('V'), act(C::None)},
      // No scheme yet: any player-2 letter only opens the chooser.
      {0, false, letter('A'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('C'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('D'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('F'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('S'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('V'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('W'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('X'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('Z'), act(C::ChoosePlayer2Scheme)},
      {0, false, letter('B'), act(C::None)},
      {0, false, VirtualKey::PageUp, act(C::None)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "scheme " << c.scheme << " flipped " << c.flipped << " vk " << c.vk);
    EXPECT_EQ(BoardKeys::actionFor(c.vk, {false, true, c.scheme, c.flipped}), c.action);
  }
}

TEST(BoardKeysTest, KeysWithNoGameAndInReview) {
  struct Case {
    bool review;
    int32_t scheme;
    uint32_t vk;
    BoardKeyAction action;
  };
  const std::vector<Case> cases = {
      {false, 1, VirtualKey::Return, act(C::PromptForGameMode)},
      {false, 1, VirtualKey::Up, act(C::PromptForGameMode)},
      {false, 0, letter('Z'), act(C::PromptForGameMode)},
      {false, 2, letter('F'), act(C::PromptForGameMode)},
      {false, 1, VirtualKey::Escape, act(C::CancelSelection)},
      {false, 1, VirtualKey::PageDown, act(C::None)},
      {false, 1, letter('B'), act(C::None)},
      {true, 1, VirtualKey::PageUp, act(C::ReviewPreviousStep)},
      {true, 1, VirtualKey::PageDown, act(C::ReviewNextStep)},
      {true, 1, letter('P'), act(C::ReviewJumpToStep)},
      {true, 1, VirtualKey::F1, act(C::ReviewJumpToStep)},
      {true, 1, VirtualKey::Escape, act(C::LeaveReview)},
      {true, 1, VirtualKey::Return, act(C::AnnounceMainCursorPiece)},
      {true, 1, letter('Z'), act(C::MovePlayer2Cursor, 1, 0)},
      {true, 1, letter('V'), act(C::AnnouncePlayer2CursorPiece)},
      {true, 2, letter('F'), act(C::AnnouncePlayer2CursorPiece)},
      {true, 2, letter('W'), act(C::MovePlayer2Cursor, 0, 1)},
      {true, 2, letter('V'), act(C::None)},
      {true, 0, letter('Z'), act(C::None)},
      {true, 0, letter('V'), act(C::None)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "review " << c.review << " scheme " << c.scheme << " vk " << c.vk);
    // Review keys apply whether or not a game is active behind the review.
    for (bool gameActive : {false, true}) {
      if (!c.review && gameActive) continue;
      EXPECT_EQ(BoardKeys::actionFor(c.vk, {c.review, gameActive, c.scheme, false}), c.action);
    }
  }
}

TEST(BoardKeysTest, SchemeChooserAnswers) {
  const Player2SchemeChoice yes = BoardKeys::schemeChoice(true);
  EXPECT_EQ(yes.scheme, 1);
  EXPECT_EQ(yes.statusText, L"已选择 zxcv 键盘方案");
  EXPECT_EQ(yes.logText, "Player2 key scheme: ZXCV");
  const Player2SchemeChoice no = BoardKeys::schemeChoice(false);
  EXPECT_EQ(no.scheme, 2);
  EXPECT_EQ(no.statusText, L"已选择 wasd 键盘方案");
  EXPECT_EQ(no.logText, "Player2 key scheme: WASD");
}

}  // namespace
}  // namespace Tavrune
