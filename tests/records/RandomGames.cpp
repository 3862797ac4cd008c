#include "RandomGames.h"

#include "game/Board.h"

namespace Tavrune::Test {

std::vector<Move> randomGame(const std::string& startFen, int plies, std::mt19937& random) {
  Board board;
  board.fromFEN(startFen);
  std::vector<Move> game;
  for (int ply = 0; ply < plies && board.getGameState() == PLAYING; ++ply) {
    const std::vector<Move> legal = board.getLegalMoves(board.getCurrentPlayer());
    if (legal.empty()) break;
    Move move = legal[std::uniform_int_distribution<size_t>(0, legal.size() - 1)(random)];
    move.piece = board.getPiece(move.from);
    move.captured = board.getPiece(move.to);
    board.movePiece(move);
    game.push_back(move);
  }
  return game;
}

}  // namespace Tavrune::Test
