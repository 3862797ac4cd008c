// XQF reading from files built by the test's own encoder: each version's layout and
// scrambling, comments, start positions and damaged files.
#include <gtest/gtest.h>

#include <sstream>

#include "RecordLogCapture.h"
#include "XqfTestEncoder.h"
#include "game/Board.h"
#include "records/SystemGbkDecoder.h"
#include "records/XQFFormat.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

using support::XqfTestEncoder;
using support::XqfTestRecord;

XqfTestRecord rec(int fx, int fy, int tx, int ty, std::string comment = "") {
  XqfTestRecord record;
  record.source = XqfTestEncoder::square(fx, fy);
  record.target = XqfTestEncoder::square(tx, ty);
  record.comment = std::move(comment);
  return record;
}

// Central cannon, knight reply, a cannon capture: checks pieces and captured pieces.
std::vector<XqfTestRecord> openingLine() {
  return {rec(7, 7, 4, 7, "炮二平五"), rec(7, 0, 6, 2), rec(4, 7, 4, 3, "")};
}

bool parse(const std::string& bytes, ChessScore& score, std::shared_ptr<const IGbkDecoder> decoder = nullptr) {
  std::istringstream in(bytes);
  return XQFFormat(std::move(decoder)).parse(in, score);
}

void expectOpeningLine(const ChessScore& score, const std::string& context) {
  ASSERT_EQ(score.moves.size(), 3u) << context;
  EXPECT_EQ(score.moves[0].move.from, Position(7, 7)) << context;
  EXPECT_EQ(score.moves[0].move.to, Position(4, 7)) << context;
  EXPECT_EQ(score.moves[0].move.piece, RED_CANNON) << context;
  EXPECT_EQ(score.moves[0].comment, "炮二平五") << context;
  EXPECT_EQ(score.moves[1].move.piece, BLACK_KNIGHT) << context;
  EXPECT_EQ(score.moves[2].move.captured, BLACK_PAWN) << context;
  EXPECT_EQ(score.moves[2].moveNumber, 2) << context;
  EXPECT_EQ(score.startFen, STANDARD_START_FEN) << context;
}

TEST(XqfReader, EveryVersionLayoutAndScrambling) {
  struct Case {
    const char* name;
    int version;
    uint8_t mask;
    std::array<uint8_t, 4> keyOr;
    std::array<uint8_t, 4> keyBytes;
  };
  const Case cases[] = {
      {"version 10", 10, 0, {}, {}},
      {"version 11, zero keys", 11, 0, {}, {}},
      {"version 11, real keys", 11, 0xFF, {0x3C, 0x91, 0x05, 0xE2}, {0x84, 0xA5, 0x9C, 0xE7}},
      {"version 12, rotated table", 12, 0xB7, {0x66, 0xF9, 0x7D, 0x24}, {0x2D, 0x75, 0x66, 0xF8}},
      {"version 18, zero stream, real offsets", 18, 0, {}, {0xEC, 0x09, 0xA4, 0x67}},
  };
  for (const Case& c : cases) {
    XqfTestEncoder encoder;
    encoder.version = c.version;
    encoder.keyMask = c.mask;
    encoder.keyOr = c.keyOr;
    encoder.keyBytes = c.keyBytes;
    encoder.rootComment = "dropped";
    encoder.mainLine = openingLine();
    encoder.trailing = {rec(1, 9, 2, 7), rec(1, 0, 2, 2)};  // a variation after the main line
    encoder.mainLine[1].extraFlags = c.version >= 11 ? 0x40 : 0;
    encoder.result = 2;
    ChessScore score;
    ASSERT_TRUE(parse(encoder.encode(), score)) << c.name;
    expectOpeningLine(score, c.name);
    EXPECT_EQ(score.header.result, "0-1") << c.name;
  }
}

