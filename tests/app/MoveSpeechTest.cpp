// What the window says about moves and points.
#include <gtest/gtest.h>

#include "app/MoveSpeech.h"
#include "game/Board.h"

namespace Tavrune {
namespace {

const char kOpening[] = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

Move move(int fx, int fy, int tx, int ty, PieceType piece, PieceType captured = EMPTY) {
  Move m;
  m.from = {fx, fy};
  m.to = {tx, ty};
  m.piece = piece;
  m.captured = captured;
  return m;
}

TEST(MoveSpeechTest, PlayedMoves) {
  Board board;
  ASSERT_TRUE(board.fromFEN(kOpening));
  struct Case {
    Move move;
    bool check;
    bool professional;
    std::wstring expected;
  };
  const Case cases[] = {
      {move(7, 7, 4, 7, RED_CANNON), false, false, L"红炮 2 2 到 5 2"},
      {move(7, 7, 4, 7, RED_CANNON), true, false, L"红炮 2 2 到 5 2，将军！"},
      // A Black piece is described from Black's side: file x + 1, rank y.
      {move(7, 2, 4, 2, BLACK_CANNON), false, false, L"黑炮 8 2 到 5 2"},
      {move(1, 7, 1, 0, RED_CANNON, BLACK_KNIGHT), false, false, L"红炮 8 2 到 8 9 吃 黑马"},
      {move(1, 7, 1, 0, RED_CANNON, BLACK_KNIGHT), true, false, L"红炮 8 2 到 8 9 吃 黑马，将军！"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MoveSpeech::playedMove(c.move, board, c.check, c.professional), c.expected);
  }
}

TEST(MoveSpeechTest, ProfessionalNotationAfterTheMove) {
  // The window speaks a move after the game played it: the board already shows it.
  Board board;
  ASSERT_TRUE(board.fromFEN("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1"));
  const Move played = move(7, 7, 4, 7, RED_CANNON);
  EXPECT_EQ(MoveSpeech::playedMove(played, board, false, true), L"红炮2平5");
  EXPECT_EQ(MoveSpeech::playedMove(played, board, true, true), L"红炮2平5，将军！");
}

TEST(MoveSpeechTest, ReviewMovesCarryNoCheckSuffix) {
  Board board;
  ASSERT_TRUE(board.fromFEN(kOpening));
  EXPECT_EQ(MoveSpeech::reviewMove(move(7, 7, 4, 7, RED_CANNON), RED, board, false), L"红炮 2 2 到 5 2");
  EXPECT_EQ(MoveSpeech::reviewMove(move(1, 7, 1, 0, RED_CANNON, BLACK_KNIGHT), RED, board, false),
            L"红炮 8 2 到 8 9 吃 黑马");
}

TEST(MoveSpeechTest, MoverColourFromThePiece) {
  EXPECT_EQ(MoveSpeech::moverColor(move(0, 0, 0, 1, RED_ROOK)), RED);
  EXPECT_EQ(MoveSpeech::moverColor(move(0, 0, 0, 1, RED_PAWN)), RED);
  EXPECT_EQ(MoveSpeech::moverColor(move(0, 0, 0, 1, BLACK_ROOK)), BLACK);
  EXPECT_EQ(MoveSpeech::moverColor(move(0, 0, 0, 1, BLACK_PAWN)), BLACK);
  EXPECT_EQ(MoveSpeech::moverColor(move(0, 0, 0, 1, EMPTY)), NONE);
  EXPECT_EQ(MoveSpeech::moverColor(move(0, 0, 0, 1, static_cast<PieceType>(15))), NONE);
}

TEST(MoveSpeechTest, PieceAtAPoint) {
  EXPECT_EQ(MoveSpeech::pieceAt({0, 9}, RED_ROOK, RED), L"红车 9 0");
  EXPECT_EQ(MoveSpeech::pieceAt({0, 9}, RED_ROOK, BLACK), L"红车 1 9");
  EXPECT_EQ(MoveSpeech::pieceAt({4, 5}, EMPTY, RED), L"5 4");
}

}  // namespace
}  // namespace Tavrune
