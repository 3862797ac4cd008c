#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Board.h"

namespace Tavrune {
namespace {

Board boardFrom(const std::string& fen) {
  Board board;
  EXPECT_TRUE(board.fromFEN(fen)) << fen;
  return board;
}

struct MoveCase {
  const char* fen;
  Position from;
  Position to;
  bool legal;
  const char* why;
};

// isValidMove on hand-made positions, grouped by the rule they exercise.
TEST(Rules, MoveLegalityTable) {
  const char* knight = "5k3/9/9/4p4/4N4/9/9/9/9/3K5 w - - 0 1";
  const char* elephant = "3k5/9/9/9/9/2B6/9/9/7N1/4K1B2 w - - 0 1";
  const char* blackElephant = "3k5/9/9/9/2b6/9/9/9/9/4K4 b - - 0 1";
  const char* advisor = "3k5/9/9/9/9/9/9/5A3/9/3AK4 w - - 0 1";
  const char* facing = "3k5/9/9/9/9/9/9/9/9/4K4 w - - 0 1";
  const char* facingBlack = "3k5/9/9/9/9/9/9/9/9/4K4 b - - 0 1";
  const char* pinnedKnight = "4k4/9/9/9/9/4N4/9/9/9/4K4 w - - 0 1";
  const char* pinnedRook = "4k4/9/9/9/1r2R4/9/9/9/4K4/9 w - - 0 1";
  const char* cannon = "1r3k3/9/9/1n7/9/1p7/9/1C7/9/4K4 w - - 0 1";
  const char* twoScreens = "3k5/9/4c4/9/9/4R4/9/4N4/9/4K4 w - - 0 1";
  const char* rook = "3k5/9/2p6/9/9/2R2P3/9/9/9/4K4 w - - 0 1";
  const char* redPawns = "3k2P2/9/9/9/4P4/9/2P6/9/9/4K4 w - - 0 1";
  const char* blackPawns = "3k5/9/9/2p6/9/4p4/9/9/9/4K4 b - - 0 1";
  const char* exposed = "5k3/3r5/4r4/9/9/9/4R4/9/9/4K4 w - - 0 1";
  const char* inCheck = "3k5/4r4/9/9/9/R8/9/9/9/4K4 w - - 0 1";

  const MoveCase cases[] = {
      // Knight: the leg point one step along the long axis must be empty.
      {knight, {4, 4}, {3, 2}, false, "leg (4,3) blocked"},
      {knight, {4, 4}, {5, 2}, false, "leg (4,3) blocked"},
      {knight, {4, 4}, {2, 3}, true, "leg (3,4) open"},
      {knight, {4, 4}, {6, 3}, true, "leg (5,4) open"},
      {knight, {4, 4}, {2, 5}, true, "leg (3,4) open"},
      {knight, {4, 4}, {6, 5}, true, "leg (5,4) open"},
      {knight, {4, 4}, {3, 6}, true, "leg (4,5) open"},
      {knight, {4, 4}, {5, 6}, true, "leg (4,5) open"},
      {knight, {4, 4}, {4, 3}, false, "not a knight's jump"},
      {knight, {4, 4}, {6, 6}, false, "not a knight's jump"},
      // Elephant: two diagonal steps, eye empty, never across the river.
      {elephant, {6, 9}, {8, 7}, false, "eye (7,8) blocked"},
      {elephant, {6, 9}, {4, 7}, true, "eye open"},
      {elephant, {2, 5}, {0, 3}, false, "across the river"},
      {elephant, {2, 5}, {4, 3}, false, "across the river"},
      {elephant, {2, 5}, {4, 7}, true, "back from the river bank"},
      {elephant, {2, 5}, {0, 7}, true, "back from the river bank"},
      {elephant, {6, 9}, {6, 7}, false, "straight"},
      {elephant, {6, 9}, {5, 8}, false, "one step"},
      {blackElephant, {2, 4}, {4, 6}, false, "Black across the river"},
      {blackElephant, {2, 4}, {0, 6}, false, "Black across the river"},
      {blackElephant, {2, 4}, {4, 2}, true, "Black on its own side"},
      {blackElephant, {2, 4}, {0, 2}, true, "Black on its own side"},
      // Advisor and king stay in the palace.
      {advisor, {3, 9}, {4, 8}, true, "diagonal in the palace"},
      {advisor, {5, 7}, {4, 8}, true, "diagonal in the palace"},
      {advisor, {5, 7}, {6, 6}, false, "out of the palace"},
      {advisor, {5, 7}, {4, 6}, false, "out of the palace"},
      {advisor, {5, 7}, {5, 6}, false, "orthogonal"},
      {advisor, {4, 9}, {4, 8}, true, "king steps forward"},
      {advisor, {4, 9}, {5, 9}, true, "king steps sideways"},
      {advisor, {4, 9}, {3, 8}, false, "king diagonal"},
      {advisor, {4, 9}, {4, 7}, false, "king two steps"},
      {advisor, {4, 9}, {3, 9}, false, "own advisor there"},
      // Kings may not face each other on an open file.
      {facing, {4, 9}, {3, 9}, false, "king steps onto the open file"},
      {facing, {4, 9}, {5, 9}, true, "other file"},
      {facing, {4, 9}, {4, 8}, true, "stays on its file"},
      {facingBlack, {3, 0}, {4, 0}, false, "Black king steps onto the open file"},
      {facingBlack, {3, 0}, {3, 1}, true, "stays on its file"},
      {facingBlack, {3, 0}, {2, 0}, false, "out of the palace"},
      {pinnedKnight, {4, 5}, {3, 3}, false, "lone piece between kings"},
      {pinnedKnight, {4, 5}, {6, 4}, false, "lone piece between kings"},
      {pinnedKnight, {4, 5}, {5, 7}, false, "lone piece between kings"},
      {pinnedKnight, {4, 9}, {3, 9}, true, "the king itself may step aside"},
      {pinnedRook, {4, 4}, {1, 4}, false, "capture that leaves the file"},
      {pinnedRook, {4, 4}, {4, 1}, true, "stays on the file"},
      {pinnedRook, {4, 4}, {4, 6}, true, "stays on the file"},
      // Cannon: quiet along an empty line, captures over exactly one screen.
      {cannon, {1, 7}, {1, 6}, true, "quiet step"},
      {cannon, {1, 7}, {1, 5}, false, "capture without a screen"},
      {cannon, {1, 7}, {1, 4}, false, "quiet move past a piece"},
      {cannon, {1, 7}, {1, 3}, true, "capture over one screen"},
      {cannon, {1, 7}, {1, 0}, false, "capture over two screens"},
      {cannon, {1, 7}, {0, 7}, true, "quiet along the row"},
      {cannon, {1, 7}, {8, 7}, true, "quiet along the row"},
      {cannon, {1, 7}, {1, 9}, true, "quiet backwards"},
      {cannon, {1, 7}, {2, 6}, false, "diagonal"},
      {twoScreens, {4, 5}, {0, 5}, false, "leaving one screen gives cannon check"},
      {twoScreens, {4, 7}, {2, 6}, false, "leaving one screen gives cannon check"},
      {twoScreens, {4, 5}, {4, 3}, true, "still two screens"},
      {twoScreens, {4, 5}, {4, 2}, true, "captures the cannon"},
      // Rook: any distance along a clear line.
      {rook, {2, 5}, {2, 2}, true, "capture"},
      {rook, {2, 5}, {2, 1}, false, "past a piece"},
      {rook, {2, 5}, {4, 5}, true, "quiet"},
      {rook, {2, 5}, {5, 5}, false, "own piece"},
      {rook, {2, 5}, {6, 5}, false, "past own piece"},
      {rook, {2, 5}, {2, 9}, true, "down to the edge"},
      {rook, {2, 5}, {3, 4}, false, "diagonal"},
      // Pawns: forward only before the river, forward or sideways after, never back.
      {redPawns, {2, 6}, {2, 5}, true, "forward"},
      {redPawns, {2, 6}, {1, 6}, false, "sideways before the river"},
      {redPawns, {2, 6}, {2, 7}, false, "backwards"},
      {redPawns, {4, 4}, {4, 3}, true, "forward across the river"},
      {redPawns, {4, 4}, {3, 4}, true, "sideways across the river"},
      {redPawns, {4, 4}, {5, 4}, true, "sideways across the river"},
      {redPawns, {4, 4}, {4, 5}, false, "backwards"},
      {redPawns, {4, 4}, {3, 3}, false, "diagonal"},
      {redPawns, {6, 0}, {5, 0}, true, "sideways on the last row"},
      {redPawns, {6, 0}, {7, 0}, true, "sideways on the last row"},
      {redPawns, {6, 0}, {6, 1}, false, "backwards from the last row"},
      {blackPawns, {2, 3}, {2, 4}, true, "Black forward"},
      {blackPawns, {2, 3}, {1, 3}, false, "Black sideways before the river"},
      {blackPawns, {2, 3}, {2, 2}, false, "Black backwards"},
      {blackPawns, {4, 5}, {4, 6}, true, "Black forward across the river"},
      {blackPawns, {4, 5}, {3, 5}, true, "Black sideways across the river"},
      {blackPawns, {4, 5}, {4, 4}, false, "Black backwards"},
      // The mover's own king may not be left attacked.
      {exposed, {4, 6}, {0, 6}, false, "uncovers the king"},
      {exposed, {4, 6}, {4, 2}, true, "captures the attacker"},
      {exposed, {4, 6}, {4, 4}, true, "stays in the line"},
      {exposed, {4, 9}, {3, 9}, false, "king steps onto an attacked file"},
      {exposed, {4, 9}, {5, 9}, false, "king steps onto the other king's file"},
      {exposed, {4, 9}, {4, 8}, true, "king stays covered"},
      {inCheck, {0, 5}, {0, 6}, false, "ignores the check"},
      {inCheck, {0, 5}, {4, 5}, true, "blocks the check"},
      {inCheck, {4, 9}, {4, 8}, false, "still in the rook's line"},
      {inCheck, {4, 9}, {5, 9}, true, "steps out of the line"},
      {inCheck, {4, 9}, {3, 9}, false, "steps into facing the other king"},
      // Turn, emptiness and identity.
      {knight, {5, 0}, {5, 1}, false, "not Black's turn"},
      {knight, {4, 5}, {4, 6}, false, "no piece on the source"},
      {knight, {4, 4}, {4, 4}, false, "source is target"},
      {knight, {4, 4}, {4, 3}, false, "not a knight's jump"},
  };
  for (const MoveCase& c : cases) {
    const Board board = boardFrom(c.fen);
    const Move move{c.from, c.to};
    EXPECT_EQ(board.isValidMove(move), c.legal)
        << c.why << ": (" << c.from.x << "," << c.from.y << ")->(" << c.to.x << "," << c.to.y << ") in " << c.fen;
    // The legal-move list must agree with the single-move test.
    bool listed = false;
    for (const Move& m : board.getLegalMoves(board.getCurrentPlayer())) listed |= m.from == c.from && m.to == c.to;
    EXPECT_EQ(listed, c.legal) << c.why << " (move list) in " << c.fen;
  }
}

// The king's own rule judges facing before the move, also for a step right next to
// the other king; positions like these only arise from set-up or unchecked moves.
TEST(Rules, KingStepFacingTestBeforeTheMove) {
  const Board board = boardFrom("9/9/9/9/9/9/4k4/9/4K4/9 w - - 0 1");
  EXPECT_FALSE(board.isValidKingMove({4, 8}, {4, 7}, RED));   // adjacent on one file
  EXPECT_TRUE(board.isValidKingMove({4, 8}, {3, 8}, RED));    // other file
  const Board screened = boardFrom("9/9/9/9/4k4/9/4P4/9/3K5/9 w - - 0 1");
  EXPECT_TRUE(screened.isValidKingMove({3, 8}, {4, 8}, RED));  // a piece between
  EXPECT_FALSE(screened.isValidKingMove({3, 8}, {3, 6}, RED)); // two steps
}

TEST(Rules, TurnTestIsOptional) {
  const Board board = boardFrom(STANDARD_START_FEN);
  const Move blackPawn{{0, 3}, {0, 4}};
  EXPECT_FALSE(board.isValidMove(blackPawn));
  EXPECT_TRUE(board.isValidMoveIgnoringTurn(blackPawn));
  EXPECT_TRUE(board.isValidMoveImpl(blackPawn, false));
  EXPECT_FALSE(board.isValidMoveIgnoringTurn({{0, 3}, {0, 5}}));
}

TEST(Rules, OffBoardMovesAreRefused) {
  const Board board = boardFrom(STANDARD_START_FEN);
  for (const Move& m : {Move{{-1, 9}, {0, 8}}, Move{{0, 9}, {0, 10}}, Move{{9, 0}, {8, 0}}, Move{{0, 0}, {0, -1}}}) {
    EXPECT_FALSE(board.isValidMove(m));
    EXPECT_FALSE(board.isValidMoveIgnoringTurn(m));
    EXPECT_FALSE(board.canAttack(m));
  }
  EXPECT_FALSE(board.isValidRookMove({0, 9}, {0, 10}));
  EXPECT_FALSE(board.isValidKnightMove({-1, 9}, {1, 8}));
}

struct CheckCase {
  const char* fen;
  bool redInCheck;
  bool blackInCheck;
  const char* why;
};

TEST(Rules, CheckTable) {
  const CheckCase cases[] = {
      {"3k5/9/4c4/9/9/9/4P4/9/9/4K4 w - - 0 1", true, false, "cannon over one screen"},
      {"3k5/9/4c4/9/9/9/9/9/9/4K4 w - - 0 1", false, false, "cannon without a screen"},
      {"3k5/9/4c4/9/9/9/4P4/4N4/9/4K4 w - - 0 1", false, false, "cannon over two screens"},
      {"3k5/9/9/9/9/9/9/3n5/9/4K4 w - - 0 1", true, false, "knight with an open leg"},
      {"3k5/9/9/9/9/9/9/3n5/4A4/4K4 w - - 0 1", true, false, "a piece beside the king is no knight's leg"},
      {"3k5/9/9/9/9/9/9/9/2nP5/4K4 w - - 0 1", false, false, "knight's leg blocked"},
      {"3k5/9/9/9/9/9/9/9/4p4/4K4 w - - 0 1", true, false, "pawn in front"},
      {"3k5/9/9/9/9/9/9/9/9/3pK4 w - - 0 1", true, false, "pawn beside, across the river"},
      {"3k5/9/9/9/9/9/9/9/4K4/4p4 w - - 0 1", false, false, "pawn behind"},
      {"3k5/4r4/9/9/9/9/9/9/9/4K4 w - - 0 1", true, false, "rook on an open file"},
      {"3k5/4r4/9/9/9/4P4/9/9/9/4K4 w - - 0 1", false, false, "rook blocked"},
      {"4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1", false, false, "facing kings are no check"},
      {"4k4/2N6/9/9/9/9/9/9/9/3K5 w - - 0 1", false, true, "Red knight on the Black king"},
      {"4R4/9/9/9/9/9/9/9/9/4K4 w - - 0 1", false, false, "no Black king"},
      {STANDARD_START_FEN, false, false, "opening"},
  };
  for (const CheckCase& c : cases) {
    const Board board = boardFrom(c.fen);
    EXPECT_EQ(board.isInCheck(RED), c.redInCheck) << c.why << ": " << c.fen;
    EXPECT_EQ(board.isInCheck(BLACK), c.blackInCheck) << c.why << ": " << c.fen;
  }
}

TEST(Rules, OpeningMoveListOrder) {
  const Board board = boardFrom(STANDARD_START_FEN);
  const std::vector<Move> moves = board.getLegalMoves(RED);
  ASSERT_EQ(moves.size(), 44u);
  EXPECT_EQ(moves[0], (Move{{0, 6}, {0, 5}, RED_PAWN, EMPTY}));
  EXPECT_EQ(moves[1], (Move{{0, 9}, {0, 7}, RED_ROOK, EMPTY}));
  EXPECT_EQ(moves[2], (Move{{0, 9}, {0, 8}, RED_ROOK, EMPTY}));
  // Sources file by file, then targets file by file.
  for (size_t i = 1; i < moves.size(); ++i) {
    const int previous = (moves[i - 1].from.x * 10 + moves[i - 1].from.y) * 100 + moves[i - 1].to.x * 10 + moves[i - 1].to.y;
    const int current = (moves[i].from.x * 10 + moves[i].from.y) * 100 + moves[i].to.x * 10 + moves[i].to.y;
    EXPECT_LT(previous, current);
  }
  EXPECT_TRUE(board.getLegalMoves(BLACK).empty());
  EXPECT_TRUE(board.getLegalMoves(NONE).empty());
}

TEST(Rules, CapturesAreListedWithTheCapturedPiece) {
  const Board board = boardFrom("1r3k3/9/9/1n7/9/1p7/9/1C7/9/4K4 w - - 0 1");
  bool found = false;
  for (const Move& m : board.getLegalMoves(RED)) {
    if (m.from == Position(1, 7) && m.to == Position(1, 3)) {
      EXPECT_EQ(m.piece, RED_CANNON);
      EXPECT_EQ(m.captured, BLACK_KNIGHT);
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

TEST(Rules, ClocksCountQuietMovesAndBlackMoves) {
  Board board = boardFrom(STANDARD_START_FEN);
  struct Step {
    Move move;
    int32_t halfmove;
    int32_t fullmove;
    PieceColor next;
  };
  const Step steps[] = {
      {{{1, 7}, {4, 7}}, 1, 1, BLACK},  // quiet cannon
      {{{1, 0}, {2, 2}}, 2, 2, RED},    // quiet knight; Black's move ends move 1
      {{{4, 6}, {4, 5}}, 0, 2, BLACK},  // pawn
      {{{7, 2}, {7, 9}}, 0, 3, RED},    // cannon takes the knight over the Red cannon
      {{{0, 9}, {0, 8}}, 1, 3, BLACK},  // quiet rook
  };
  for (const Step& s : steps) {
    board.movePiece(s.move);
    EXPECT_EQ(board.getHalfmoveClock(), s.halfmove);
    EXPECT_EQ(board.getFullmoveNumber(), s.fullmove);
    EXPECT_EQ(board.getCurrentPlayer(), s.next);
    EXPECT_EQ(board.getGameState(), PLAYING);
  }
}

TEST(Rules, ClocksStayBounded) {
  Board board = boardFrom("3k5/9/9/9/9/9/9/9/9/R3K4 b - - 99999999999 99999999999");
  const int32_t bound = board.getHalfmoveClock();
  ASSERT_EQ(board.getFullmoveNumber(), bound);
  board.movePiece({{3, 0}, {3, 1}});
  board.movePiece({{0, 9}, {0, 8}});
  EXPECT_EQ(board.getHalfmoveClock(), bound);
  EXPECT_EQ(board.getFullmoveNumber(), bound);
}

struct EndCase {
  const char* fen;
  Move move;
  GameState state;
  const char* why;
};

TEST(Rules, EndOfGameTable) {
  const EndCase cases[] = {
      {"3k5/8R/9/9/9/R8/9/9/9/4K4 w - - 0 1", {{0, 5}, {0, 0}}, RED_WIN, "Red checkmates"},
      {"3k5/9/8R/9/9/9/9/9/9/4K4 w - - 0 1", {{8, 2}, {8, 1}}, RED_WIN, "Red stalemates: still Red's win"},
      {"4k4/9/9/9/r8/9/9/9/r8/5K3 b - - 0 1", {{0, 4}, {0, 9}}, BLACK_WIN, "Black checkmates"},
      {"4k4/4R4/9/p8/9/9/9/9/9/3K5 w - - 0 1", {{4, 1}, {4, 0}}, RED_WIN, "Black king captured"},
      {"3k5/9/9/9/9/9/P8/9/4r4/4K4 b - - 0 1", {{4, 8}, {4, 9}}, BLACK_WIN, "Red king captured"},
      {"3k5/9/9/9/9/9/9/9/9/4K4 w - - 0 1", {{4, 9}, {4, 8}}, PLAYING, "Black can still move"},
  };
  for (const EndCase& c : cases) {
    Board board = boardFrom(c.fen);
    board.movePiece(c.move);
    EXPECT_EQ(board.getGameState(), c.state) << c.why;
  }
}

TEST(Rules, StalemateIsNotCheck) {
  Board board = boardFrom("3k5/9/8R/9/9/9/9/9/9/4K4 w - - 0 1");
  board.movePiece({{8, 2}, {8, 1}});
  EXPECT_FALSE(board.isInCheck(BLACK));
  EXPECT_TRUE(board.getLegalMoves(BLACK).empty());
  EXPECT_EQ(board.getGameState(), RED_WIN);
}

TEST(Rules, MovePieceIgnoresMovesThatAreNoMoves) {
  for (const Move& m : {Move{{9, 0}, {8, 0}}, Move{{0, 9}, {0, 10}}, Move{{0, 9}, {0, 9}}, Move{{4, 9}, {4, 9}}}) {
    Board board = boardFrom(STANDARD_START_FEN);
    board.movePiece(m);
    EXPECT_EQ(board.toFEN(), STANDARD_START_FEN);
    EXPECT_EQ(board.getGameState(), PLAYING);
  }
}

TEST(Rules, BoardWithoutKingsStillWorks) {
  Board board = boardFrom("9/9/9/9/9/9/9/9/9/R8 w - - 0 1");
  EXPECT_FALSE(board.isInCheck(RED));
  EXPECT_EQ(board.getLegalMoves(RED).size(), 17u);
  board.movePiece({{0, 9}, {0, 0}});
  // Black has nothing at all to move: Red wins.
  EXPECT_EQ(board.getGameState(), RED_WIN);
}

}  // namespace
}  // namespace Tavrune