TEST(XqfReader, HeaderTextsStayInsideTheirFields) {
  XqfTestEncoder encoder;
  encoder.title = "标题";
  encoder.date = "2024-06-07 long date text";  // 25 bytes: only 15 fit the field
  encoder.site = "北京";
  encoder.red = "柳大华";
  encoder.black = std::string("AB\0CD", 5);
  encoder.mainLine = openingLine();
  const struct {
    uint8_t result;
    const char* text;
  } results[] = {{0, "*"}, {1, "1-0"}, {3, "1/2-1/2"}, {4, ""}};
  for (const auto& r : results) {
    encoder.result = r.result;
    ChessScore score;
    ASSERT_TRUE(parse(encoder.encode(), score));
    EXPECT_EQ(score.header.result, r.text);
    EXPECT_EQ(score.header.event, "标题");  // an empty event falls back to the title
    EXPECT_EQ(score.header.date, "2024-06-07 long");
    EXPECT_EQ(score.header.site, "北京");
    EXPECT_EQ(score.header.red, "柳大华");
    EXPECT_EQ(score.header.black, "AB");
  }
  encoder.event = std::string(200, 'e');
  ChessScore score;
  ASSERT_TRUE(parse(encoder.encode(), score));
  EXPECT_EQ(score.header.event, std::string(63, 'e'));
}

TEST(XqfReader, GbkTextsBecomeUtf8) {
  XqfTestEncoder encoder;
  encoder.version = 11;
  encoder.keyMask = 0xFF;
  encoder.keyBytes = {1, 2, 3, 4};
  encoder.red = "\xC1\xF8\xB4\xF3\xBB\xAA";  // 柳大华 in GBK
  encoder.mainLine = openingLine();
  encoder.mainLine[0].comment = "\xBA\xC3\xC6\xE5";  // 好棋
  ChessScore score;
  ASSERT_TRUE(parse(encoder.encode(), score, makeSystemGbkDecoder()));
  EXPECT_EQ(score.header.red, "柳大华");
  EXPECT_EQ(score.moves[0].comment, "好棋");
  EXPECT_EQ(score.moves[1].comment, "");
  ASSERT_TRUE(parse(encoder.encode(), score));  // no decoder: the bytes as they stand
  EXPECT_EQ(score.header.red, encoder.red);
}

TEST(XqfReader, CommentLengthsAndTheKeyStreamAfterThem) {
  for (const int version : {10, 11, 13}) {
    XqfTestEncoder encoder;
    encoder.version = version;
    encoder.keyMask = 0xFF;
    encoder.keyOr = {0x11, 0x22, 0x33, 0x44};
    encoder.keyBytes = {0x55, 0x66, 0x77, 0x88};
    encoder.mainLine = openingLine();
    // 5003 bytes: skipped, and the key stream must move on by all of them.
    encoder.mainLine[0].comment = std::string(5003, 'x');
    encoder.mainLine[1].comment = std::string(4095, 'y');
    encoder.mainLine[2].comment = std::string("zz\0tail", 7);
    ChessScore score;
    ASSERT_TRUE(parse(encoder.encode(), score)) << version;
    ASSERT_EQ(score.moves.size(), 3u) << version;
    EXPECT_EQ(score.moves[0].comment, "") << version;
    EXPECT_EQ(score.moves[1].comment, std::string(4095, 'y')) << version;
    EXPECT_EQ(score.moves[2].comment, "zz") << version;
    EXPECT_EQ(score.moves[2].move.captured, BLACK_PAWN) << version;

    // A negative length carries no comment bytes; reading goes on behind it.
    encoder.mainLine[0].comment.clear();
    encoder.mainLine[0].storedCommentLength = -5;
    ASSERT_TRUE(parse(encoder.encode(), score)) << version;
    EXPECT_EQ(score.moves.size(), 3u) << version;
  }
}

