#pragma once
// Random legal games for round trips and benchmarks: each ply is drawn from the rules'
// own list of legal moves.
#include <random>
#include <string>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune::Test {

// Up to `plies` moves from the FEN (fewer when the game ends), each with its piece and
// captured piece filled in.
std::vector<Move> randomGame(const std::string& startFen, int plies, std::mt19937& random);

}  // namespace Tavrune::Test
