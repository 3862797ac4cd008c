#include "game/Perft.h"

#include <fstream>

#include "support/TestPaths.h"

namespace Tavrune::Test {

uint64_t perft(const Board& board, int depth) {
  if (depth <= 0) return 1;
  const std::vector<Move> moves = board.getLegalMoves(board.getCurrentPlayer());
  if (depth == 1) return moves.size();
  uint64_t nodes = 0;
  for (const Move& move : moves) {
    Board child = board;
    child.movePiece(move);
    nodes += perft(child, depth - 1);
  }
  return nodes;
}

std::map<std::string, uint64_t> perftDivide(const Board& board, int depth) {
  std::map<std::string, uint64_t> divide;
  for (const Move& move : board.getLegalMoves(board.getCurrentPlayer())) {
    Board child = board;
    child.movePiece(move);
    divide[oracleMoveText(move)] = perft(child, depth - 1);
  }
  return divide;
}

std::string oracleMoveText(const Move& move) {
  auto point = [](Position p) { return std::string(1, static_cast<char>('a' + p.x)) + std::to_string(10 - p.y); };
  return point(move.from) + point(move.to);
}

std::vector<PerftPosition> loadPerftPositions() {
  std::vector<PerftPosition> positions;
  std::ifstream file(sourceDir() + "/tests/game/data/perft-positions.txt");
  auto trim = [](std::string text) {
    const size_t first = text.find_first_not_of(" \t\r");
    const size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
  };
  std::string line;
  while (std::getline(file, line)) {
    line = trim(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t bar = line.find('|');
    positions.push_back({trim(line.substr(0, bar)), bar == std::string::npos ? "" : trim(line.substr(bar + 1))});
  }
  return positions;
}

}  // namespace Tavrune::Test