TEST(XqfReader, StartPositionFromTheHeader) {
  std::array<uint8_t, 32> endgame;
  endgame.fill(XqfTestEncoder::square(0, 0) + 90);  // every piece off the board ...
  endgame[4] = XqfTestEncoder::square(4, 9);       // ... but the two kings and a red rook
  endgame[0] = XqfTestEncoder::square(0, 8);
  endgame[20] = XqfTestEncoder::square(3, 0);
  for (const int version : {10, 11, 12, 16}) {
    XqfTestEncoder encoder;
    encoder.version = version;
    encoder.keyMask = 0xFF;
    encoder.keyBytes = {0x12, 0x9A, 0x47, 0xC3};
    encoder.piecePoints = endgame;
    encoder.mainLine = {rec(3, 0, 4, 0)};  // Black moves first
    ChessScore score;
    ASSERT_TRUE(parse(encoder.encode(), score)) << version;
    EXPECT_EQ(score.startFen, "3k5/9/9/9/9/9/9/9/R8/4K4 b - - 0 1") << version;
    EXPECT_EQ(score.moves[0].move.piece, BLACK_KING) << version;

    encoder.mainLine = {rec(0, 8, 0, 0)};  // Red moves first
    ASSERT_TRUE(parse(encoder.encode(), score)) << version;
    EXPECT_EQ(score.startFen, "3k5/9/9/9/9/9/9/9/R8/4K4 w - - 0 1") << version;
  }

  support::RecordLogCapture log;
  XqfTestEncoder twoOnOnePoint;
  twoOnOnePoint.piecePoints[0] = twoOnOnePoint.piecePoints[1];
  twoOnOnePoint.mainLine = openingLine();
  XqfTestEncoder noBlackKing;
  noBlackKing.piecePoints[20] = 200;
  for (XqfTestEncoder* encoder : {&twoOnOnePoint, &noBlackKing}) {
    encoder->mainLine = openingLine();
    ChessScore score;
    ASSERT_TRUE(parse(encoder->encode(), score));
    EXPECT_EQ(score.startFen, STANDARD_START_FEN);
  }
  EXPECT_EQ(log.count("开局局面无效"), 2);
}

TEST(XqfReader, DamagedFiles) {
  support::RecordLogCapture log;
  XqfTestEncoder encoder;
  encoder.mainLine = openingLine();
  encoder.mainLine.insert(encoder.mainLine.begin() + 1, rec(0, 0, 0, 0));
  encoder.mainLine[1].source = 95;  // off the board: this record is skipped
  const std::string whole = encoder.encode();
  ChessScore score;
  ASSERT_TRUE(parse(whole, score));
  expectOpeningLine(score, "square out of range");
  EXPECT_TRUE(log.contains("XQFFormat::parse - 无效的着法坐标: srcIdx=95, dstIdx=9"));

  // A flood of them: the first few are named, then one count for the file.
  encoder.mainLine.insert(encoder.mainLine.begin() + 1, 199, encoder.mainLine[1]);
  log.clear();
  ASSERT_TRUE(parse(encoder.encode(), score));
  expectOpeningLine(score, "200 records off the board");
  EXPECT_EQ(log.count("无效的着法坐标"), 6);
  EXPECT_TRUE(log.contains("XQFFormat::parse - 无效的着法坐标: 共跳过 200 处，仅记录前 5 处"));

  // A file that ends inside the records keeps the moves before the break.
  const size_t v10RecordWithComment = 4 + 4 + std::string("炮二平五").size();
  EXPECT_TRUE(parse(whole.substr(0, 1024 + 8 + v10RecordWithComment + 2), score));
  EXPECT_EQ(score.moves.size(), 1u);

  EXPECT_FALSE(parse(whole.substr(0, 1023), score));
  EXPECT_TRUE(log.contains("XQFFormat::parse - 读取文件头失败"));
  EXPECT_FALSE(parse("XY" + whole.substr(2), score));
  EXPECT_TRUE(log.contains("XQFFormat::parse - 无效的文件标识"));

  XqfTestEncoder empty;  // the first record says that nothing follows
  EXPECT_FALSE(parse(empty.encode(), score));
  EXPECT_TRUE(log.contains("XQFFormat::parse - 警告：未解析到任何着法"));
  EXPECT_FALSE(parse(whole.substr(0, 1024), score));
}

}  // namespace
}  // namespace Tavrune
