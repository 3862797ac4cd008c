// Putting a game back from its snapshot: the same position, history, start, mode, result
// and record header, nothing reported through the callbacks, and undo walking back
// through the real moves afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "game/GameEngine.h"
#include "game/GameSnapshot.h"

namespace Tavrune {
namespace {

constexpr const char* MATE_IN_ONE = "4k4/R8/9/9/9/8R/9/9/9/3K5 w - - 0 1";
constexpr const char* MIDGAME = "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1";

struct CallbackCount {
  int moves = 0;
  int states = 0;
  void attach(GameEngine& game) {
    game.setMoveCallback([this](const Move&) { ++moves; });
    game.setStateCallback([this](GameState) { ++states; });
  }
};

// Plays up to `plies` random legal moves with a fixed seed, stopping when the game ends.
void playRandomMoves(GameEngine& game, int plies, unsigned seed) {
  std::mt19937 random(seed);
  for (int i = 0; i < plies && game.getGameState() == PLAYING; ++i) {
    const std::vector<Move> legal = game.getBoard().getLegalMoves(game.getCurrentPlayer());
    if (legal.empty()) return;
    ASSERT_TRUE(game.makeMove(legal[random() % legal.size()]));
  }
}

// A record with a header and a start position, written as the program writes records
// with the players' tags put in front, then loaded into `game`.
void loadRecordWithHeader(GameEngine& game) {
  GameEngine source;
  ASSERT_TRUE(source.newGameFromFEN(MODE_PVP, MIDGAME));
  playRandomMoves(source, 6, 11);
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("tavrune_snapshot_" + std::to_string(std::random_device{}()) + ".pgn");
  ASSERT_TRUE(source.saveScore(file.wstring(), ScoreFormat::PGN));
  std::string body;
  {
    std::ifstream in(file, std::ios::binary);
    body.assign(std::istreambuf_iterator<char>(in), {});
  }
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "[Event \"友谊赛\"]\n[Red \"甲\"]\n[Black \"乙\"]\n" << body;
  }
  const bool loaded = game.loadScore(file.wstring(), ScoreFormat::UNKNOWN);
  std::filesystem::remove(file);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(game.getLoadedScoreHeader().event, "友谊赛");
}

struct GameCase {
  const char* name;
  std::function<void(GameEngine&)> build;
};

const std::vector<GameCase>& gameCases() {
  static const std::vector<GameCase> cases = {
      {"opening, no move", [](GameEngine& g) { g.newGame(MODE_PVP); }},
      {"two-player game", [](GameEngine& g) { g.newGame(MODE_PVP); playRandomMoves(g, 24, 1); }},
      {"engine game from a set-up position",
       [](GameEngine& g) { ASSERT_TRUE(g.newGameFromFEN(MODE_PVE, MIDGAME)); playRandomMoves(g, 9, 2); }},
      {"ended by mate",
       [](GameEngine& g) {
         ASSERT_TRUE(g.newGameFromFEN(MODE_PVP, MATE_IN_ONE));
         ASSERT_TRUE(g.makeMove({{8, 5}, {8, 0}}));
       }},
      {"ended without a move",
       [](GameEngine& g) { g.newGame(MODE_LAN); playRandomMoves(g, 5, 3); g.setGameState(BLACK_WIN); }},
      {"peer's move out of turn",
       [](GameEngine& g) {
         g.newGame(MODE_LAN);
         ASSERT_TRUE(g.forceMove({{1, 0}, {2, 2}}));
         playRandomMoves(g, 4, 4);
       }},
      {"LAN game brought to the peer's by a resync",
       [](GameEngine& g) {
         GameEngine peer;
         peer.newGame(MODE_LAN);
         playRandomMoves(peer, 6, 5);
         g.newGame(MODE_LAN);
         ASSERT_TRUE(g.applyNetworkSyncState(peer.getBoard().toFEN(), peer.getMoveHistory(), true));
         playRandomMoves(g, 3, 5);
       }},
      {"loaded record", loadRecordWithHeader},
  };
  return cases;
}

TEST(GameSnapshotTest, RestoreBringsBackTheGameSilentlyAndUndoWalksItsHistory) {
  for (const GameCase& c : gameCases()) {
    SCOPED_TRACE(c.name);
    GameEngine game;
    c.build(game);
    if (HasFatalFailure()) return;

    // The position before each move, to compare undo against.
    std::vector<std::string> positions;
    {
      GameEngine walk;
      ASSERT_TRUE(walk.newGameFromFEN(MODE_PVP, game.getStartFen()));
      for (const Move& move : game.getMoveHistory()) {
        positions.push_back(walk.getBoard().toFEN());
        ASSERT_TRUE(walk.forceMove(move));
      }
    }

    const GameSnapshot saved = game.snapshot();
    const std::string fen = game.getBoard().toFEN();
    const std::vector<Move> history = game.getMoveHistory();
    const ChessScoreHeader header = game.getLoadedScoreHeader();
    const GameState state = game.getGameState();
    const GameMode mode = game.getMode();
    const std::string startFen = game.getStartFen();

    // Something else replaces the game, as a new game or a record load would.
    game.newGame(MODE_PVE);
    ASSERT_TRUE(game.makeMove({{7, 7}, {4, 7}}));

    CallbackCount count;
    count.attach(game);
    ASSERT_TRUE(game.restore(saved));
    EXPECT_EQ(count.moves, 0);
    EXPECT_EQ(count.states, 0);
    EXPECT_FALSE(game.areCallbacksSuppressed());

    EXPECT_EQ(game.getBoard().toFEN(), fen);
    EXPECT_EQ(game.getMoveHistory(), history);
    EXPECT_EQ(game.getStartFen(), startFen);
    EXPECT_EQ(game.getGameState(), state);
    EXPECT_EQ(game.getMode(), mode);
    EXPECT_EQ(game.getLoadedScoreHeader(), header);

    // The callbacks are this game's again: the next move is reported.
    if (state == PLAYING) {
      const std::vector<Move> legal = game.getBoard().getLegalMoves(game.getCurrentPlayer());
      ASSERT_FALSE(legal.empty());
      ASSERT_TRUE(game.makeMove(legal.front()));
      EXPECT_EQ(count.moves, 1);
      game.undoMove();
    }

    for (size_t i = positions.size(); i-- > 0;) {
      game.undoMove();
      EXPECT_EQ(game.getBoard().toFEN(), positions[i]) << "after undoing move " << i;
    }
    EXPECT_TRUE(game.getMoveHistory().empty());
  }
}

TEST(GameSnapshotTest, ASnapshotThatDoesNotReplayLeavesTheGameAsItWas) {
  GameEngine source;
  source.newGame(MODE_PVP);
  playRandomMoves(source, 6, 7);
  const GameSnapshot good = source.snapshot();

  const struct {
    const char* name;
    std::function<void(GameSnapshot&)> spoil;
  } cases[] = {
      {"unreadable start", [](GameSnapshot& s) { s.startFen = "rnbakabnr/9 w"; }},
      {"a move that is not legal there", [](GameSnapshot& s) { s.moves[2] = Move{{0, 0}, {0, 9}}; }},
      {"a move too many for the position",
       [](GameSnapshot& s) { s.moves.push_back(s.moves.back()); }},
      {"another start", [](GameSnapshot& s) { s.startFen = MIDGAME; }},
      {"the board changed outside the moves", [](GameSnapshot& s) { s.positionFen = MIDGAME; }},
      {"taken during a review", [](GameSnapshot& s) { s.state = REVIEW; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GameSnapshot spoilt = good;
    c.spoil(spoilt);

    GameEngine game;
    ASSERT_TRUE(game.newGameFromFEN(MODE_PVE, MATE_IN_ONE));
    const GameSnapshot before = game.snapshot();
    CallbackCount count;
    count.attach(game);
    EXPECT_FALSE(game.restore(spoilt));
    EXPECT_EQ(count.moves + count.states, 0);
    EXPECT_EQ(game.getBoard().toFEN(), before.positionFen);
    EXPECT_EQ(game.getMoveHistory(), before.moves);
    EXPECT_EQ(game.getStartFen(), before.startFen);
    EXPECT_EQ(game.getMode(), MODE_PVE);
    // Still playable: the undo stack was not disturbed either.
    EXPECT_TRUE(game.makeMove({{8, 5}, {8, 0}}));
    game.undoMove();
    EXPECT_EQ(game.getBoard().toFEN(), MATE_IN_ONE);
  }
}

}  // namespace
}  // namespace Tavrune
