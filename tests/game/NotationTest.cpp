#include "game/Notation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tavrune {
namespace {

Board boardFrom(const std::string& fen) {
  Board board;
  EXPECT_TRUE(board.fromFEN(fen)) << fen;
  return board;
}

// The move as the game records it: pieces read from the board.
Move played(const Board& board, Position from, Position to) {
  return {from, to, board.getPiece(from), board.getPiece(to)};
}

TEST(NotationTest, PieceNames) {
  const std::vector<std::wstring> names = {
      L"空",   L"红车", L"红马", L"红相", L"红士", L"红帅", L"红炮", L"红兵",
      L"黑车", L"黑马", L"黑象", L"黑士", L"黑将", L"黑炮", L"黑卒"};
  for (int32_t code = 0; code < PIECE_TYPE_COUNT; ++code) {
    EXPECT_EQ(getPieceName(static_cast<PieceType>(code)), names[code]);
  }
  EXPECT_EQ(getPieceName(static_cast<PieceType>(15)), L"未知");
  EXPECT_EQ(getPieceName(static_cast<PieceType>(-1)), L"未知");
}

TEST(NotationTest, PointsSeenFromEitherSide) {
  EXPECT_EQ(Notation::positionText({4, 9}, RED), L" 5 0");
  EXPECT_EQ(Notation::positionText({4, 9}, BLACK), L" 5 9");
  EXPECT_EQ(Notation::positionText({8, 9}, RED), L" 1 0");
  EXPECT_EQ(Notation::positionText({8, 9}, BLACK), L" 9 9");
  EXPECT_EQ(Notation::selectionText({8, 9}, RED_ROOK, RED), L"红车 1 0");
  EXPECT_EQ(Notation::selectionText({1, 2}, BLACK_CANNON, BLACK), L"黑炮 2 2");
}

TEST(NotationTest, FileReadings) {
  const Board opening = boardFrom(STANDARD_START_FEN);
  const std::wstring edgeFile = L"第1路：黑车，空，空，黑卒，空，空，红兵，空，空，红车";
  EXPECT_EQ(Notation::describeFile(Notation::getFileSquares(opening, RED, 1), true), edgeFile);
  EXPECT_EQ(Notation::describeFile(Notation::getFileSquares(opening, BLACK, 1), true), edgeFile);
  EXPECT_EQ(Notation::describeFile(Notation::getFileSquares(opening, RED, 2), true),
            L"第2路：黑马，空，黑炮，空，空，空，空，红炮，空，红马");
  EXPECT_EQ(Notation::describeFile(Notation::getFileSquares(opening, BLACK, 2), false),
            L"第2路：黑马，空，黑炮，空，空，空，空，红炮，空，红马");

  const Board lone = boardFrom("4k4/9/9/9/9/9/9/9/9/3K5 w - - 0 1");
  const std::wstring tenEmpty = L"空，空，空，空，空，空，空，空，空，空";
  EXPECT_EQ(Notation::describeFile(Notation::getFileSquares(lone, RED, 1), true), L"第1路：全空");
  EXPECT_EQ(Notation::describeFile(Notation::getFileSquares(lone, RED, 1), false),
            L"第1路：" + tenEmpty);
  for (int32_t outside : {0, 10}) {
    const FileSquares squares = Notation::getFileSquares(opening, RED, outside);
    EXPECT_EQ(squares.fileNumber, outside);
    EXPECT_EQ(Notation::describeFile(squares, false),
              L"第" + std::to_wstring(outside) + L"路：" + tenEmpty);
  }
}

struct TextCase {
  const char* fen;
  Position from, to;
  PieceColor view;
  std::wstring expected;
};

TEST(NotationTest, TraditionalNotation) {
  const char* open = STANDARD_START_FEN;
  // Red rooks on (0, 2) and (0, 6), Black rooks on (2, 3) and (2, 7); Red pawns on
  // (2, 2), (2, 3) and (2, 4) are in another position below.
  const char* rooks = "4k4/9/R8/2r6/9/9/R8/2r6/9/3K5 w - - 0 1";
  const char* pawns = "4k4/9/2P6/2P6/2P6/9/9/9/9/3K5 w - - 0 1";
  const std::vector<TextCase> cases = {
      {open, {7, 7}, {4, 7}, RED, L"红炮2平5"},
      {open, {7, 9}, {6, 7}, RED, L"红马2进3"},
      {open, {7, 7}, {7, 0}, RED, L"红炮2进7 吃黑马"},
      {open, {7, 7}, {4, 7}, BLACK, L"红炮8平5"},
      {open, {1, 2}, {4, 2}, BLACK, L"黑炮2平5"},
      {open, {1, 0}, {2, 2}, BLACK, L"黑马2进3"},
      {open, {2, 9}, {4, 7}, RED, L"红相7进5"},
      {open, {5, 0}, {4, 1}, BLACK, L"黑士6进5"},
      {open, {1, 2}, {1, 1}, BLACK, L"黑炮2退1"},
      {rooks, {0, 2}, {0, 1}, RED, L"前红车进1"},
      {rooks, {0, 6}, {0, 7}, RED, L"后红车退1"},
      {rooks, {0, 6}, {3, 6}, RED, L"后红车平6"},
      {rooks, {2, 7}, {2, 8}, BLACK, L"前黑车进1"},
      {rooks, {2, 3}, {2, 5}, BLACK, L"后黑车进2"},
      {rooks, {0, 2}, {0, 1}, BLACK, L"后红车退1"},
      // Three pawns: the mover is compared with the first other pawn from row 0.
      {pawns, {2, 2}, {2, 1}, RED, L"前红兵进1"},
      {pawns, {2, 3}, {1, 3}, RED, L"后红兵平8"},
      {pawns, {2, 4}, {3, 4}, RED, L"后红兵平6"},
  };
  for (const TextCase& c : cases) {
    const Board before = boardFrom(c.fen);
    const Move move = played(before, c.from, c.to);
    SCOPED_TRACE(testing::Message() << c.fen << " (" << c.from.x << "," << c.from.y << ")->("
                                    << c.to.x << "," << c.to.y << ") view " << c.view);
    EXPECT_EQ(Notation::moveToChinese(move, c.view, before), c.expected);
    // The window speaks a move after it is played: the text must not change.
    Board after = before;
    after.movePiece(move);
    EXPECT_EQ(Notation::moveToChinese(move, c.view, after), c.expected);
    EXPECT_EQ(Notation::hasSamePieceOnSameLine(move, c.view, before),
              c.expected.front() == L'前' || c.expected.front() == L'后');
  }
}

TEST(NotationTest, SpokenMoves) {
  const Board board = boardFrom("r3k4/9/9/9/9/9/9/9/9/R2K5 w - - 0 1");
  const Move capture = played(board, {0, 9}, {0, 0});
  EXPECT_EQ(Notation::moveAnnouncement(capture, RED, board, true, false),
            L"红车 9 0 到 9 9 吃 黑车，将军！");
  EXPECT_EQ(Notation::moveAnnouncement(capture, BLACK, board, true, false),
            L"红车 1 9 到 1 0 吃 黑车，将军！");
  EXPECT_EQ(Notation::moveAnnouncement(capture, RED, board, true, true), L"红车9进9 吃黑车，将军！");
  EXPECT_EQ(Notation::moveAnnouncement(capture, RED, board, false, true), L"红车9进9 吃黑车");

  const Board opening = boardFrom(STANDARD_START_FEN);
  EXPECT_EQ(Notation::moveAnnouncement(played(opening, {7, 9}, {6, 7}), RED, opening, false, false),
            L"红马 2 0 到 3 2");
}

}  // namespace
}  // namespace Tavrune
