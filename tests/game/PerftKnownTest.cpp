#include <gtest/gtest.h>

#include <algorithm>

#include "game/Board.h"
#include "game/Perft.h"

namespace Tavrune {
namespace {

using Test::loadPerftPositions;
using Test::perft;

struct KnownPerft {
  const char* fen;
  uint64_t counts[3];  // depths 1, 2, 3
};

// Published counts; they hold in every build, also where no oracle engine can run.
TEST(PerftKnown, PublishedCounts) {
  const KnownPerft cases[] = {
      {STANDARD_START_FEN, {44, 1920, 79666}},
      {"r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1", {38, 1128, 43929}},
  };
  for (const KnownPerft& c : cases) {
    Board board;
    ASSERT_TRUE(board.fromFEN(c.fen));
    for (int depth = 1; depth <= 3; ++depth) {
      EXPECT_EQ(perft(board, depth), c.counts[depth - 1]) << c.fen << " depth " << depth;
    }
  }
}

// The oracle's positions must be ones a game can reach: both kings on the board, and
// the side that has just moved not left in check.
TEST(PerftKnown, DataFilePositionsAreSound) {
  const auto positions = loadPerftPositions();
  ASSERT_GE(positions.size(), 30u);
  for (const auto& position : positions) {
    Board board;
    ASSERT_TRUE(board.fromFEN(position.fen)) << position.fen;
    EXPECT_EQ(board.toFEN(), position.fen) << position.note;
    const Board::Cells cells = board.getCells();
    EXPECT_EQ(std::count(cells.begin(), cells.end(), RED_KING), 1) << position.fen;
    EXPECT_EQ(std::count(cells.begin(), cells.end(), BLACK_KING), 1) << position.fen;
    EXPECT_FALSE(board.isInCheck(otherColor(board.getCurrentPlayer()))) << position.note << ": " << position.fen;
    EXPECT_FALSE(position.note.empty()) << position.fen;
  }
}

}  // namespace
}  // namespace Tavrune
