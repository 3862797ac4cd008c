#pragma once
// Perft: the number of move sequences of a given length, counted over
// Board::getLegalMoves and played with Board::movePiece on copies.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/Board.h"

namespace Tavrune::Test {

uint64_t perft(const Board& board, int depth);

// Perft below each first move, keyed by its engine text with ranks 1..10 counted from
// Red's side ("b3e3"), as fairy-stockfish prints them.
std::map<std::string, uint64_t> perftDivide(const Board& board, int depth);

std::string oracleMoveText(const Move& move);

// The positions of tests/game/data/perft-positions.txt: one "FEN | what it exercises"
// a line; "#" starts a comment line. Empty when the file cannot be read.
struct PerftPosition {
  std::string fen;
  std::string note;
};
std::vector<PerftPosition> loadPerftPositions();

}  // namespace Tavrune::Test
