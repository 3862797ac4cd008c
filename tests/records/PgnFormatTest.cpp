// The PGN dialect: exact bytes written, tags, move tokens, comments, variations and the
// faults the reader must survive.
#include <gtest/gtest.h>

#include <sstream>

#include "RecordLogCapture.h"
#include "records/PGNFormat.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

Move mv(int fx, int fy, int tx, int ty) {
  Move move;
  move.from = Position(fx, fy);
  move.to = Position(tx, ty);
  return move;
}

std::string written(const ChessScore& score) {
  std::ostringstream out;
  EXPECT_TRUE(PGNFormat().serialize(out, score));
  return out.str();
}

bool parsed(const std::string& text, ChessScore& score) {
  std::istringstream in(text);
  return PGNFormat().parse(in, score);
}

// A knight shuffle that can go on for ever from the opening.
ChessScore knightShuffle(size_t plies) {
  const Move cycle[] = {mv(1, 9, 2, 7), mv(1, 0, 2, 2), mv(2, 7, 1, 9), mv(2, 2, 1, 0)};
  ChessScore score;
  for (size_t i = 0; i < plies; ++i) {
    ScoreMove entry;
    entry.move = cycle[i % 4];
    score.moves.push_back(entry);
  }
  return score;
}

TEST(PgnWriter, WritesTagsInOrderThenBrokenMoveLinesAndTheResult) {
  ChessScore score = knightShuffle(14);
  score.header.annotator = "A";
  score.header.event = "Club \"Spring\" C:\\games";
  score.header.red = "红方";
  score.header.result = "0.5-0.5";
  score.startFen = STANDARD_START_FEN;  // not written
  EXPECT_EQ(written(score),
            "[Event \"Club \\\"Spring\\\" C:\\\\games\"]\n"
            "[Red \"红方\"]\n"
            "[Result \"0.5-0.5\"]\n"
            "[Annotator \"A\"]\n"
            "\n"
            "1. b0c8 b1c3  2. c8b0 c3b1  3. b0c8 b1c3  4. c8b0 c3b1  5. b0c8 b1c3  6. c8b0 c3b1\n"
            "7. b0c8 b1c3  1/2-1/2\n");

  ChessScore custom;
  custom.startFen = "4k4/9/9/9/9/9/9/9/4R4/3K5 b - - 0 1";
  ScoreMove entry;
  entry.move = mv(4, 0, 5, 0);
  entry.comment = "避开";
  custom.moves.push_back(entry);
  EXPECT_EQ(written(custom),
            "[SetUp \"1\"]\n[FEN \"4k4/9/9/9/9/9/9/9/4R4/3K5 b - - 0 1\"]\n\n1. e1f1 { 避开 }  *\n");
  EXPECT_EQ(written(ChessScore()), "\n*\n");
}

TEST(PgnReader, TagLinesAndTheirFaults) {
  const struct {
    const char* line;
    bool ok;
    const char* key;
    const char* value;
  } cases[] = {
      {"[Event \"a \\\"quoted\\\" \\\\ name\"]", true, "Event", "a \"quoted\" \\ name"},
      {"  [Red \"x\"]  ", true, "Red", "x"},
      {"[Site \"no closing quote]", true, "Site", "no closing quote"},
      {"[\"keyless\"]", true, "", "keyless"},
      {"[Event]", false, "", ""},
      {"[Event \"x\"", false, "", ""},
      {"", false, "", ""},
  };
  for (const auto& c : cases) {
    std::string key, value;
    EXPECT_EQ(PGNFormat::parseTagLine(c.line, key, value), c.ok) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(key, c.key) << c.line;
    EXPECT_EQ(value, c.value) << c.line;
  }

  ChessScore score;
  ASSERT_TRUE(parsed("\xEF\xBB\xBF[White \"w\"]\r\n[WhiteElo \"2400\"]\n[Bad tag\n[SetUp \"1\"]\n\n*\n", score));
  EXPECT_EQ(score.header.red, "w");  // the byte-order mark does not hide the first tag
  EXPECT_EQ(score.header.redElo, "2400");
  EXPECT_TRUE(score.moves.empty());

  // A file that starts with an empty line has no tags: they are move text and no move.
  EXPECT_FALSE(parsed("\n[Event \"x\"]\n", score));
}

