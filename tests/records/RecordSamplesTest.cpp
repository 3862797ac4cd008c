// Real record files written by other tools, read in place from the shared samples.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "RecordLogCapture.h"
#include "RecordTestFiles.h"
#include "core/TextConversion.h"
#include "game/GameEngine.h"
#include "records/ChessScoreManager.h"
#include "records/PGNFormat.h"
#include "records/SystemGbkDecoder.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

namespace fs = std::filesystem;

constexpr const char* standard = STANDARD_START_FEN;

fs::path samplesFolder(const std::string& kind) {
  const std::string shared = support::sharedDir();
  if (shared.empty()) return {};
  const fs::path folder = fs::path(shared) / "samples" / kind;
  return fs::is_directory(folder) ? folder : fs::path();
}

#define REQUIRE_SAMPLES(folder, kind)                                                       \
  const fs::path folder = samplesFolder(kind);                                              \
  if (folder.empty()) {                                                                     \
    TAVRUNE_SKIP_OR_FAIL_IN_CI("no shared samples folder ../shared/samples/" kind);         \
  }

struct XqfSample {
  const char* file;
  bool loads;
  size_t moves;
  size_t replayed;  // moves the game accepts; fewer than moves when the replay stops
  const char* startFen;
};

const XqfSample xqfSamples[] = {
    {"ee-v18-sample-handicap.xqf", true, 75, 75, "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/9/1C5C1/9/RN2K2NR w - - 0 1"},
    {"ee-v18-xqfexama.xqf", true, 110, 110, standard},
    {"vs-v18-0-zero-keybytes.xqf", true, 106, 106, standard},
    {"wk-v10-badmovetest1.xqf", true, 43, 43, standard},
    {"wk-v10-test1-same-game-as-examA.xqf", true, 110, 110, standard},
    {"wk-v12-badmovetest2-zerokeymask.xqf", true, 35, 35, standard},
    {"wk-v16-ucci-test2-endgame.xqf", true, 7, 7, "4ka3/4aR3/4N1C1b/c1p1p4/9/9/2N1P1R2/5C3/r1rp5/5K3 w - - 0 1"},
    {"wk-v18-emptytest-nomoves.xqf", false, 0, 0, standard},
    {"zf-v10-endgame-erlujiache-2.xqf", true, 7, 7, "5k2C/6C2/4b4/9/9/9/9/9/1r2pp1R1/3K5 w - - 0 1"},
    {"zf-v10-rootcomment-hasnext-eof.xqf", false, 0, 0, nullptr},
    {"zf-v11-liudahua-1990.xqf", true, 92, 92, standard},
    {"zf-v12-handicap-rangshuangma003.xqf", true, 17, 17,
     "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/R1BAKAB1R w - - 0 1"},
    {"zf-v13-opening-lvrongqiao1.xqf", true, 30, 30, standard},
    {"zf-v15-endgame-paodabiancheng.xqf", true, 7, 7, "P2k5/1r7/1C1P1P3/9/9/9/9/9/7p1/4K4 w - - 0 1"},
    {"zf-v16-sample07-xqstudio.xqf", true, 33, 33, standard},
    // Three moves of its main line start from empty points: the replay stops at the first.
    {"zf-v18-badmoves-zuojianzifu.xqf", true, 35, 31, "1r1ak1N2/c1Nn1R2C/b4a3/5P3/C6r1/9/9/4B3p/4p4/5K3 w - - 0 1"},
};

TEST(RecordSamples, EveryXqfFileLoadsOrFailsAsTheFormatSays) {
  REQUIRE_SAMPLES(folder, "xqf");
  ChessScoreManager manager(makeSystemGbkDecoder());
  size_t checked = 0;
  for (const XqfSample& sample : xqfSamples) {
    const fs::path file = folder / sample.file;
    ASSERT_TRUE(fs::exists(file)) << sample.file;
    ChessScore score;
    EXPECT_EQ(manager.load(support::wideOf(file), score), sample.loads) << sample.file;
    EXPECT_EQ(score.moves.size(), sample.moves) << sample.file;
    if (sample.startFen != nullptr) {
      EXPECT_EQ(score.startFen, sample.startFen) << sample.file;
    }
    if (!sample.loads) continue;
    GameEngine game;
    EXPECT_EQ(score.toGameState(game), sample.replayed == sample.moves) << sample.file;
    EXPECT_EQ(game.getMoveHistory().size(), sample.replayed) << sample.file;
    ++checked;
  }
  EXPECT_EQ(checked, 14u);
}

