// The move list and the check test are built for speed; here they are compared with
// the plain definitions (every source, every target, the full legality test; every
// attacker asked in turn) on many positions, ordinary and strange.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "game/Board.h"

namespace Tavrune {
namespace {

std::vector<Move> referenceLegalMoves(const Board& board, PieceColor color) {
  std::vector<Move> moves;
  for (int fx = 0; fx < 9; ++fx) {
    for (int fy = 0; fy < 10; ++fy) {
      const PieceType piece = board.getPiece({fx, fy});
      if (getPieceColor(piece) != color) continue;
      for (int tx = 0; tx < 9; ++tx) {
        for (int ty = 0; ty < 10; ++ty) {
          const Move move{{fx, fy}, {tx, ty}, piece, board.getPiece({tx, ty})};
          if (board.isValidMoveImpl(move, true)) moves.push_back(move);
        }
      }
    }
  }
  return moves;
}

bool referenceInCheck(const Board& board, PieceColor color) {
  const PieceType king = color == RED ? RED_KING : BLACK_KING;
  Position kingAt;
  for (int x = 0; x < 9 && !kingAt.isValid(); ++x) {
    for (int y = 0; y < 10; ++y) {
      if (board.getPiece({x, y}) == king) {
        kingAt = {x, y};
        break;
      }
    }
  }
  if (!kingAt.isValid()) return false;
  for (int x = 0; x < 9; ++x) {
    for (int y = 0; y < 10; ++y) {
      if (getPieceColor(board.getPiece({x, y})) == otherColor(color) && board.canAttack({{x, y}, kingAt})) return true;
    }
  }
  return false;
}

void expectSameAsReference(const Board& board) {
  for (PieceColor color : {RED, BLACK}) {
    ASSERT_EQ(board.getLegalMoves(color), referenceLegalMoves(board, color)) << board.toFEN();
    ASSERT_EQ(board.isInCheck(color), referenceInCheck(board, color)) << board.toFEN();
  }
}

TEST(LegalMovesReference, GamesPlayedAtRandom) {
  std::mt19937 random(20240611);
  int positions = 0;
  for (int game = 0; game < 40; ++game) {
    Board board;
    board.setupInitialPosition();
    for (int ply = 0; ply < 120 && board.getGameState() == PLAYING; ++ply) {
      expectSameAsReference(board);
      ++positions;
      const std::vector<Move> moves = board.getLegalMoves(board.getCurrentPlayer());
      ASSERT_FALSE(moves.empty());  // a side without moves has already lost
      board.movePiece(moves[random() % moves.size()]);
    }
  }
  EXPECT_GT(positions, 1000);
}

// Pieces anywhere, any number of kings (none, one, several), either side to move:
// the fast paths must not rely on positions that ordinary play would produce.
TEST(LegalMovesReference, ArbitraryPlacements) {
  std::mt19937 random(7);
  for (int round = 0; round < 1500; ++round) {
    Board::Cells cells{};
    const int pieces = 2 + static_cast<int>(random() % 30);
    for (int i = 0; i < pieces; ++i) cells[random() % 90] = static_cast<int32_t>(1 + random() % 14);
    // Kings mostly in or near their palaces, where they interact with the other king.
    if (random() % 4 != 0) cells[(3 + random() % 3) * 10 + 7 + random() % 3] = RED_KING;
    if (random() % 4 != 0) cells[(3 + random() % 3) * 10 + random() % 3] = BLACK_KING;
    Board board;
    ASSERT_TRUE(board.setCells(cells));
    board.setCurrentPlayer(random() % 2 ? RED : BLACK);
    expectSameAsReference(board);
  }
}

TEST(LegalMovesReference, EndOfGameMatchesAnEmptyMoveList) {
  std::mt19937 random(99);
  for (int game = 0; game < 60; ++game) {
    Board board;
    board.setupInitialPosition();
    while (board.getGameState() == PLAYING && board.getFullmoveNumber() < 150) {
      const std::vector<Move> moves = board.getLegalMoves(board.getCurrentPlayer());
      const PieceColor mover = board.getCurrentPlayer();
      board.movePiece(moves[random() % moves.size()]);
      const bool noReply = board.getLegalMoves(board.getCurrentPlayer()).empty();
      EXPECT_EQ(board.getGameState() != PLAYING, noReply);
      if (noReply) {
        EXPECT_EQ(board.getGameState(), mover == RED ? RED_WIN : BLACK_WIN);
      }
    }
  }
}

}  // namespace
}  // namespace Tavrune
