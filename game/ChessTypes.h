#pragma once
// Value types shared by every subsystem: points, pieces, sides, moves, game states.
#include <cstdint>

namespace Tavrune {

// A board point: x is the file 0..8 from the left as FEN writes it, y the row 0..9
// with row 0 Black's back rank. (-1, -1) stands for "no point".
struct Position {
  int32_t x = -1;
  int32_t y = -1;

  constexpr Position() = default;
  constexpr Position(int32_t px, int32_t py) : x(px), y(py) {}
  // Negative values read as unsigned are large, so one comparison covers both ends.
  constexpr bool isValid() const {
    return static_cast<uint32_t>(x) < 9u && static_cast<uint32_t>(y) < 10u;
  }
  friend constexpr bool operator==(const Position&, const Position&) = default;
};

// Piece codes; Black's code is Red's plus 7. Character n of PIECE_LETTERS is the FEN
// letter of code n.
enum PieceType : int32_t {
  EMPTY = 0,
  RED_ROOK = 1,
  RED_KNIGHT = 2,
  RED_ELEPHANT = 3,
  RED_ADVISOR = 4,
  RED_KING = 5,
  RED_CANNON = 6,
  RED_PAWN = 7,
  BLACK_ROOK = 8,
  BLACK_KNIGHT = 9,
  BLACK_ELEPHANT = 10,
  BLACK_ADVISOR = 11,
  BLACK_KING = 12,
  BLACK_CANNON = 13,
  BLACK_PAWN = 14,
};

inline constexpr char PIECE_LETTERS[] = ".RNBAKCPrnbakcp";
inline constexpr int32_t PIECE_TYPE_COUNT = 15;

enum PieceColor : int32_t {
  NONE = 0,
  RED = 1,
  BLACK = 2,
};

enum GameState : int32_t {
  PLAYING = 0,
  RED_WIN = 1,
  BLACK_WIN = 2,
  DRAW = 3,
  REVIEW = 4,
};

// Review is a flag of its own, not a mode.
enum GameMode : int32_t {
  MODE_PVP = 0,
  MODE_PVE = 1,
  MODE_LAN = 2,
};

struct Move {
  Position from;
  Position to;
  PieceType piece = EMPTY;     // filled from the board by the game when played
  PieceType captured = EMPTY;  // what stood on `to`, EMPTY when nothing
  friend constexpr bool operator==(const Move&, const Move&) = default;
};

// None for EMPTY, Red for 1..7, Black for every other value.
constexpr PieceColor getPieceColor(int32_t piece) {
  if (piece == EMPTY) return NONE;
  return (piece >= RED_ROOK && piece <= RED_PAWN) ? RED : BLACK;
}

// The other side of Red is Black; of anything else, Red.
constexpr PieceColor otherColor(PieceColor color) {
  return color == RED ? BLACK : RED;
}

// The kind of a piece regardless of side: 1 rook .. 7 pawn, 0 for EMPTY.
constexpr int32_t pieceKind(int32_t piece) {
  return piece == EMPTY ? 0 : (piece > RED_PAWN ? piece - 7 : piece);
}

}  // namespace Tavrune
