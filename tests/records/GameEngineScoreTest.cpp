// The game's record entry points: loadScore, saveScore and the loaded record's header.
#include <gtest/gtest.h>

#include "RecordTestFiles.h"
#include "XqfTestEncoder.h"
#include "game/GameEngine.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

TEST(GameEngineScore, SavedGameLoadsBackWithItsHeader) {
  support::RecordTestFolder folder;
  GameEngine game;
  game.newGameFromFEN(MODE_PVE, "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1");
  Move move;
  move.from = Position(5, 6);
  move.to = Position(5, 3);
  ASSERT_TRUE(game.makeMove(move));
  ASSERT_TRUE(game.saveScore(folder.widePath("对局.pgn"), ScoreFormat::PGN));
  support::writeWholeFile(folder.file("对局.pgn"),
                       "[Event \"决赛\"]\n[Red \"甲\"]\n" + support::readWholeFile(folder.file("对局.pgn")));

  GameEngine loaded;
  int callbacks = 0;
  loaded.setStateCallback([&](GameState) { ++callbacks; });
  ASSERT_TRUE(loaded.loadScore(folder.widePath("对局.pgn"), ScoreFormat::UNKNOWN));
  EXPECT_EQ(callbacks, 0);
  EXPECT_EQ(loaded.getMoveHistory(), game.getMoveHistory());
  EXPECT_EQ(loaded.getStartFen(), game.getStartFen());
  EXPECT_EQ(loaded.getMode(), MODE_PVP);
  EXPECT_EQ(loaded.getLoadedScoreHeader().event, "决赛");
  EXPECT_EQ(loaded.getLoadedScoreHeader().red, "甲");
  EXPECT_EQ(loaded.getLoadedScoreHeader().result, "*");
  EXPECT_EQ(loaded.getLoadedPliesBeforeRefusal(), std::nullopt);  // read whole

  // Any new game forgets the loaded record.
  loaded.newGame(MODE_PVP);
  EXPECT_EQ(loaded.getLoadedScoreHeader(), ChessScoreHeader());
  ASSERT_TRUE(loaded.loadScore(folder.widePath("对局.pgn"), ScoreFormat::PGN));
  loaded.newGameFromFEN(MODE_PVP, STANDARD_START_FEN);
  EXPECT_TRUE(loaded.getLoadedScoreHeader().event.empty());
}

TEST(GameEngineScore, ARecordPlayedOnIsSavedWithItsHeaderAndTheGamesResult) {
  support::RecordTestFolder folder;
  support::XqfTestEncoder encoder;
  encoder.event = "City Cup\r\nFinal";
  encoder.red = "Li";
  encoder.result = 1;  // Red won, says the file
  encoder.mainLine = {{support::XqfTestEncoder::square(7, 7), support::XqfTestEncoder::square(4, 7), "", {}, 0}};
  support::writeWholeFile(folder.file("杯赛.xqf"), encoder.encode());
  GameEngine game;
  ASSERT_TRUE(game.loadScore(folder.widePath("杯赛.xqf"), ScoreFormat::UNKNOWN));
  for (const Move& next : {Move{Position(7, 0), Position(6, 2)}, Move{Position(7, 9), Position(6, 7)}}) {
    ASSERT_TRUE(game.makeMove(next));
  }
  ASSERT_TRUE(game.saveScore(folder.widePath("续.pgn"), ScoreFormat::PGN));
  const std::string header = "[Event \"City Cup Final\"]\n[Red \"Li\"]\n[Result \"*\"]\n\n";
  EXPECT_EQ(support::readWholeFile(folder.file("续.pgn")).substr(0, header.size()), header);
  // Taking back one of the record's own moves makes it another game.
  for (int i = 0; i < 3; ++i) game.undoMove();
  ASSERT_TRUE(game.saveScore(folder.widePath("续.pgn"), ScoreFormat::PGN));
  EXPECT_EQ(support::readWholeFile(folder.file("续.pgn")).substr(0, 14), "[Result \"*\"]\n\n");
}

TEST(GameEngineScore, FailedLoadsReportFalse) {
  support::RecordTestFolder folder;
  GameEngine game;
  game.newGame(MODE_PVP);
  EXPECT_FALSE(game.loadScore(folder.widePath("没有.pgn"), ScoreFormat::UNKNOWN));
  EXPECT_EQ(game.getStartFen(), STANDARD_START_FEN);  // untouched

  // An XQF record whose second move comes from an empty point: the first stays played.
  support::XqfTestEncoder encoder;
  encoder.event = "E";
  encoder.mainLine = {{support::XqfTestEncoder::square(7, 7), support::XqfTestEncoder::square(4, 7), "", {}, 0},
                      {support::XqfTestEncoder::square(4, 4), support::XqfTestEncoder::square(4, 5), "", {}, 0}};
  support::writeWholeFile(folder.file("坏.xqf"), encoder.encode());
  EXPECT_FALSE(game.loadScore(folder.widePath("坏.xqf"), ScoreFormat::UNKNOWN));
  EXPECT_EQ(game.getMoveHistory().size(), 1u);
  EXPECT_TRUE(game.getLoadedScoreHeader().event.empty());

  EXPECT_FALSE(game.saveScore(folder.widePath("坏.xqf"), ScoreFormat::XQF));
  EXPECT_EQ(support::readWholeFile(folder.file("坏.xqf")), encoder.encode());
}

}  // namespace
}  // namespace Tavrune
