#pragma once
// The position of one game: 90 points, side to move, game state, FEN clocks and an
// undo stack of earlier positions. Reads and writes FEN; applies the rules.
#include <array>
#include <string>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune {

inline constexpr const char* STANDARD_START_FEN =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

class Board {
 public:
  // Cells are stored file by file: point (x, y) is element x * 10 + y.
  using Cells = std::array<int32_t, 90>;

  Board();

  void clear();
  void setupInitialPosition();

  PieceType getPiece(Position pos) const;
  // Ignores off-board points and codes outside 0..14.
  void setPiece(Position pos, PieceType piece);
  Cells getCells() const;
  // Refuses (returns false, changes nothing) when any code lies outside 0..14.
  bool setCells(const Cells& cells);

  bool fromFEN(const std::string& fen);
  std::string toFEN() const;

  void pushState();
  void popState();
  void clearHistory();
  size_t historySize() const { return cellHistory.size(); }

  // Rules.
  bool isValidMove(const Move& move) const;
  bool isValidMoveIgnoringTurn(const Move& move) const;
  bool isValidMoveImpl(const Move& move, bool checkTurn) const;
  bool canAttack(const Move& move) const;
  bool isInCheck(PieceColor color) const;
  std::vector<Move> getLegalMoves(PieceColor color) const;
  void movePiece(const Move& move);

  bool isValidRookMove(Position from, Position to) const;
  bool isValidKnightMove(Position from, Position to) const;
  bool isValidElephantMove(Position from, Position to, PieceColor color) const;
  bool isValidAdvisorMove(Position from, Position to, PieceColor color) const;
  bool isValidKingMove(Position from, Position to, PieceColor color) const;
  bool isValidCannonMove(Position from, Position to) const;
  bool isValidPawnMove(Position from, Position to, PieceColor color) const;

  // The side to move and the game state are read and written directly by the game
  // and the review.
  PieceColor getCurrentPlayer() const { return currentPlayer; }
  void setCurrentPlayer(PieceColor color) { currentPlayer = color; }
  GameState getGameState() const { return gameState; }
  void setGameState(GameState state) { gameState = state; }
  int32_t getHalfmoveClock() const { return halfmoveClock; }
  int32_t getFullmoveNumber() const { return fullmoveNumber; }

 private:
  Cells cells{};
  PieceColor currentPlayer = RED;
  GameState gameState = PLAYING;
  int32_t halfmoveClock = 0;
  int32_t fullmoveNumber = 1;
  std::vector<Cells> cellHistory;
  std::vector<int32_t> halfmoveHistory;
  std::vector<int32_t> fullmoveHistory;
};

}  // namespace Tavrune
