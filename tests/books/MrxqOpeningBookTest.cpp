// The Mrxq layout: its hash table and keys, header and count checks, and probing.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "books/BookFileWriter.h"
#include "books/BookLogCapture.h"
#include "books/BookTestText.h"
#include "engine/MrxqOpeningBook.h"
#include "engine/MrxqZobrist.h"
#include "engine/MrxqZobristTable.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace Tavrune::Test {
namespace {

constexpr const char* AFTER_H2E2 =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1";
// AFTER_H2E2 reflected left to right.
constexpr const char* AFTER_B2E2 =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/4C2C1/9/RNBAKABNR b - - 1 1";
constexpr const char* MIDDLEGAME =
    "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1";

TEST(MrxqZobristTable, HoldsTheValuesBooksAreWrittenWith) {
  EXPECT_EQ(MRXQ_ZOBRIST_TABLE[0], 0x01B10FC65FF28F1EULL);
  EXPECT_EQ(MRXQ_ZOBRIST_TABLE[1], 0x64D79B552A559D7FULL);
  EXPECT_EQ(MRXQ_ZOBRIST_TABLE[2], 0x44A572665A6EE240ULL);
  EXPECT_EQ(MRXQ_ZOBRIST_TABLE[90], 0x4584C1FDE5F1AD55ULL);

  const std::string shared = sharedDir();
  std::ifstream source;
  if (!shared.empty()) source.open(std::filesystem::path(shared + "/data/mrxq-zobrist.txt"));
  if (!source) TAVRUNE_SKIP_OR_FAIL_IN_CI("the shared Mrxq hash figures are absent");
  std::vector<uint64_t> figures;
  for (std::string line; std::getline(source, line);) {
    if (line.rfind("0x", 0) == 0) figures.push_back(std::stoull(line, nullptr, 16));
  }
  ASSERT_EQ(figures.size(), MRXQ_ZOBRIST_TABLE.size());
  for (size_t i = 0; i < figures.size(); ++i) EXPECT_EQ(MRXQ_ZOBRIST_TABLE[i], figures[i]) << i;
}

TEST(MrxqZobrist, IndexFollowsColourTypeAndPoint) {
  struct Case {
    PieceType piece;
    Position point;
    int index;
  } cases[] = {
      {BLACK_KING, {0, 0}, 0},     {BLACK_KING, {2, 0}, 2},       {BLACK_ADVISOR, {0, 0}, 90},
      {BLACK_ELEPHANT, {2, 0}, 182}, {BLACK_ROOK, {0, 1}, 279},   {BLACK_CANNON, {8, 9}, 449},
      {BLACK_KNIGHT, {1, 0}, 451}, {BLACK_PAWN, {0, 3}, 567},     {RED_KING, {4, 9}, 715},
      {RED_ADVISOR, {3, 9}, 804},  {RED_ELEPHANT, {2, 9}, 893},   {RED_ROOK, {0, 9}, 981},
      {RED_CANNON, {1, 7}, 1054},  {RED_KNIGHT, {1, 9}, 1162},    {RED_PAWN, {8, 6}, 1232},
      {EMPTY, {0, 0}, -1},         {RED_PAWN, {9, 0}, -1},        {RED_PAWN, {0, -1}, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mrxqZobristIndex(c.piece, c.point), c.index)
        << c.piece << " at " << c.point.x << "," << c.point.y;
  }
}

TEST(MrxqZobrist, UpdateAfterEachLegalMoveEqualsTheHashOfTheReachedPosition) {
  for (const char* fen : {STANDARD_START_FEN, AFTER_H2E2, MIDDLEGAME}) {
    const Board board = boardFromFen(fen);
    const uint64_t hash = mrxqZobristHash(board);
    const std::vector<Move> moves = board.getLegalMoves(board.getCurrentPlayer());
    ASSERT_FALSE(moves.empty()) << fen;
    for (const Move& move : moves) {
      Board after = board;
      after.movePiece(move);
      EXPECT_EQ(mrxqZobristUpdate(board, move, hash), mrxqZobristHash(after))
          << fen << " " << moveText(move);
    }
  }
  // Nothing moves from an empty point or off the board.
  const Board board = boardFromFen(STANDARD_START_FEN);
  const uint64_t hash = mrxqZobristHash(board);
  EXPECT_EQ(mrxqZobristUpdate(board, Move{{4, 4}, {4, 5}}, hash), hash);
  EXPECT_EQ(mrxqZobristUpdate(board, Move{{0, 9}, {0, 10}}, hash), hash);
  EXPECT_EQ(mrxqZobristUpdate(board, Move{{-1, -1}, {-1, -1}}, hash), hash);
}

class BuiltMrxqBook : public ::testing::Test {
 protected:
  TempFolder bookFolder{"开局库-mrxq"};
  std::string folder = bookFolder.utf8();
  std::string path = folder + "/book.obk";
  MrxqOpeningBook book;
};

TEST_F(BuiltMrxqBook, HeaderAndDeclaredCountsAreCheckedBeforeAnythingIsReserved) {
  const MrxqRecord record = mrxqRecord(STANDARD_START_FEN, "h2e2", 3);
  const std::vector<MrxqRecord> two = {record, record};
  constexpr int64_t huge = std::numeric_limits<int64_t>::max();
  const std::string truncated = "MrxqOpeningBook::load: file truncated: ";
  const std::string invalid = "MrxqOpeningBook::load: invalid signature or counts: ";
  struct Case {
    const char* what;
    std::string bytes;
    bool loads;
    int32_t size;
    std::string warning;
  } cases[] = {
      {"header too short", mrxqBytes({}, {}).substr(0, 127), false, 0,
       "MrxqOpeningBook::load: header too short: "},
      {"empty file", "", false, 0, "MrxqOpeningBook::load: header too short: "},
      {"wrong signature", mrxqBytes({}, two, 0, 2, 13578), false, 0, invalid},
      {"negative black count", mrxqBytes({}, two, -1, 2), false, 0, invalid},
      {"negative red count", mrxqBytes({}, two, 0, -2), false, 0, invalid},
      {"no records at all", mrxqBytes({}, {}), true, 0, ""},
      {"counts as declared", mrxqBytes(two, two), true, 4, ""},
      {"bytes after the last record", mrxqBytes(two, two) + "junk", true, 4, ""},
      {"one black record too many", mrxqBytes(two, two, 3, 2), false, 0, truncated},
      {"one red record too many", mrxqBytes(two, two, 2, 3), false, 0, truncated},
      {"partial last record", mrxqBytes(two, two).substr(0, 128 + 35), false, 0, truncated},
      {"count of the largest signed value", mrxqBytes(two, two, huge, 0), false, 0, truncated},
      {"count whose byte size overflows", mrxqBytes(two, two, int64_t{1} << 62, 0), false, 0,
       truncated},
      {"counts whose sum overflows", mrxqBytes(two, two, 2, huge), false, 0, truncated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A good load first, so a failure must also drop what the book held.
    ASSERT_TRUE(writeFile(path, mrxqBytes(two, {})));
    ASSERT_TRUE(book.load(path));
    ASSERT_TRUE(writeFile(path, c.bytes));
    BookLogCapture log;
    EXPECT_EQ(book.load(path), c.loads);
    EXPECT_EQ(book.isLoaded(), c.loads);
    EXPECT_EQ(book.size(), c.size);
    if (!c.warning.empty()) {
      EXPECT_TRUE(log.contains(c.warning + path)) << log.all();
    } else {
      EXPECT_TRUE(log.warnings().empty()) << log.all();
    }
  }
}

TEST_F(BuiltMrxqBook, EmptyBookAnswersNothing) {
  ASSERT_TRUE(writeFile(path, mrxqBytes({}, {})));
  ASSERT_TRUE(book.load(path));
  EXPECT_TRUE(book.probe(boardFromFen(STANDARD_START_FEN)).empty());
  EXPECT_TRUE(book.probe(boardFromFen(AFTER_H2E2)).empty());
}

TEST_F(BuiltMrxqBook, EachSideToMoveConsultsOnlyItsOwnList) {
  // The same records under Black's list say nothing about Red to move, and back.
  const std::vector<MrxqRecord> redMoves = {mrxqRecord(STANDARD_START_FEN, "h2e2", 9),
                                            mrxqRecord(STANDARD_START_FEN, "b0c2", 4)};
  const std::vector<MrxqRecord> blackMoves = {mrxqRecord(AFTER_H2E2, "h9g7", 6)};
  ASSERT_TRUE(writeFile(path, mrxqBytes(redMoves, blackMoves)));
  ASSERT_TRUE(book.load(path));
  EXPECT_TRUE(book.probe(boardFromFen(STANDARD_START_FEN)).empty());
  EXPECT_TRUE(book.probe(boardFromFen(AFTER_H2E2)).empty());

  ASSERT_TRUE(writeFile(path, mrxqBytes(blackMoves, redMoves)));
  ASSERT_TRUE(book.load(path));
  EXPECT_EQ(asText(book.probe(boardFromFen(STANDARD_START_FEN))),
            (std::vector<TextMove>{{"h2e2", 9}, {"b0c2", 4}}));
  const std::vector<BookMove> black = book.probe(boardFromFen(AFTER_H2E2));
  EXPECT_EQ(asText(black), (std::vector<TextMove>{{"h9g7", 6}}));
  ASSERT_EQ(black.size(), 1u);
  EXPECT_EQ(black[0].move.piece, BLACK_KNIGHT);
}

TEST_F(BuiltMrxqBook, UnorderedRecordsLoadAndCapturesAreKeyedByTheReachedPosition) {
  // Red's cannon takes Black's knight: the key includes the capture.
  const char* fen = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";
  std::vector<MrxqRecord> red = {mrxqRecord(fen, "h2h9", 2), mrxqRecord(fen, "c3c4", 8),
                                 mrxqRecord(fen, "g3g4", 5), mrxqRecord(fen, "a0a1", 1)};
  std::sort(red.begin(), red.end(), [](auto& a, auto& b) { return a.key > b.key; });
  ASSERT_TRUE(writeFile(path, mrxqBytes({}, red)));
  ASSERT_TRUE(book.load(path));
  const std::vector<BookMove> moves = book.probe(boardFromFen(fen));
  EXPECT_EQ(asText(moves), (std::vector<TextMove>{{"c3c4", 8}, {"g3g4", 5}, {"h2h9", 2},
                                                 {"a0a1", 1}}));
  EXPECT_EQ(moves[2].move.captured, BLACK_KNIGHT);
}

TEST_F(BuiltMrxqBook, MirrorFallbackReturnsUnmirroredMovesOnlyWhenNothingElseIsKnown) {
  // The book knows only the reflected position: its knight move b9c7 comes back as h9g7.
  std::vector<MrxqRecord> black = {mrxqRecord(AFTER_B2E2, "b9c7", 7),
                                   mrxqRecord(AFTER_B2E2, "h7e7", 3)};
  ASSERT_TRUE(writeFile(path, mrxqBytes(black, {})));
  ASSERT_TRUE(book.load(path));
  const Board board = boardFromFen(AFTER_H2E2);
  const std::vector<BookMove> moves = book.probe(board);
  EXPECT_EQ(asText(moves), (std::vector<TextMove>{{"h9g7", 7}, {"b7e7", 3}}));
  for (const BookMove& m : moves) EXPECT_TRUE(board.isValidMove(m.move));

  black.push_back(mrxqRecord(AFTER_H2E2, "b9c7", 1));
  ASSERT_TRUE(writeFile(path, mrxqBytes(black, {})));
  ASSERT_TRUE(book.load(path));
  EXPECT_EQ(asText(book.probe(board)), (std::vector<TextMove>{{"b9c7", 1}}));
}

TEST_F(BuiltMrxqBook, LoadsThroughAChineseFileName) {
  const std::string chinese = folder + "/五七炮.obk";
  ASSERT_TRUE(writeFile(chinese, mrxqBytes({}, {mrxqRecord(STANDARD_START_FEN, "h0g2", 2)})));
  ASSERT_TRUE(book.load(chinese));
  EXPECT_EQ(asText(book.probe(boardFromFen(STANDARD_START_FEN))),
            (std::vector<TextMove>{{"h0g2", 2}}));
  BookLogCapture log;
  EXPECT_FALSE(book.load(folder + "/缺少.obk"));
  EXPECT_TRUE(log.contains("MrxqOpeningBook::load: cannot open file: " + folder + "/缺少.obk"));
}

}  // namespace
}  // namespace Tavrune::Test
