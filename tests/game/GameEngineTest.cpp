#include "game/GameEngine.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace Tavrune {
namespace {

// Red to move; the rook from (8, 5) to (8, 0) mates the lone Black king.
constexpr const char* MATE_IN_ONE = "4k4/R8/9/9/9/8R/9/9/9/3K5 w - - 0 1";
constexpr Move MATING_MOVE{{8, 5}, {8, 0}};

// Counts what the game reports through its two callbacks.
struct CallbackLog {
  int moves = 0;
  std::vector<GameState> states;

  void attach(GameEngine& game) {
    game.setMoveCallback([this](const Move&) { ++moves; });
    game.setStateCallback([this](GameState s) { states.push_back(s); });
  }
};

struct CallbackCase {
  const char* name;
  std::function<void(GameEngine&)> setUp;
  std::function<void(GameEngine&)> act;
  bool suppressed;
  int expectedMoves;
  std::vector<GameState> expectedStates;
};

void playOneMove(GameEngine& g) { ASSERT_TRUE(g.makeMove({{7, 7}, {4, 7}})); }

TEST(GameEngineTest, CallbacksFireAsTheTableSays) {
  const Move redCannon{{7, 7}, {4, 7}};
  const Move blackKnightOutOfTurn{{1, 0}, {2, 2}};
  const Move illegal{{0, 9}, {1, 7}};
  auto noSetUp = [](GameEngine&) {};
  const std::vector<CallbackCase> cases = {
      {"makeMove", noSetUp, [&](GameEngine& g) { g.makeMove(redCannon); }, false, 1, {PLAYING}},
      {"makeMove suppressed", noSetUp, [&](GameEngine& g) { g.makeMove(redCannon); }, true, 0, {}},
      {"makeMove ending the game", [](GameEngine& g) { g.newGameFromFEN(MODE_PVP, MATE_IN_ONE); },
       [](GameEngine& g) { g.makeMove(MATING_MOVE); }, false, 1, {RED_WIN}},
      {"makeMove refused", noSetUp, [&](GameEngine& g) { g.makeMove(illegal); }, false, 0, {}},
      {"makeMove out of turn", noSetUp, [&](GameEngine& g) { g.makeMove(blackKnightOutOfTurn); },
       false, 0, {}},
      {"forceMove out of turn", noSetUp,
       [&](GameEngine& g) { g.forceMove(blackKnightOutOfTurn); }, false, 1, {PLAYING}},
      {"forceMove suppressed", noSetUp,
       [&](GameEngine& g) { g.forceMove(blackKnightOutOfTurn); }, true, 0, {}},
      {"newGame", noSetUp, [](GameEngine& g) { g.newGame(MODE_PVE); }, false, 0, {PLAYING}},
      {"newGame suppressed", noSetUp, [](GameEngine& g) { g.newGame(MODE_PVE); }, true, 0, {}},
      {"newGameFromFEN", noSetUp, [](GameEngine& g) { g.newGameFromFEN(MODE_PVP, MATE_IN_ONE); },
       false, 0, {PLAYING}},
      {"newGameFromFEN suppressed", noSetUp,
       [](GameEngine& g) { g.newGameFromFEN(MODE_PVP, MATE_IN_ONE); }, true, 0, {}},
      {"undoMove", playOneMove, [](GameEngine& g) { g.undoMove(); }, false, 0, {PLAYING}},
      {"undoMove suppressed", playOneMove, [](GameEngine& g) { g.undoMove(); }, true, 0,
       {PLAYING}},
      {"undoMove without history", noSetUp, [](GameEngine& g) { g.undoMove(); }, false, 0, {}},
      {"setGameState", noSetUp, [](GameEngine& g) { g.setGameState(DRAW); }, false, 0, {DRAW}},
      {"setGameState suppressed", noSetUp, [](GameEngine& g) { g.setGameState(DRAW); }, true, 0,
       {DRAW}},
      {"sync already matching", noSetUp,
       [](GameEngine& g) { g.applyNetworkSyncState(STANDARD_START_FEN, {}, false); }, false, 0, {}},
      {"sync forced", noSetUp,
       [](GameEngine& g) { g.applyNetworkSyncState(STANDARD_START_FEN, {}, true); }, false, 0,
       {PLAYING}},
      {"sync forced, suppressed on entry", noSetUp,
       [](GameEngine& g) { g.applyNetworkSyncState(STANDARD_START_FEN, {}, true); }, true, 0, {}},
      {"sync with an unreadable FEN", noSetUp,
       [](GameEngine& g) { g.applyNetworkSyncState("not a fen", {}, true); }, false, 0, {}},
  };
  for (const CallbackCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameEngine game;
    game.newGame(MODE_PVP);
    c.setUp(game);
    CallbackLog log;
    log.attach(game);
    game.setSuppressCallbacks(c.suppressed);
    c.act(game);
    EXPECT_EQ(log.moves, c.expectedMoves);
    EXPECT_EQ(log.states, c.expectedStates);
    EXPECT_EQ(game.areCallbacksSuppressed(), c.suppressed);
  }
}

TEST(GameEngineTest, PlayedMovesCarryThePiecesFromTheBoard) {
  GameEngine game;
  game.newGame(MODE_PVP);
  Move claimed{{7, 7}, {7, 0}, BLACK_KING, RED_PAWN};  // cannon takes the knight
  Move delivered;
  game.setMoveCallback([&](const Move& m) { delivered = m; });
  ASSERT_TRUE(game.makeMove(claimed));
  const Move expected{{7, 7}, {7, 0}, RED_CANNON, BLACK_KNIGHT};
  EXPECT_EQ(delivered, expected);
  ASSERT_EQ(game.getMoveHistory().size(), 1u);
  EXPECT_EQ(game.getMoveHistory()[0], expected);
}

TEST(GameEngineTest, NoMoveIsAcceptedAfterTheGameEnds) {
  GameEngine game;
  ASSERT_TRUE(game.newGameFromFEN(MODE_PVP, MATE_IN_ONE));
  ASSERT_TRUE(game.makeMove(MATING_MOVE));
  EXPECT_EQ(game.getGameState(), RED_WIN);
  EXPECT_FALSE(game.makeMove({{3, 9}, {3, 8}}));
  EXPECT_FALSE(game.forceMove({{4, 0}, {4, 1}}));
  EXPECT_EQ(game.getMoveHistory().size(), 1u);
}

TEST(GameEngineTest, ForceMoveSkipsOnlyTheTurnTest) {
  GameEngine game;
  game.newGame(MODE_LAN);
  EXPECT_FALSE(game.makeMove({{1, 0}, {2, 2}}));
  EXPECT_FALSE(game.forceMove({{1, 0}, {1, 1}}));  // not a knight's move
  ASSERT_TRUE(game.forceMove({{1, 0}, {2, 2}}));
  // The mover is the side that was to move (Red), so Black is to move now.
  EXPECT_EQ(game.getCurrentPlayer(), BLACK);
}

TEST(GameEngineTest, NewGameFromFenReportsAnUnreadableText) {
  GameEngine game;
  game.newGame(MODE_PVE);
  EXPECT_FALSE(game.newGameFromFEN(MODE_LAN, "rnbakabnr/9 b - - 0 1"));
  EXPECT_EQ(game.getStartFen(), "rnbakabnr/9 b - - 0 1");
  EXPECT_EQ(game.getMode(), MODE_LAN);
  EXPECT_EQ(game.getCurrentPlayer(), RED);
  EXPECT_EQ(game.getBoard().getPiece({0, 9}), EMPTY);  // not the previous opening
  EXPECT_TRUE(game.getMoveHistory().empty());

  EXPECT_TRUE(game.newGameFromFEN(MODE_PVP, MATE_IN_ONE));
  EXPECT_EQ(game.getBoard().toFEN(), MATE_IN_ONE);
}

// Replays a history from a start FEN on a fresh board, checking that each move starts
// from the piece the history says.
std::string replay(const std::string& startFen, const std::vector<Move>& history) {
  Board board;
  EXPECT_TRUE(board.fromFEN(startFen));
  for (const Move& move : history) {
    EXPECT_EQ(board.getPiece(move.from), move.piece);
    EXPECT_EQ(board.getPiece(move.to), move.captured);
    board.movePiece(move);
  }
  return board.toFEN();
}

TEST(GameEngineTest, HistoryReplaysAndUndoRestoresExactly) {
  const std::vector<std::string> starts = {
      STANDARD_START_FEN,
      "r1ba1a3/4kn3/2n1b4/pNp1p1p1p/4c4/6P2/P1P2R2P/1CcC5/9/2BAKAB2 w - - 0 1",
      "rnbakabnr/9/1c5c1/p1p1p1p1p/9/2P6/P3P1P1P/1C5C1/9/RNBAKABNR b - - 3 7",
      "3k5/4a4/9/9/2p6/9/6P2/4B4/4A4/2R1K4 w - - 10 40",
  };
  for (const std::string& start : starts) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(start + " seed " + std::to_string(seed));
      std::mt19937 random(seed);
      GameEngine game;
      ASSERT_TRUE(game.newGameFromFEN(MODE_PVP, start));
      std::vector<std::string> fens = {game.getBoard().toFEN()};
      while (game.getGameState() == PLAYING && fens.size() <= 80) {
        const std::vector<Move> legal = game.getBoard().getLegalMoves(game.getCurrentPlayer());
        ASSERT_FALSE(legal.empty());
        ASSERT_TRUE(game.makeMove(legal[random() % legal.size()]));
        fens.push_back(game.getBoard().toFEN());
      }
      EXPECT_EQ(replay(game.getStartFen(), game.getMoveHistory()), fens.back());

      for (size_t ply = fens.size() - 1; ply > 0; --ply) {
        game.undoMove();
        ASSERT_EQ(game.getBoard().toFEN(), fens[ply - 1]);
        ASSERT_EQ(game.getMoveHistory().size(), ply - 1);
      }
    }
  }
}

