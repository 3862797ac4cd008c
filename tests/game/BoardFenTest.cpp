#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Board.h"

namespace Tavrune {
namespace {

TEST(BoardFen, StandardOpeningRoundTripsByteForByte) {
  Board read;
  ASSERT_TRUE(read.fromFEN(STANDARD_START_FEN));
  Board setUp;
  setUp.setupInitialPosition();
  EXPECT_EQ(read.getCells(), setUp.getCells());
  EXPECT_EQ(read.getCurrentPlayer(), RED);
  EXPECT_EQ(read.getHalfmoveClock(), 0);
  EXPECT_EQ(read.getFullmoveNumber(), 1);
  EXPECT_EQ(read.toFEN(), STANDARD_START_FEN);
  EXPECT_EQ(setUp.toFEN(), STANDARD_START_FEN);
  EXPECT_EQ(std::string(STANDARD_START_FEN).size(), 69u);
}

TEST(BoardFen, WriterOutputReadsBackToTheSameBoard) {
  const std::vector<std::string> fens = {
      "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1",
      "3k5/9/9/9/9/9/9/9/9/4K4 b - - 17 42",
      "9/9/9/9/9/9/9/9/9/9 w - - 0 1",
      "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 1000000000 1000000000",
  };
  for (const std::string& fen : fens) {
    Board board;
    ASSERT_TRUE(board.fromFEN(fen)) << fen;
    EXPECT_EQ(board.toFEN(), fen);
    Board again;
    ASSERT_TRUE(again.fromFEN(board.toFEN()));
    EXPECT_EQ(again.getCells(), board.getCells());
    EXPECT_EQ(again.getCurrentPlayer(), board.getCurrentPlayer());
  }
}

struct AcceptedFen {
  const char* fen;
  PieceColor side;
  int32_t halfmove;
  int32_t fullmove;
  const char* written;  // what toFEN gives back
};

TEST(BoardFen, AcceptedFormsAndTheirClocks) {
  const AcceptedFen cases[] = {
      {"4k4/9/9/9/9/9/9/9/9/4K4 b", BLACK, 0, 1, "4k4/9/9/9/9/9/9/9/9/4K4 b - - 0 1"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 12 34", RED, 12, 34, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 12 34"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 12", RED, 12, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 12 1"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - -", RED, 0, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w ", RED, 0, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1"},
      // The side word is judged by its first letter only.
      {"4k4/9/9/9/9/9/9/9/9/4K4 white - - 3 4", RED, 3, 4, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 3 4"},
      // "." is an empty point and may be mixed with digits.
      {"....k..../9/9/9/9/9/9/9/9/3.K...1 w - - 0 1", RED, 0, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1"},
      // Placeholder contents are not examined; separators may be any whitespace.
      {"4k4/9/9/9/9/9/9/9/9/4K4 b x y\t5  6", BLACK, 5, 6, "4k4/9/9/9/9/9/9/9/9/4K4 b - - 5 6"},
      // An unreadable clock stops reading and keeps its default.
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - x 9", RED, 0, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 7 x", RED, 7, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 7 1"},
      // Clocks are held in a bounded range: no overflow, no negative counts.
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 99999999999 99999999999", RED, 1000000000, 1000000000,
       "4k4/9/9/9/9/9/9/9/9/4K4 w - - 1000000000 1000000000"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 2147483648 4294967297", RED, 1000000000, 1000000000,
       "4k4/9/9/9/9/9/9/9/9/4K4 w - - 1000000000 1000000000"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - -5 -7", RED, 0, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 0", RED, 0, 1, "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 123456789012345678901234567890 5", RED, 0, 1,
       "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1"},
  };
  for (const AcceptedFen& c : cases) {
    Board board;
    ASSERT_TRUE(board.fromFEN(c.fen)) << c.fen;
    EXPECT_EQ(board.getCurrentPlayer(), c.side) << c.fen;
    EXPECT_EQ(board.getHalfmoveClock(), c.halfmove) << c.fen;
    EXPECT_EQ(board.getFullmoveNumber(), c.fullmove) << c.fen;
    EXPECT_EQ(board.getPiece({4, 0}), BLACK_KING) << c.fen;
    EXPECT_EQ(board.getPiece({4, 9}), RED_KING) << c.fen;
    EXPECT_EQ(board.toFEN(), c.written) << c.fen;
  }
}

TEST(BoardFen, MalformedFormsAreRefused) {
  const std::string rows = "4k4/9/9/9/9/9/9/9/9/4K4";
  const std::vector<std::string> refused = {
      "",
      rows,                                      // no space
      " w - - 0 1",                              // empty placement
      "4k4/9/9/9/9/9/9/9/9/4K3 w - - 0 1",       // a row of eight
      "4k4/9/9/9/9/9/9/9/9/4K5 w - - 0 1",       // a row of ten by digits
      "4k4/9/9/9/9/9/9/9/9/4K4R w - - 0 1",      // a row of ten by a letter
      "4k4r/9/9/9/9/9/9/9/9/4K4 w - - 0 1",      // ... in the first row, right before the side field
      "4k4/9/9/9/9/9/9/9/9/4K4/9 w - - 0 1",     // eleven rows
      "4k4/9/9/9/9/9/9/9/4K4 w - - 0 1",         // nine rows
      "4k4/9/9/9/9/9/9/9/9/4K4/ w - - 0 1",      // trailing separator
      "/4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1",      // leading separator
      "4k4//9/9/9/9/9/9/9/4K4 w - - 0 1",        // empty row
      "4k4/9/9/9/0/9/9/9/9/4K4 w - - 0 1",       // digit zero
      "4k4/9/9/9/55/9/9/9/9/4K4 w - - 0 1",      // two digits sum past nine
      "4k4/9/9/9/9/x8/9/9/9/4K4 w - - 0 1",      // unknown letter
      "4k4/9/9/9/9/9/9/9/9/4K4 W - - 0 1",       // upper-case side
      "4k4/9/9/9/9/9/9/9/9/4K4 r - - 0 1",       // r for Red
      "4k4/9/9/9/9/9/9/9/9/4K4  w - - 0 1",      // second space before the side
      rows + " ",                                // nothing after the space
      std::string("4k4/9/9/9/9/9/9/9/9/4K") + '\0' + "3 w - - 0 1",  // NUL is no piece
      "4k4/9/9/9/9/9/9/9/9/4K4\tw - - 0 1",      // the placement ends at a space only
  };
  for (const std::string& fen : refused) {
    Board board;
    board.setupInitialPosition();
    board.setCurrentPlayer(BLACK);
    board.pushState();
    EXPECT_FALSE(board.fromFEN(fen)) << "accepted: " << fen;
    // Not the previous position: cleared (perhaps partly filled), Red to move.
    EXPECT_EQ(board.getCurrentPlayer(), RED) << fen;
    EXPECT_EQ(board.getGameState(), PLAYING) << fen;
    EXPECT_EQ(board.getHalfmoveClock(), 0) << fen;
    EXPECT_EQ(board.getFullmoveNumber(), 1) << fen;
    EXPECT_EQ(board.historySize(), 0u) << fen;
    EXPECT_EQ(board.getPiece({0, 9}), EMPTY) << fen;
  }
}

TEST(BoardFen, WrongSideLeavesTheWholePlacement) {
  Board board;
  EXPECT_FALSE(board.fromFEN("4k4/9/9/9/9/9/9/9/9/3AK4 x - - 0 1"));
  EXPECT_EQ(board.getPiece({4, 0}), BLACK_KING);
  EXPECT_EQ(board.getPiece({3, 9}), RED_ADVISOR);
  EXPECT_EQ(board.getPiece({4, 9}), RED_KING);
}

TEST(BoardState, NewAndClearedBoardsAreEmptyWithRedToMove) {
  Board board;
  for (int32_t code : board.getCells()) EXPECT_EQ(code, EMPTY);
  board.setupInitialPosition();
  board.setCurrentPlayer(BLACK);
  board.setGameState(RED_WIN);
  board.pushState();
  board.clear();
  for (int32_t code : board.getCells()) EXPECT_EQ(code, EMPTY);
  EXPECT_EQ(board.getCurrentPlayer(), RED);
  EXPECT_EQ(board.getGameState(), PLAYING);
  EXPECT_EQ(board.historySize(), 0u);
  EXPECT_EQ(board.toFEN(), "9/9/9/9/9/9/9/9/9/9 w - - 0 1");
}

TEST(BoardState, CellsAreStoredFileByFile) {
  Board board;
  board.setPiece({2, 7}, RED_CANNON);
  EXPECT_EQ(board.getCells()[2 * 10 + 7], RED_CANNON);
  Board::Cells cells{};
  cells[8 * 10 + 1] = BLACK_ADVISOR;
  ASSERT_TRUE(board.setCells(cells));
  EXPECT_EQ(board.getPiece({8, 1}), BLACK_ADVISOR);
  EXPECT_EQ(board.getPiece({2, 7}), EMPTY);
}

TEST(BoardState, OffBoardPointsAndBadCodesAreHarmless) {
  Board board;
  board.setupInitialPosition();
  const Board::Cells before = board.getCells();
  for (Position p : {Position(-1, 0), Position(9, 0), Position(0, 10), Position(0, -1), Position(-1, -1)}) {
    EXPECT_EQ(board.getPiece(p), EMPTY);
    board.setPiece(p, RED_ROOK);
  }
  board.setPiece({4, 4}, static_cast<PieceType>(15));
  board.setPiece({4, 4}, static_cast<PieceType>(-1));
  EXPECT_EQ(board.getCells(), before);

  for (int32_t bad : {-1, 15, 1000}) {
    Board::Cells cells{};
    cells[45] = bad;
    EXPECT_FALSE(board.setCells(cells));
    EXPECT_EQ(board.getCells(), before);
  }
  board.setCurrentPlayer(BLACK);
  EXPECT_EQ(board.toFEN(), "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1");
}

TEST(BoardState, UndoRestoresCellsAndClocksAndFlipsTheSide) {
  Board board;
  ASSERT_TRUE(board.fromFEN("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 3 7"));
  board.setGameState(DRAW);
  board.pushState();
  board.movePiece({{1, 7}, {4, 7}});
  board.setGameState(DRAW);
  EXPECT_EQ(board.getCurrentPlayer(), BLACK);
  EXPECT_EQ(board.getHalfmoveClock(), 4);
  board.popState();
  EXPECT_EQ(board.toFEN(), "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 3 7");
  EXPECT_EQ(board.getGameState(), DRAW);
  EXPECT_EQ(board.historySize(), 0u);
  board.popState();  // empty history: nothing at all changes
  EXPECT_EQ(board.getCurrentPlayer(), RED);
  EXPECT_EQ(board.getHalfmoveClock(), 3);
}

TEST(BoardState, CopiesAreIndependent) {
  Board board;
  board.setupInitialPosition();
  board.pushState();
  Board copy = board;
  copy.movePiece({{1, 7}, {4, 7}});
  copy.pushState();
  EXPECT_EQ(board.toFEN(), STANDARD_START_FEN);
  EXPECT_EQ(board.historySize(), 1u);
  EXPECT_EQ(copy.historySize(), 2u);
}

}  // namespace
}  // namespace Tavrune
