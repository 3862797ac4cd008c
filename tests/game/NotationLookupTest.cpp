#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/Notation.h"

namespace Tavrune {
namespace {

Board boardFrom(const std::string& fen) {
  Board board;
  EXPECT_TRUE(board.fromFEN(fen)) << fen;
  return board;
}

NotationQuery query(int32_t kind, int32_t mark, int32_t file, int32_t action, int32_t number) {
  return {kind, mark, file, action, number};
}

TEST(NotationLookupTest, QueriesFromThePlayersView) {
  using Q = NotationQuery;
  const Board opening = boardFrom(STANDARD_START_FEN);
  const Board blackToMove =
      boardFrom("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1");
  struct Case {
    const Board* board;
    PieceColor side;
    NotationQuery q;
    NotationMatch::Status status;
    Move move;
  };
  const Move none;
  const std::vector<Case> cases = {
      {&opening, RED, query(Q::Pawn, 0, 5, Q::Advance, 1), NotationMatch::Found,
       {{4, 6}, {4, 5}, RED_PAWN, EMPTY}},
      {&opening, RED, query(Q::Pawn, 0, 5, Q::Advance, 2), NotationMatch::NoMatch, none},
      {&opening, RED, query(0, 0, 5, Q::Advance, 1), NotationMatch::InvalidQuery, none},
      {&opening, RED, query(8, 0, 5, Q::Advance, 1), NotationMatch::InvalidQuery, none},
      {&opening, RED, query(Q::Pawn, 0, 5, Q::Advance, 0), NotationMatch::InvalidQuery, none},
      {&opening, RED, query(Q::Pawn, 0, 5, Q::Advance, 10), NotationMatch::InvalidQuery, none},
      {&opening, RED, query(Q::Pawn, 0, 0, Q::Advance, 1), NotationMatch::InvalidQuery, none},
      // With a mark the start file is not read; no file of the opening holds two pawns.
      {&opening, RED, query(Q::Pawn, Q::Front, 0, Q::Advance, 1), NotationMatch::NoMatch, none},
      {&blackToMove, BLACK, query(Q::Cannon, 0, 2, Q::Traverse, 5), NotationMatch::Found,
       {{1, 2}, {4, 2}, BLACK_CANNON, EMPTY}},
      // The start file names the knight.
      {&blackToMove, BLACK, query(Q::Knight, 0, 8, Q::Advance, 7), NotationMatch::Found,
       {{7, 0}, {6, 2}, BLACK_KNIGHT, EMPTY}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.q.pieceKind << " mark " << c.q.frontRear
                                    << " file " << c.q.startFile << " action " << c.q.action
                                    << " number " << c.q.number);
    const NotationMatch m = Notation::findMoveByNotation(*c.board, c.side, c.side, c.q);
    EXPECT_EQ(m.status, c.status);
    EXPECT_EQ(m.move, c.move);
  }
}

// Reads a traditional-notation text back into the query a keypad player would type.
std::optional<NotationQuery> queryFromText(std::wstring text) {
  const std::map<wchar_t, int32_t> kinds = {
      {L'帅', 1}, {L'将', 1}, {L'士', 2}, {L'相', 3}, {L'象', 3}, {L'马', 4},
      {L'车', 5}, {L'炮', 6}, {L'兵', 7}, {L'卒', 7}};
  const std::map<wchar_t, int32_t> actions = {{L'进', 0}, {L'退', 1}, {L'平', 2}};
  const size_t capture = text.find(L" 吃");
  if (capture != std::wstring::npos) text.resize(capture);

  NotationQuery q;
  size_t i = 0;
  if (text[i] == L'前' || text[i] == L'后') q.frontRear = text[i++] == L'前' ? 1 : 2;
  if (i + 4 > text.size() || !kinds.count(text[i + 1])) return std::nullopt;
  q.pieceKind = kinds.at(text[i + 1]);
  i += 2;
  if (q.frontRear == 0) q.startFile = text[i++] - L'0';
  if (!actions.count(text[i])) return std::nullopt;
  q.action = actions.at(text[i++]);
  if (i + 1 != text.size()) return std::nullopt;
  q.number = text[i] - L'0';
  return q;
}

struct Exception {
  Position from, to;
  NotationMatch::Status status;
  Move found;  // the move the lookup names when Found
};

// Every legal move's text, typed back, names that move, except where the lookup's own
// rules say otherwise; each such move is listed with the lookup's answer.
void checkRoundTrip(const std::string& fen, const std::vector<Exception>& exceptions) {
  SCOPED_TRACE(fen);
  const Board board = boardFrom(fen);
  const PieceColor side = board.getCurrentPlayer();
  const std::vector<Move> legal = board.getLegalMoves(side);
  ASSERT_FALSE(legal.empty());
  size_t exceptionsSeen = 0;
  for (const Move& move : legal) {
    const std::wstring text = Notation::moveToChinese(move, side, board);
    SCOPED_TRACE(testing::Message() << "(" << move.from.x << "," << move.from.y << ")->("
                                    << move.to.x << "," << move.to.y << ")");
    const std::optional<NotationQuery> q = queryFromText(text);
    ASSERT_TRUE(q.has_value());
    const NotationMatch m = Notation::findMoveByNotation(board, side, side, *q);

    const Exception* listed = nullptr;
    for (const Exception& e : exceptions) {
      if (e.from == move.from && e.to == move.to) listed = &e;
    }
    if (listed != nullptr) {
      ++exceptionsSeen;
      EXPECT_EQ(m.status, listed->status);
      if (listed->status == NotationMatch::Found) {
        EXPECT_EQ(m.move.from, listed->found.from);
        EXPECT_EQ(m.move.to, listed->found.to);
      }
      continue;
    }
    int32_t sameText = 0;
    for (const Move& other : legal) {
      sameText += Notation::moveToChinese(other, side, board) == text;
    }
    ASSERT_EQ(sameText, 1) << "texts shared by several moves must be listed";
    EXPECT_EQ(m.status, NotationMatch::Found);
    EXPECT_EQ(m.move, move);
  }
  EXPECT_EQ(exceptionsSeen, exceptions.size());
}

TEST(NotationLookupTest, TextsTypedBackNameTheirMoves) {
  checkRoundTrip(STANDARD_START_FEN, {});
  checkRoundTrip("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1", {});
  checkRoundTrip("r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1", {});
  // Two rooks and two knights on one file for each side.
  const std::string pairs = "4k4/2n5r/R8/2n6/9/6N2/R8/6N2/8r/3K5";
  checkRoundTrip(pairs + " w - - 0 1", {});
  checkRoundTrip(pairs + " b - - 0 1", {});
  // Two knights on different files reaching the same files: the start file decides.
  checkRoundTrip("4k4/9/9/9/9/2N1N4/9/9/9/3K5 w - - 0 1", {});
}

TEST(NotationLookupTest, ThreePawnsOnOneFileAndTwoOnAnother) {
  // Red pawns at (2, 2), (2, 3), (2, 4) and (6, 3), (6, 4). A front/rear query that
  // reaches the crowded file is ambiguous unless the two-pawn file alone answers it.
  const Move pairFrontAdvances{{6, 3}, {6, 2}};
  checkRoundTrip("5k3/9/2P6/2P3P2/2P3P2/9/9/9/9/3K5 w - - 0 1",
                 {
                     // "前红兵进1" on both files: the two-pawn file alone is a candidate.
                     {{2, 2}, {2, 1}, NotationMatch::Found, pairFrontAdvances},
                     {{6, 3}, {6, 2}, NotationMatch::Found, pairFrontAdvances},
                     {{2, 2}, {1, 2}, NotationMatch::Ambiguous, {}},
                     {{2, 2}, {3, 2}, NotationMatch::Ambiguous, {}},
                     {{2, 3}, {1, 3}, NotationMatch::Ambiguous, {}},
                     {{2, 3}, {3, 3}, NotationMatch::Ambiguous, {}},
                     {{2, 4}, {1, 4}, NotationMatch::Ambiguous, {}},
                     {{2, 4}, {3, 4}, NotationMatch::Ambiguous, {}},
                 });
}

}  // namespace
}  // namespace Tavrune
