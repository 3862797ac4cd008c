// Perft from Board::getLegalMoves against fairy-stockfish, an independent
// implementation of the rules, run as a child process.
#include <gtest/gtest.h>

#include <sstream>

#include "game/Board.h"
#include "game/OracleEngine.h"
#include "game/Perft.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

using Test::loadPerftPositions;
using Test::OracleEngine;
using Test::perft;
using Test::perftDivide;

// Names the first moves whose subtrees differ, so a failure points at the rule.
std::string divideDifferences(const Board& board, int depth, const OracleEngine::PerftResult& oracle) {
  const auto ours = perftDivide(board, depth);
  std::ostringstream out;
  for (const auto& [move, count] : ours) {
    const auto it = oracle.divide.find(move);
    if (it == oracle.divide.end()) {
      out << "\n  " << move << ": ours " << count << ", the oracle does not allow it";
    } else if (it->second != count) {
      out << "\n  " << move << ": ours " << count << ", oracle " << it->second;
    }
  }
  for (const auto& [move, count] : oracle.divide) {
    if (!ours.count(move)) out << "\n  " << move << ": oracle " << count << ", missing from ours";
  }
  return out.str();
}

class PerftOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OracleEngine::isInstalled()) {
      TAVRUNE_SKIP_OR_FAIL_IN_CI(std::string("fairy-stockfish is not installed at ") +
                                 OracleEngine::DEFAULT_PATH);
    }
    ASSERT_TRUE(engine.start()) << engine.error();
  }

  void expectSameAsOracle(const std::string& fen, int depth, const std::string& note) {
    Board board;
    ASSERT_TRUE(board.fromFEN(fen)) << fen;
    const auto oracle = engine.perft(fen, depth);
    ASSERT_TRUE(oracle.has_value()) << engine.error() << " for " << fen;
    const uint64_t ours = perft(board, depth);
    EXPECT_EQ(ours, oracle->nodes) << note << "\n" << fen << " depth " << depth
                                   << divideDifferences(board, depth, *oracle);
  }

  OracleEngine engine;
};

TEST_F(PerftOracle, OpeningToDepthThree) {
  const uint64_t published[] = {44, 1920, 79666};
  for (int depth = 1; depth <= 3; ++depth) {
    const auto oracle = engine.perft(STANDARD_START_FEN, depth);
    ASSERT_TRUE(oracle.has_value()) << engine.error();
    EXPECT_EQ(oracle->nodes, published[depth - 1]) << "the oracle itself disagrees with the published count";
    expectSameAsOracle(STANDARD_START_FEN, depth, "opening");
  }
}

TEST_F(PerftOracle, DataFilePositionsToDepthTwo) {
  const auto positions = loadPerftPositions();
  ASSERT_GE(positions.size(), 30u);
  for (const auto& position : positions) {
    for (int depth = 1; depth <= 2; ++depth) expectSameAsOracle(position.fen, depth, position.note);
  }
}

}  // namespace
}  // namespace Tavrune