TEST(PgnReader, MoveTokenForms) {
  const struct {
    const char* token;
    bool ok;
    Move move;
  } cases[] = {
      {"h8e8", true, mv(7, 7, 4, 7)},   {"h8:e8", true, mv(7, 7, 4, 7)}, {"a0i1", true, mv(0, 9, 8, 0)},
      {"he8", true, mv(7, -1, 4, 7)},   {"he", true, mv(7, -1, 4, -1)},  {"h8-e8", false, {}},
      {"H8e8", false, {}},              {"j1a1", false, {}},             {"h8e", false, {}},
      {"h", false, {}},                 {"h8e8e", false, {}},            {"\xE7\x82\xAE" "a", false, {}},
  };
  for (const auto& c : cases) {
    Move move;
    EXPECT_EQ(parseICCSMove(c.token, move), c.ok) << c.token;
    if (c.ok) {
      EXPECT_EQ(move.from, c.move.from) << c.token;
      EXPECT_EQ(move.to, c.move.to) << c.token;
    }
  }
  EXPECT_EQ(moveToICCS(mv(7, 7, 4, 7)), "h8e8");
  EXPECT_EQ(moveToICCS(mv(0, 9, 8, 0)), "a0i1");
}

TEST(PgnReader, MoveTextTokensNumbersCommentsAndResults) {
  const struct {
    const char* file;
    bool ok;
    size_t moves;
    const char* result;
    const char* lastComment;
  } cases[] = {
      {"1. h8e8 b1c3 2.. bc h1g3", true, 4, "", ""},
      {"{dropped} 1. h8e8 {  one\t two  } {kept} *", true, 1, "*", "kept"},
      {"h8e8 { a  b }", true, 1, "", " a b "},
      {"h8e8 1-0 b1c3", true, 1, "1-0", ""},
      {"h8e8 1... b1c3", true, 2, "", ""},     // three dots: an unreadable token, skipped
      {"h8e8 (b1c3 {v} b0c8) h1g3 0-1", true, 2, "0-1", ""},  // the variation is not the main line
      {"h8e8 ((b1c3) b1a3) h1g3", true, 2, "", ""},
      {"h8e8 h2e2 b1c3", true, 1, "", ""},     // h2 is empty: reading stops there
      {"h8e8 e8e4 b1c3", true, 1, "", ""},     // Red twice: refused, reading stops
      {"h8e8 zz b1c3", true, 2, "", ""},       // unreadable, skipped
      {"h8e8 ha b1c3", true, 1, "", ""},       // no Black piece on file h can reach file a
      {"h2e2 b1c3", false, 0, "", ""},
      {"炮二平五 马８进７", false, 0, "", ""},
      // Nothing readable, not even a tag, is no record; readable tags without moves are one.
      {"* h8e8", false, 0, "*", ""},
      {"1. {only a comment}", false, 0, "", ""},
      {"[bad\n[bad\n\n \n", false, 0, "", ""},
      {"[Event \"e\"]\n\n* h8e8", true, 0, "*", ""},
      {"[Event \"e\"]\n\n1. {only a comment}", true, 0, "", ""},
      {"[bad\n[Round \"1\"]\n", true, 0, "", ""},
  };
  for (const auto& c : cases) {
    ChessScore score;
    EXPECT_EQ(parsed(c.file, score), c.ok) << c.file;
    EXPECT_EQ(score.moves.size(), c.moves) << c.file;
    EXPECT_EQ(score.header.result, c.result) << c.file;
    if (!score.moves.empty()) {
      EXPECT_EQ(score.moves.back().comment, c.lastComment) << c.file;
    }
  }
}

