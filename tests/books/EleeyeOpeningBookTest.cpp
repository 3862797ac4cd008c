// The ElephantEye layout: the real book written by another tool, and books built here.
#include <gtest/gtest.h>

#include <filesystem>

#include "books/BookFileWriter.h"
#include "books/BookLogCapture.h"
#include "books/BookTestText.h"
#include "engine/EleeyeOpeningBook.h"
#include "engine/EleeyeZobrist.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace Tavrune::Test {
namespace {

// Red's cannon from h2 to e2: the book knows only the mirrored position (cannon b2e2).
constexpr const char* AFTER_H2E2 =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1";

std::string realBookPath() {
  const std::string shared = sharedDir();
  if (shared.empty()) return {};
  const std::string path = shared + "/samples/books/BOOK.DAT";
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error) ? path : std::string();
}

class RealEleeyeBook : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = realBookPath();
    if (path.empty()) TAVRUNE_SKIP_OR_FAIL_IN_CI("the shared ElephantEye sample book is absent");
    ASSERT_TRUE(book.load(path));
  }
  EleeyeOpeningBook book;
};

TEST_F(RealEleeyeBook, OpeningGivesTheWellKnownFirstMovesWithTheirWeights) {
  EXPECT_EQ(book.size(), 12081);
  const std::vector<BookMove> moves = book.probe(boardFromFen(STANDARD_START_FEN));
  ASSERT_EQ(moves.size(), 16u);
  const std::vector<TextMove> all = asText(moves);
  const std::vector<TextMove> top(all.begin(), all.begin() + 6);
  EXPECT_EQ(top, (std::vector<TextMove>{{"b2e2", 1473}, {"h2e2", 1473}, {"c3c4", 546},
                                        {"g3g4", 546}, {"c0e2", 311}, {"g0e2", 311}}));
  EXPECT_EQ(moves[1].move.piece, RED_CANNON);
  EXPECT_EQ(moves[1].move.captured, EMPTY);
  for (size_t i = 1; i < moves.size(); ++i) EXPECT_GE(moves[i - 1].weight, moves[i].weight);
}

TEST_F(RealEleeyeBook, MirrorFallbackReturnsMovesReflectedOntoTheRealBoard) {
  const Board board = boardFromFen(AFTER_H2E2);
  EXPECT_EQ(asText(book.probe(board)),
            (std::vector<TextMove>{{"h9g7", 761}, {"b9c7", 172}, {"h7e7", 97}, {"b7e7", 1}}));
  // The reflected moves are legal moves of this position for Black.
  for (const BookMove& m : book.probe(board)) EXPECT_TRUE(board.isValidMove(m.move));
}

TEST_F(RealEleeyeBook, EveryOfferedMoveIsLegalAlongTheBookLine) {
  // Follow the strongest move for twenty plies: whatever the book offers must be legal.
  Board board = boardFromFen(STANDARD_START_FEN);
  for (int ply = 0; ply < 20; ++ply) {
    const std::vector<BookMove> moves = book.probe(board);
    if (moves.empty()) break;
    for (const BookMove& m : moves) ASSERT_TRUE(board.isValidMove(m.move)) << moveText(m.move);
    board.movePiece(moves.front().move);
  }
}

class BuiltEleeyeBook : public ::testing::Test {
 protected:
  TempFolder bookFolder{"开局库-eleeye"};
  std::string folder = bookFolder.utf8();
  std::string path = folder + "/book.dat";
  EleeyeOpeningBook book;
};

