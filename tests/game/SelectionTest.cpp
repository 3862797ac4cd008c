#include "game/SelectionController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/GameEngine.h"

namespace Tavrune {
namespace {

constexpr const char* OPENING_BLACK_TO_MOVE =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1";
// Red to move; the rook from (0, 9) to (0, 0) takes the Black rook with check.
constexpr const char* ROOK_CHECK = "r3k4/9/9/9/9/9/9/9/9/R2K5 w - - 0 1";

constexpr Position NONE_SELECTED{-1, -1};

struct SelectCase {
  const char* name;
  const char* fen;
  GameState state;
  GameMode mode;
  PieceColor player;
  bool primary;
  bool review;
  bool engineBusy;
  Position selection;
  Position cursor;
  SelectionResult::Code expected;
};

TEST(SelectionTest, CodesFollowTheFixedPrecedence) {
  const char* open = STANDARD_START_FEN;
  const char* blackToMove = OPENING_BLACK_TO_MOVE;
  const Position redRook{0, 9}, redKnight{1, 9}, blackRook{0, 0}, empty{4, 4};
  // clang-format off
  const std::vector<SelectCase> cases = {
    {"review answers the main cursor first", open, RED_WIN, MODE_PVE, RED, true, true, true, NONE_SELECTED, redRook, SelectionResult::None},
    {"review does not stop the second cursor", open, REVIEW, MODE_PVP, NONE, false, true, false, NONE_SELECTED, redRook, SelectionResult::GameOver},
    {"finished game", open, BLACK_WIN, MODE_PVP, NONE, true, false, false, redRook, empty, SelectionResult::GameOver},
    {"finished game, second cursor of an engine game", open, DRAW, MODE_PVE, NONE, false, false, false, NONE_SELECTED, redRook, SelectionResult::GameOver},
    {"engine game, second cursor", open, PLAYING, MODE_PVE, NONE, false, false, true, NONE_SELECTED, redRook, SelectionResult::BrowseOnly},
    {"engine thinking on its turn", blackToMove, PLAYING, MODE_PVE, RED, true, false, true, redRook, empty, SelectionResult::NotYourTurn},
    {"engine busy on the player's turn", open, PLAYING, MODE_PVE, RED, true, false, true, NONE_SELECTED, redRook, SelectionResult::PieceSelected},
    {"engine idle on its own turn", blackToMove, PLAYING, MODE_PVE, RED, true, false, false, NONE_SELECTED, blackRook, SelectionResult::WrongSide},
    {"empty point", open, PLAYING, MODE_PVP, NONE, true, false, false, NONE_SELECTED, empty, SelectionResult::EmptySquare},
    {"piece of the side not to move", open, PLAYING, MODE_PVP, NONE, true, false, false, NONE_SELECTED, blackRook, SelectionResult::WrongSide},
    {"own piece", open, PLAYING, MODE_PVP, NONE, true, false, false, NONE_SELECTED, redRook, SelectionResult::PieceSelected},
    {"another own piece moves the selection", open, PLAYING, MODE_PVP, NONE, true, false, false, redRook, redKnight, SelectionResult::PieceSelected},
    {"LAN Black, Red to move, Red piece", open, PLAYING, MODE_LAN, BLACK, true, false, false, NONE_SELECTED, redRook, SelectionResult::WrongSide},
    {"LAN Black, Red to move, Black piece", open, PLAYING, MODE_LAN, BLACK, true, false, false, NONE_SELECTED, blackRook, SelectionResult::WrongSide},
    {"LAN Black reselecting a Red piece", open, PLAYING, MODE_LAN, BLACK, true, false, false, redKnight, redRook, SelectionResult::WrongSide},
    {"leftover selection of the opponent's piece", open, PLAYING, MODE_LAN, BLACK, true, false, false, redRook, Position{0, 7}, SelectionResult::WrongSide},
    {"leftover selection of an empty point", open, PLAYING, MODE_LAN, RED, true, false, false, empty, Position{4, 5}, SelectionResult::IllegalMove},
    {"unreachable point", open, PLAYING, MODE_PVP, NONE, true, false, false, redRook, Position{2, 7}, SelectionResult::IllegalMove},
    {"move out of turn", blackToMove, PLAYING, MODE_PVP, NONE, true, false, false, redRook, Position{0, 7}, SelectionResult::IllegalMove},
    {"quiet move", open, PLAYING, MODE_PVP, NONE, true, false, false, redRook, Position{0, 7}, SelectionResult::Moved},
    {"player's move in an engine game", open, PLAYING, MODE_PVE, RED, true, false, false, redRook, Position{0, 8}, SelectionResult::Moved},
  };
  // clang-format on
  for (const SelectCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameEngine game;
    ASSERT_TRUE(game.newGameFromFEN(c.mode, c.fen));
    if (c.state != PLAYING) game.setGameState(c.state);
    const std::string fenBefore = game.getBoard().toFEN();

    const SelectionResult r = SelectionController::handleSelect(
        c.cursor, c.selection, game, c.engineBusy, c.mode, c.primary, c.review, c.player);
    EXPECT_EQ(r.code, c.expected);

    const bool moved = c.expected == SelectionResult::Moved;
    EXPECT_EQ(game.getMoveHistory().size(), moved ? 1u : 0u);
    if (!moved) {
      EXPECT_EQ(game.getBoard().toFEN(), fenBefore);
    }
    if (c.expected == SelectionResult::PieceSelected) {
      EXPECT_EQ(r.selected, c.cursor);
      EXPECT_EQ(r.selectedPiece, game.getBoard().getPiece(c.cursor));
    } else {
      EXPECT_EQ(r.selected, NONE_SELECTED);
      EXPECT_EQ(r.selectedPiece, EMPTY);
    }
    if (moved) {
      EXPECT_EQ(r.move.from, c.selection);
      EXPECT_EQ(r.move.to, c.cursor);
      EXPECT_EQ(r.move, game.getMoveHistory()[0]);
    } else {
      EXPECT_EQ(r.move, Move{});
      EXPECT_FALSE(r.givesCheck);
    }
  }
}

TEST(SelectionTest, MovesReportCapturesAndCheck) {
  GameEngine game;
  game.newGame(MODE_PVP);
  SelectionResult r = SelectionController::handleSelect({7, 0}, {7, 7}, game, false, MODE_PVP,
                                                        true, false, NONE);
  ASSERT_EQ(r.code, SelectionResult::Moved);
  EXPECT_EQ(r.move, (Move{{7, 7}, {7, 0}, RED_CANNON, BLACK_KNIGHT}));
  EXPECT_FALSE(r.givesCheck);

  ASSERT_TRUE(game.newGameFromFEN(MODE_LAN, ROOK_CHECK));
  r = SelectionController::handleSelect({0, 0}, {0, 9}, game, false, MODE_LAN, true, false, RED);
  ASSERT_EQ(r.code, SelectionResult::Moved);
  EXPECT_EQ(r.move.captured, BLACK_ROOK);
  EXPECT_TRUE(r.givesCheck);
}

}  // namespace
}  // namespace Tavrune