TEST(PgnReader, ShortFormsAndMoveNumbersFollowTheSideToMove) {
  ChessScore score;
  ASSERT_TRUE(parsed("[FEN \"4k4/9/9/9/9/9/9/9/4R4/3K5 b - - 0 1\"]\n\nef d0d9\n", score));
  ASSERT_EQ(score.moves.size(), 2u);
  EXPECT_EQ(score.moves[0].move.from, Position(4, 0));
  EXPECT_EQ(score.moves[0].move.to, Position(5, 0));
  EXPECT_EQ(score.moves[0].move.piece, BLACK_KING);
  EXPECT_EQ(score.moves[1].move.piece, RED_KING);
  EXPECT_EQ(score.moves[1].moveNumber, 2);

  // From the opening both short forms find the cannon on file h, nearest Black's side.
  for (const char* text : {"\nhe8\n", "\nhe\n"}) {
    ASSERT_TRUE(parsed(text, score)) << text;
    ASSERT_EQ(score.moves.size(), 1u) << text;
    EXPECT_EQ(score.moves[0].move.from, Position(7, 7)) << text;
    EXPECT_EQ(score.moves[0].move.to, Position(4, 7)) << text;
  }

  // A result token replaces the tag; the tag stands when there is none.
  ASSERT_TRUE(parsed("[Result \"1-0\"]\n\nh8e8 0-1\n", score));
  EXPECT_EQ(score.header.result, "0-1");
  ASSERT_TRUE(parsed("[Result \"1-0\"]\n\nh8e8\n", score));
  EXPECT_EQ(score.header.result, "1-0");
}

TEST(PgnReader, BadStartPositionsAndRefusedMovesAreLogged) {
  support::RecordLogCapture log;
  ChessScore score;
  EXPECT_FALSE(parsed("[FEN \"rnbakabnr/9 w\"]\n\nh8e8\n", score));
  EXPECT_TRUE(log.contains("PGNFormat::parseMoveText - 无效的FEN: rnbakabnr/9 w"));
  EXPECT_TRUE(log.contains("PGNFormat::parse - parseMoveText 失败"));
  // Without move text the position is not read here; the replay refuses it.
  EXPECT_TRUE(parsed("[FEN \"rnbakabnr/9 w\"]\n", score));

  EXPECT_TRUE(parsed("\nh8e8 h2e2\n", score));
  EXPECT_TRUE(log.contains("PGNFormat::parseMoveText - 起始位置无棋子: h2e2"));
  EXPECT_EQ(score.refusedMove, "h2e2");
  EXPECT_TRUE(parsed("\nh8e8 a0a1\n", score));
  EXPECT_TRUE(log.contains("PGNFormat::parseMoveText - 非法着法: a0a1"));
  EXPECT_EQ(score.refusedMove, "a0a1");
  EXPECT_TRUE(parsed("\nh8e8 zz\n", score));  // unreadable, skipped: the record is whole
  EXPECT_EQ(score.refusedMove, "");

  // Floods of unreadable tags, repeated start positions and unreadable tokens: the first
  // few are named, then one count each.
  std::string junk;
  for (int i = 0; i < 100; ++i) junk += "[bad\n[FEN \"4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1\"]\n";
  junk += "\ne0d0";
  for (int i = 0; i < 100; ++i) junk += " z9z9 zz";
  log.clear();
  EXPECT_TRUE(parsed(junk, score));
  EXPECT_EQ(log.count("标签解析失败"), 6);
  EXPECT_TRUE(log.contains("PGNFormat::parse - 标签解析失败: 共跳过 100 处，仅记录前 5 处"));
  EXPECT_EQ(log.count("自定义FEN"), 6);
  EXPECT_TRUE(log.contains("PGNFormat::parse - 自定义FEN: 共 100 处，仅记录前 5 处"));
  EXPECT_EQ(log.count("无法解析token"), 6);
  EXPECT_TRUE(log.contains("PGNFormat::parseMoveText - 无法解析token: 共跳过 200 处，仅记录前 5 处"));

  // A huge junk tag line or token is named by its beginning and its size.
  const std::string huge(100000, 'z');
  log.clear();
  EXPECT_TRUE(parsed("[" + huge + "\n\nh8e8 " + huge + "\n", score));
  EXPECT_EQ(log.count(std::string(700, 'z')), 2);
  EXPECT_EQ(log.count(" bytes)"), 2);
  EXPECT_FALSE(log.contains(huge));
}

}  // namespace
}  // namespace Tavrune