TEST(RecordSamples, XqfTextsAreUtf8AndBothCopiesOfOneGameAgree) {
  REQUIRE_SAMPLES(folder, "xqf");
  ChessScoreManager manager(makeSystemGbkDecoder());
  ChessScore v18, v10;
  ASSERT_TRUE(manager.load(support::wideOf(folder / "ee-v18-xqfexama.xqf"), v18));
  ASSERT_TRUE(manager.load(support::wideOf(folder / "wk-v10-test1-same-game-as-examA.xqf"), v10));
  ASSERT_EQ(v18.moves.size(), v10.moves.size());
  for (size_t i = 0; i < v18.moves.size(); ++i) EXPECT_EQ(v18.moves[i].move, v10.moves[i].move) << i;
  EXPECT_EQ(v18.header.red, "柳大华");
  EXPECT_EQ(v18.header.black, "吕  钦");
  EXPECT_EQ(v18.header.date, "1997年11月16日");
  EXPECT_EQ(v18.header.site, "北京");
  EXPECT_EQ(v18.header.event, "\"中立杯\"象棋电视快棋赛");
  EXPECT_EQ(v18.header.result, "0-1");
  // Every text is UTF-8: wide conversion meets no invalid byte.
  for (const ScoreMove& move : v18.moves) {
    EXPECT_EQ(utf8ToWide(move.comment).find(L'\xFFFD'), std::wstring::npos) << move.comment;
  }
}

TEST(RecordSamples, XqfGamesSurviveConversionToPgn) {
  REQUIRE_SAMPLES(folder, "xqf");
  ChessScoreManager manager(makeSystemGbkDecoder());
  PGNFormat pgn;
  for (const XqfSample& sample : xqfSamples) {
    ChessScore score;
    if (!sample.loads || !manager.load(support::wideOf(folder / sample.file), score)) continue;
    std::stringstream text;
    ASSERT_TRUE(pgn.serialize(text, score));
    ChessScore back;
    ASSERT_TRUE(pgn.parse(text, back)) << sample.file;
    EXPECT_EQ(back.startFen, score.startFen) << sample.file;
    EXPECT_EQ(back.header.red, score.header.red) << sample.file;
    EXPECT_EQ(back.header.event, score.header.event) << sample.file;
    ASSERT_EQ(back.moves.size(), sample.replayed) << sample.file;  // a PGN stops at the refused move
    for (size_t i = 0; i < back.moves.size(); ++i) EXPECT_EQ(back.moves[i].move, score.moves[i].move) << i;
  }
}

TEST(RecordSamples, AGameCutShortByARefusedMoveLoadsItsStartAsPgnButNotAsXqf) {
  REQUIRE_SAMPLES(folder, "xqf");
  const fs::path xqf = folder / "zf-v18-badmoves-zuojianzifu.xqf";  // 35 moves, the 32nd refused
  GameEngine game;
  EXPECT_FALSE(game.loadScore(support::wideOf(xqf), ScoreFormat::UNKNOWN));

  ChessScore score;
  ASSERT_TRUE(ChessScoreManager(nullptr).load(support::wideOf(xqf), score));
  support::RecordTestFolder records;
  std::ostringstream text;
  ASSERT_TRUE(PGNFormat().serialize(text, score));
  support::writeWholeFile(records.file("残局.pgn"), text.str());
  support::RecordLogCapture log;
  ASSERT_TRUE(game.loadScore(records.widePath("残局.pgn"), ScoreFormat::UNKNOWN));
  EXPECT_EQ(game.getMoveHistory().size(), 31u);
  EXPECT_EQ(game.getLoadedPliesBeforeRefusal(), 31u);
  const std::string refused = moveToICCS(score.moves[31].move);
  EXPECT_TRUE(log.contains("PGNFormat::parseMoveText - 着法被规则拒绝，停止解析: " + refused + "，保留手数: 31"));
}

TEST(RecordSamples, OtherToolsPgnDialectsFailCleanly) {
  REQUIRE_SAMPLES(folder, "pgn");
  ChessScoreManager manager(makeSystemGbkDecoder());
  const char* files[] = {
      "ee-ccgc01-gbk-chinese-ecco.pgn",   "mr-winboard-fen-setup-diagram.pgn", "wu-chinese-utf8-multigame.pgn",
      "wu-iccs-multigame-noresult.pgn",   "wu-wxf-fullwidth-multigame.pgn",    "yv-big5-midgame-fen-blackfirst.pgn",
      "zf-gbk-crlf-fen-rootcomment.pgn",  "zf-gmchess-headerless-utf8.pgn",
  };
  for (const char* name : files) {
    ASSERT_TRUE(fs::exists(folder / name)) << name;
    ChessScore score;
    EXPECT_FALSE(manager.load(support::wideOf(folder / name), score)) << name;
    EXPECT_TRUE(score.moves.empty()) << name;
  }
}

}  // namespace
}  // namespace Tavrune