TEST_F(BuiltEleeyeBook, FileLengthDecidesBetweenRecordsLeftoversAndTruncation) {
  const std::string eightRecords = eleeyeBytes(std::vector<EleeyeRecord>(
      8, eleeyeRecord(STANDARD_START_FEN, "h2e2", 10)));
  struct Case {
    size_t bytes;
    bool loads;
    int32_t size;
    const char* warning;
  } cases[] = {
      {0, false, 0, "EleeyeOpeningBook::load: empty book: "},
      {3, false, 0, "EleeyeOpeningBook::load: empty book: "},
      {8, true, 1, nullptr},
      {8 * 2 + 3, true, 2, nullptr},
      {8 * 2 + 4, false, 0, "EleeyeOpeningBook::load: file truncated: "},
      {8 * 2 + 5, false, 0, "EleeyeOpeningBook::load: file truncated: "},
      {8 * 7 + 7, false, 0, "EleeyeOpeningBook::load: file truncated: "},
      {8 * 8, true, 8, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    ASSERT_TRUE(writeFile(path, eightRecords.substr(0, c.bytes)));
    BookLogCapture log;
    EXPECT_EQ(book.load(path), c.loads);
    EXPECT_EQ(book.isLoaded(), c.loads);
    EXPECT_EQ(book.size(), c.size);
    if (c.warning) {
      EXPECT_TRUE(log.contains(std::string(c.warning) + path)) << log.all();
    }
  }
}

TEST_F(BuiltEleeyeBook, MissingFileFailsWithTheCannotOpenWarning) {
  BookLogCapture log;
  EXPECT_FALSE(book.load(folder + "/没有.dat"));
  EXPECT_TRUE(log.contains("EleeyeOpeningBook::load: cannot open file: " + folder + "/没有.dat"));
}

TEST_F(BuiltEleeyeBook, LoadsThroughAChineseFolderAndFileName) {
  const std::string chinese = folder + "/开局库.dat";
  ASSERT_TRUE(writeFile(chinese, eleeyeBytes({eleeyeRecord(STANDARD_START_FEN, "h2e2", 5)})));
  ASSERT_TRUE(book.load(chinese));
  EXPECT_EQ(asText(book.probe(boardFromFen(STANDARD_START_FEN))),
            (std::vector<TextMove>{{"h2e2", 5}}));
}

TEST_F(BuiltEleeyeBook, UnorderedRecordsAreFoundAndEqualWeightsKeepFileOrder) {
  const std::string black = AFTER_H2E2;
  std::vector<EleeyeRecord> records = {
      eleeyeRecord(STANDARD_START_FEN, "h2e2", 7),
      eleeyeRecord(black, "h9g7", 3),
      eleeyeRecord(STANDARD_START_FEN, "b0c2", 9),
      eleeyeRecord(black, "b9c7", 3),
      eleeyeRecord(STANDARD_START_FEN, "c3c4", 7),
  };
  ASSERT_TRUE(writeFile(path, eleeyeBytes(records)));
  ASSERT_TRUE(book.load(path));
  EXPECT_EQ(asText(book.probe(boardFromFen(STANDARD_START_FEN))),
            (std::vector<TextMove>{{"b0c2", 9}, {"h2e2", 7}, {"c3c4", 7}}));
  EXPECT_EQ(asText(book.probe(boardFromFen(black))),
            (std::vector<TextMove>{{"h9g7", 3}, {"b9c7", 3}}));
}

TEST_F(BuiltEleeyeBook, RecordMovesThatMakeNoSenseHereAreSkippedWithAWarning) {
  const uint32_t lock = eleeyeZobristKey(boardFromFen(STANDARD_START_FEN)).lock1;
  const auto squares = [](int from, int to) { return static_cast<uint16_t>(from | to << 8); };
  const auto at = [](int x, int y) { return eleeyeSquareOf(Position(x, y)); };
  struct Case {
    const char* what;
    uint16_t move;
  } cases[] = {
      {"source off the board", squares(0x00, at(4, 7))},
      {"target off the board", squares(at(7, 7), 0x3C)},  // file 12 - 3 = 9
      {"from an empty point", squares(at(4, 4), at(4, 5))},
      {"illegal: rook through its own pawn", squares(at(0, 9), at(0, 4))},
      {"a Black move with Red to move", squares(at(1, 0), at(2, 2))},
  };
  std::vector<EleeyeRecord> records;
  for (const Case& c : cases) records.push_back({lock, c.move, 100});
  records.push_back(eleeyeRecord(STANDARD_START_FEN, "h2e2", 1));
  ASSERT_TRUE(writeFile(path, eleeyeBytes(records)));
  ASSERT_TRUE(book.load(path));

  BookLogCapture log;
  EXPECT_EQ(asText(book.probe(boardFromFen(STANDARD_START_FEN))),
            (std::vector<TextMove>{{"h2e2", 1}}));
  EXPECT_EQ(log.warnings().size(), std::size(cases)) << log.all();
}

TEST_F(BuiltEleeyeBook, MirrorIsConsultedOnlyWhenThePositionItselfHasNoValidMove) {
  // The position's own record is illegal, so the mirrored record answers.
  const std::string fen = AFTER_H2E2;
  const uint32_t ownLock = eleeyeZobristKey(boardFromFen(fen)).lock1;
  const std::vector<EleeyeRecord> onlyInvalidOwn = {
      {ownLock, static_cast<uint16_t>(eleeyeSquareOf({4, 4}) | eleeyeSquareOf({4, 5}) << 8), 50},
      {eleeyeMirrorZobristKey(boardFromFen(fen)).lock1,
       static_cast<uint16_t>(eleeyeSquareOf({1, 0}) | eleeyeSquareOf({2, 2}) << 8), 8},
  };
  ASSERT_TRUE(writeFile(path, eleeyeBytes(onlyInvalidOwn)));
  ASSERT_TRUE(book.load(path));
  EXPECT_EQ(asText(book.probe(boardFromFen(fen))), (std::vector<TextMove>{{"h9g7", 8}}));

  // With one valid own move, the mirror is not asked.
  std::vector<EleeyeRecord> withOwn = onlyInvalidOwn;
  withOwn.push_back(eleeyeRecord(fen, "b9c7", 2));
  ASSERT_TRUE(writeFile(path, eleeyeBytes(withOwn)));
  ASSERT_TRUE(book.load(path));
  EXPECT_EQ(asText(book.probe(boardFromFen(fen))), (std::vector<TextMove>{{"b9c7", 2}}));
}

TEST_F(BuiltEleeyeBook, SideToMoveIsPartOfTheKey) {
  const Board red = boardFromFen(STANDARD_START_FEN);
  Board black = red;
  black.setCurrentPlayer(BLACK);
  EXPECT_NE(eleeyeZobristKey(red).lock1, eleeyeZobristKey(black).lock1);
  // The opening is symmetric, so its mirror key is its own key.
  EXPECT_EQ(eleeyeZobristKey(red).lock1, eleeyeMirrorZobristKey(red).lock1);
  ASSERT_TRUE(writeFile(path, eleeyeBytes({eleeyeRecord(STANDARD_START_FEN, "h2e2", 5)})));
  ASSERT_TRUE(book.load(path));
  EXPECT_TRUE(book.probe(black).empty());
}

}  // namespace
}  // namespace Tavrune::Test
