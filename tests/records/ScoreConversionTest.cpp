// The record's conversion from and to the live game.
#include <gtest/gtest.h>

#include "RecordLogCapture.h"
#include "game/GameEngine.h"
#include "records/ChessScore.h"

namespace Tavrune {
namespace {

namespace support = ::Tavrune::Test;

Move mv(int fx, int fy, int tx, int ty) {
  Move move;
  move.from = Position(fx, fy);
  move.to = Position(tx, ty);
  return move;
}

ChessScore recordOf(std::initializer_list<Move> moves, const std::string& fen = "") {
  ChessScore score;
  score.startFen = fen;
  for (const Move& move : moves) {
    ScoreMove entry;
    entry.move = move;
    score.moves.push_back(entry);
  }
  return score;
}

TEST(ScoreConversion, FromGameStateRecordsStartHistoryNumbersAndResult) {
  GameEngine game;
  game.newGame(MODE_PVE);
  ChessScore empty = ChessScore::fromGameState(game);
  EXPECT_EQ(empty.startFen, STANDARD_START_FEN);
  EXPECT_TRUE(empty.moves.empty());
  EXPECT_EQ(empty.header.result, "*");

  for (const Move& move : {mv(7, 7, 4, 7), mv(7, 0, 6, 2), mv(7, 9, 6, 7), mv(8, 0, 7, 0)}) {
    ASSERT_TRUE(game.makeMove(move));
  }
  const ChessScore score = ChessScore::fromGameState(game);
  ASSERT_EQ(score.moves.size(), 4u);
  const int numbers[] = {1, 1, 2, 2};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(score.moves[i].move, game.getMoveHistory()[i]);
    EXPECT_EQ(score.moves[i].moveNumber, numbers[i]);
    EXPECT_TRUE(score.moves[i].flag);
  }
  EXPECT_EQ(score.moves[0].move.piece, RED_CANNON);

  const struct {
    GameState state;
    const char* result;
  } results[] = {{RED_WIN, "1-0"}, {BLACK_WIN, "0-1"}, {DRAW, "1/2-1/2"},
                 {REVIEW, "1/2-1/2"},  // a review keeps the result of the game it shows
                 {PLAYING, "*"}, {REVIEW, "*"}};
  for (const auto& c : results) {
    game.setGameState(c.state);
    EXPECT_EQ(ChessScore::fromGameState(game).header.result, c.result) << c.state;
  }
}

TEST(ScoreConversion, ToGameStateReplaysSilentlyInTwoPlayerMode) {
  GameEngine game;
  int callbacks = 0;
  game.setMoveCallback([&](const Move&) { ++callbacks; });
  game.setStateCallback([&](GameState) { ++callbacks; });
  game.newGame(MODE_LAN);
  callbacks = 0;

  const ChessScore score = recordOf({mv(7, 7, 4, 7), mv(7, 0, 6, 2)});
  ASSERT_TRUE(score.toGameState(game));
  EXPECT_EQ(callbacks, 0);
  EXPECT_EQ(game.getMode(), MODE_PVP);
  EXPECT_EQ(game.getStartFen(), STANDARD_START_FEN);  // empty FEN: the standard opening
  EXPECT_EQ(game.getMoveHistory().size(), 2u);
  EXPECT_FALSE(game.areCallbacksSuppressed());

  const std::string endgame = "4k4/9/9/9/9/9/9/9/4R4/3K5 b - - 0 1";
  ASSERT_TRUE(recordOf({}, endgame).toGameState(game));
  EXPECT_EQ(game.getStartFen(), endgame);
  EXPECT_EQ(game.getCurrentPlayer(), BLACK);
  EXPECT_TRUE(game.getMoveHistory().empty());
}

TEST(ScoreConversion, ToGameStateStopsAtTheFirstRefusedMove) {
  support::RecordLogCapture log;
  GameEngine game;
  const ChessScore score = recordOf({mv(7, 7, 4, 7), mv(7, 0, 6, 2), mv(0, 9, 5, 5), mv(8, 0, 7, 0)});
  EXPECT_FALSE(score.toGameState(game));
  EXPECT_EQ(game.getMoveHistory().size(), 2u);
  EXPECT_FALSE(game.areCallbacksSuppressed());
  EXPECT_TRUE(log.contains("ChessScore::toGameState - 着法应用失败 at index 2"));
}

// A position the board cannot read is no game: without this check a record with no moves
// reported success on a cleared board.
TEST(ScoreConversion, ToGameStateRefusesAnUnreadableStartPosition) {
  GameEngine game;
  EXPECT_FALSE(recordOf({}, "3k1a1cC/4a4/4e4/9/6PP1/3C5/2p1r4/4E4/4A4/4KAE2 w 0 1").toGameState(game));
  EXPECT_FALSE(game.areCallbacksSuppressed());
}

}  // namespace
}  // namespace Tavrune