TEST(GameEngineTest, SyncReplaysThePeersMoves) {
  GameEngine peer;
  peer.newGame(MODE_LAN);
  ASSERT_TRUE(peer.makeMove({{7, 7}, {4, 7}}));
  ASSERT_TRUE(peer.makeMove({{7, 0}, {6, 2}}));

  GameEngine game;
  game.newGame(MODE_LAN);
  ASSERT_TRUE(game.applyNetworkSyncState(peer.getBoard().toFEN(), peer.getMoveHistory(), false));
  EXPECT_EQ(game.getMoveHistory(), peer.getMoveHistory());
  EXPECT_EQ(game.getStartFen(), STANDARD_START_FEN);
  EXPECT_EQ(game.getBoard().toFEN(), peer.getBoard().toFEN());
}

// Only a game played from the opening is taken from a peer: a position it cannot be
// reached by, a move out of turn or an illegal one leaves the game, its history and its
// undo stack as they were.
TEST(GameEngineTest, ASyncThatIsNotAGameFromTheOpeningLeavesTheGameAlone) {
  GameEngine game;
  game.newGameFromFEN(MODE_LAN, "4k4/9/9/9/9/9/9/9/4P4/3K5 w - - 0 30");
  ASSERT_TRUE(game.makeMove({{4, 8}, {4, 7}}));
  const std::string fenBefore = game.getBoard().toFEN();
  const std::vector<Move> historyBefore = game.getMoveHistory();
  const std::string afterCannon = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 1 1";

  const struct {
    const char* name;
    std::string fen;
    std::vector<Move> moves;
  } cases[] = {
      {"empty FEN", "", {{{4, 7}, {4, 6}}}},
      {"cut-off FEN", "rnbakabnr/9/1c5c1 w", {}},
      {"unknown side to move", "4k4/9/9/9/9/9/9/9/4P4/3K5 x - - 0 1", {}},
      {"Red without its chariots", "1nbakabn1/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/1NBAKABN1 w - - 0 1", {}},
      {"two bare kings", "4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1", {}},
      {"moves that lead elsewhere", STANDARD_START_FEN, {{{7, 7}, {4, 7}}}},
      {"the same move twice", afterCannon, {{{7, 7}, {4, 7}}, {{7, 7}, {4, 7}}}},
      {"Black first", "rnbakabnr/9/1c2c4/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 1 1", {{{7, 2}, {4, 2}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(game.applyNetworkSyncState(c.fen, c.moves, true));
    EXPECT_EQ(game.getBoard().toFEN(), fenBefore);
    EXPECT_EQ(game.getMoveHistory(), historyBefore);
    EXPECT_EQ(game.getStartFen(), "4k4/9/9/9/9/9/9/9/4P4/3K5 w - - 0 30");
    EXPECT_FALSE(game.areCallbacksSuppressed());
  }
  game.undoMove();  // the undo stack survived too
  EXPECT_EQ(game.getBoard().toFEN(), "4k4/9/9/9/9/9/9/9/4P4/3K5 w - - 0 30");
}

}  // namespace
}  // namespace Tavrune
