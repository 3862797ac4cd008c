#include "game/Board.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "core/Log.h"

namespace Tavrune {

namespace {

using Cells = Board::Cells;

// Clocks stay far below INT32_MAX so that counting moves can never overflow.
constexpr int32_t MAX_CLOCK = 1'000'000'000;

constexpr int index(int x, int y) { return x * 10 + y; }
constexpr int fileOf(int i) { return i / 10; }
constexpr int rowOf(int i) { return i % 10; }
constexpr bool onBoard(int x, int y) { return x >= 0 && x < 9 && y >= 0 && y < 10; }

constexpr int32_t kingCodeOf(PieceColor color) { return color == RED ? RED_KING : BLACK_KING; }

// The first point in scan order (file by file, row by row) that holds `code`, or -1.
int findFirst(const Cells& cells, int32_t code) {
  for (int i = 0; i < 90; ++i) {
    if (cells[i] == code) return i;
  }
  return -1;
}

// Per-piece movement rules. Both points are on the board; only the destination is
// tested against the palace and the river.

bool rookRule(const Cells& cells, Position from, Position to) {
  if (from.x == to.x) {
    const int lo = std::min(from.y, to.y), hi = std::max(from.y, to.y);
    for (int y = lo + 1; y < hi; ++y) {
      if (cells[index(from.x, y)] != EMPTY) return false;
    }
    return true;
  }
  if (from.y == to.y) {
    const int lo = std::min(from.x, to.x), hi = std::max(from.x, to.x);
    for (int x = lo + 1; x < hi; ++x) {
      if (cells[index(x, from.y)] != EMPTY) return false;
    }
    return true;
  }
  return false;
}

bool knightRule(const Cells& cells, Position from, Position to) {
  const int dx = to.x - from.x, dy = to.y - from.y;
  const int adx = std::abs(dx), ady = std::abs(dy);
  if (!((adx == 2 && ady == 1) || (adx == 1 && ady == 2))) return false;
  const int leg = adx == 2 ? index(from.x + dx / 2, from.y) : index(from.x, from.y + dy / 2);
  return cells[leg] == EMPTY;
}

bool elephantRule(const Cells& cells, Position from, Position to, PieceColor color) {
  if (std::abs(to.x - from.x) != 2 || std::abs(to.y - from.y) != 2) return false;
  if (color == RED ? to.y < 5 : to.y > 4) return false;
  return cells[index((from.x + to.x) / 2, (from.y + to.y) / 2)] == EMPTY;
}

bool inPalace(Position to, PieceColor color) {
  if (to.x < 3 || to.x > 5) return false;
  return color == RED ? to.y >= 7 : to.y <= 2;
}

bool advisorRule(Position from, Position to, PieceColor color) {
  if (std::abs(to.x - from.x) != 1 || std::abs(to.y - from.y) != 1) return false;
  return inPalace(to, color);
}

bool kingRule(const Cells& cells, Position from, Position to, PieceColor color) {
  if (std::abs(to.x - from.x) + std::abs(to.y - from.y) != 1) return false;
  if (!inPalace(to, color)) return false;
  // The step may not bring the king face to face with the other king (judged on the
  // board before the move).
  const int other = findFirst(cells, color == RED ? BLACK_KING : RED_KING);
  if (other < 0 || fileOf(other) != to.x) return true;
  const int lo = std::min(rowOf(other), to.y), hi = std::max(rowOf(other), to.y);
  if (lo + 1 >= hi) return false;
  for (int y = lo + 1; y < hi; ++y) {
    if (cells[index(to.x, y)] != EMPTY) return true;
  }
  return false;
}

bool cannonRule(const Cells& cells, Position from, Position to) {
  int between = 0;
  if (from.x == to.x) {
    const int lo = std::min(from.y, to.y), hi = std::max(from.y, to.y);
    for (int y = lo + 1; y < hi; ++y) between += cells[index(from.x, y)] != EMPTY;
  } else if (from.y == to.y) {
    const int lo = std::min(from.x, to.x), hi = std::max(from.x, to.x);
    for (int x = lo + 1; x < hi; ++x) between += cells[index(x, from.y)] != EMPTY;
  } else {
    return false;
  }
  return cells[index(to.x, to.y)] == EMPTY ? between == 0 : between == 1;
}

bool pawnRule(Position from, Position to, PieceColor color) {
  const int dx = to.x - from.x, dy = to.y - from.y;
  const bool sideways = std::abs(dx) == 1 && dy == 0;
  if (color == RED) return (dx == 0 && dy == -1) || (from.y <= 4 && sideways);
  return (dx == 0 && dy == 1) || (from.y >= 5 && sideways);
}

bool pieceRule(const Cells& cells, int32_t piece, Position from, Position to) {
  const PieceColor color = getPieceColor(piece);
  switch (pieceKind(piece)) {
    case RED_ROOK: return rookRule(cells, from, to);
    case RED_KNIGHT: return knightRule(cells, from, to);
    case RED_ELEPHANT: return elephantRule(cells, from, to, color);
    case RED_ADVISOR: return advisorRule(from, to, color);
    case RED_KING: return kingRule(cells, from, to, color);
    case RED_CANNON: return cannonRule(cells, from, to);
    case RED_PAWN: return pawnRule(from, to, color);
    default: return false;
  }
}

Position positionOf(int i) { return Position(fileOf(i), rowOf(i)); }

struct Step {
  int dx;
  int dy;
};

// Offsets listed in ascending order of their cell index difference (dx * 10 + dy), so
// that targets come out file by file as the move list requires.
constexpr Step KNIGHT_STEPS[] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
constexpr Step ELEPHANT_STEPS[] = {{-2, -2}, {-2, 2}, {2, -2}, {2, 2}};
constexpr Step ADVISOR_STEPS[] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
constexpr Step ORTHOGONAL_STEPS[] = {{-1, 0}, {0, -1}, {0, 1}, {1, 0}};

// Whether any piece of `attacker` can reach point `target` by its movement rule (the
// attack test of check). Looks outward from the target instead of scanning the whole
// board: every rule needs the attacker on one of these few points, and the rule itself
// then decides, so the answer equals asking every attacking piece in turn.
bool isAttacked(const Cells& cells, int target, PieceColor attacker) {
  const int32_t base = attacker == RED ? 0 : 7;
  const int tx = fileOf(target), ty = rowOf(target);
  const Position to(tx, ty);

  // Rook: the first piece on a line. Cannon: the second.
  for (const Step& s : ORTHOGONAL_STEPS) {
    int x = tx + s.dx, y = ty + s.dy;
    while (onBoard(x, y) && cells[index(x, y)] == EMPTY) x += s.dx, y += s.dy;
    if (!onBoard(x, y)) continue;
    if (cells[index(x, y)] == RED_ROOK + base) return true;
    x += s.dx, y += s.dy;
    while (onBoard(x, y) && cells[index(x, y)] == EMPTY) x += s.dx, y += s.dy;
    if (onBoard(x, y) && cells[index(x, y)] == RED_CANNON + base) return true;
  }
  for (const Step& s : KNIGHT_STEPS) {
    const int x = tx + s.dx, y = ty + s.dy;
    if (onBoard(x, y) && cells[index(x, y)] == RED_KNIGHT + base && knightRule(cells, Position(x, y), to)) {
      return true;
    }
  }
  for (const Step& s : ELEPHANT_STEPS) {
    const int x = tx + s.dx, y = ty + s.dy;
    if (onBoard(x, y) && cells[index(x, y)] == RED_ELEPHANT + base &&
        elephantRule(cells, Position(x, y), to, attacker)) {
      return true;
    }
  }
  for (const Step& s : ADVISOR_STEPS) {
    const int x = tx + s.dx, y = ty + s.dy;
    if (onBoard(x, y) && cells[index(x, y)] == RED_ADVISOR + base && advisorRule(Position(x, y), to, attacker)) {
      return true;
    }
  }
  for (const Step& s : ORTHOGONAL_STEPS) {
    const int x = tx + s.dx, y = ty + s.dy;
    if (!onBoard(x, y)) continue;
    const int32_t piece = cells[index(x, y)];
    if (piece == RED_PAWN + base && pawnRule(Position(x, y), to, attacker)) return true;
    if (piece == RED_KING + base && kingRule(cells, Position(x, y), to, attacker)) return true;
  }
  return false;
}

// Whether the first Red king and the first Black king stand on one open file.
bool kingsFace(const Cells& cells, int redKing, int blackKing) {
  if (redKing < 0 || blackKing < 0 || fileOf(redKing) != fileOf(blackKing)) return false;
  const int lo = std::min(redKing, blackKing), hi = std::max(redKing, blackKing);
  for (int i = lo + 1; i < hi; ++i) {
    if (cells[i] != EMPTY) return false;
  }
  return true;
}

// Collects the points a piece's movement geometry could reach, in ascending cell
// order. Sliding pieces get exactly their reachable points; the others get their
// offsets, which the piece rule then filters.
class TargetList {
 public:
  void add(int i) { items[count++] = i; }
  void addRow(int fromX, int toX, int y) {
    for (int x = fromX; x <= toX; ++x) add(index(x, y));
  }
  void addFile(int x, int fromY, int toY) {
    for (int y = fromY; y <= toY; ++y) add(index(x, y));
  }
  const int* begin() const { return items; }
  const int* end() const { return items + count; }

 private:
  int items[20];
  int count = 0;
};

bool isEmptyAt(const Cells& cells, int x, int y) { return cells[index(x, y)] == EMPTY; }

void rookTargets(const Cells& cells, int fx, int fy, TargetList& out) {
  int xl = fx - 1;
  while (xl > 0 && isEmptyAt(cells, xl, fy)) --xl;
  int yt = fy - 1;
  while (yt > 0 && isEmptyAt(cells, fx, yt)) --yt;
  int yb = fy + 1;
  while (yb < 9 && isEmptyAt(cells, fx, yb)) ++yb;
  int xr = fx + 1;
  while (xr < 8 && isEmptyAt(cells, xr, fy)) ++xr;
  if (fx > 0) out.addRow(xl, fx - 1, fy);
  if (fy > 0) out.addFile(fx, yt, fy - 1);
  if (fy < 9) out.addFile(fx, fy + 1, yb);
  if (fx < 8) out.addRow(fx + 1, xr, fy);
}

void cannonTargets(const Cells& cells, int fx, int fy, TargetList& out) {
  // Towards lower indices the capture lies beyond the quiet points, so it comes first.
  int x = fx - 1;
  while (x >= 0 && isEmptyAt(cells, x, fy)) --x;
  if (x >= 0) {
    int c = x - 1;
    while (c >= 0 && isEmptyAt(cells, c, fy)) --c;
    if (c >= 0) out.add(index(c, fy));
  }
  out.addRow(x + 1, fx - 1, fy);

  int y = fy - 1;
  while (y >= 0 && isEmptyAt(cells, fx, y)) --y;
  if (y >= 0) {
    int c = y - 1;
    while (c >= 0 && isEmptyAt(cells, fx, c)) --c;
    if (c >= 0) out.add(index(fx, c));
  }
  out.addFile(fx, y + 1, fy - 1);

  y = fy + 1;
  while (y <= 9 && isEmptyAt(cells, fx, y)) ++y;
  out.addFile(fx, fy + 1, y - 1);
  if (y <= 9) {
    int c = y + 1;
    while (c <= 9 && isEmptyAt(cells, fx, c)) ++c;
    if (c <= 9) out.add(index(fx, c));
  }

  x = fx + 1;
  while (x <= 8 && isEmptyAt(cells, x, fy)) ++x;
  out.addRow(fx + 1, x - 1, fy);
  if (x <= 8) {
    int c = x + 1;
    while (c <= 8 && isEmptyAt(cells, c, fy)) ++c;
    if (c <= 8) out.add(index(c, fy));
  }
}

template <size_t N>
void stepTargets(const Step (&steps)[N], int fx, int fy, TargetList& out) {
  for (const Step& s : steps) {
    if (onBoard(fx + s.dx, fy + s.dy)) out.add(index(fx + s.dx, fy + s.dy));
  }
}

// Walks the legal moves of `color` in the order of Board::getLegalMoves and hands each
// (source, target) to `visit`, which returns false to stop. Gives exactly the moves
// that Board::isValidMoveImpl with the turn test accepts, but tests them by playing
// and taking back each move on one scratch copy of the cells.
template <typename Visit>
void forEachLegalMove(const Cells& cells, PieceColor sideToMove, PieceColor color, Visit&& visit) {
  if ((color != RED && color != BLACK) || color != sideToMove) return;
  const PieceColor enemy = otherColor(color);
  const int32_t ownKingCode = kingCodeOf(color);
  const int32_t enemyKingCode = kingCodeOf(enemy);
  const int ownKing = findFirst(cells, ownKingCode);
  const int enemyKing = findFirst(cells, enemyKingCode);
  Cells scratch = cells;

  for (int from = 0; from < 90; ++from) {
    const int32_t piece = cells[from];
    if (getPieceColor(piece) != color) continue;
    const int fx = fileOf(from), fy = rowOf(from);
    const int32_t kind = pieceKind(piece);
    TargetList targets;
    bool exact = false;
    switch (kind) {
      case RED_ROOK: rookTargets(cells, fx, fy, targets); exact = true; break;
      case RED_CANNON: cannonTargets(cells, fx, fy, targets); exact = true; break;
      case RED_KNIGHT: stepTargets(KNIGHT_STEPS, fx, fy, targets); break;
      case RED_ELEPHANT: stepTargets(ELEPHANT_STEPS, fx, fy, targets); break;
      case RED_ADVISOR: stepTargets(ADVISOR_STEPS, fx, fy, targets); break;
      default: stepTargets(ORTHOGONAL_STEPS, fx, fy, targets); break;
    }
    for (const int to : targets) {
      const int32_t captured = cells[to];
      if (getPieceColor(captured) == color) continue;
      if (!exact && !pieceRule(cells, piece, Position(fx, fy), positionOf(to))) continue;

      scratch[to] = piece;
      scratch[from] = EMPTY;
      // Only a king move can change where the mover's first king stands, and only a
      // king capture where the other one does.
      const int king = piece == ownKingCode ? findFirst(scratch, ownKingCode) : ownKing;
      const int otherKing = captured == enemyKingCode ? findFirst(scratch, enemyKingCode) : enemyKing;
      bool legal = king < 0 || !isAttacked(scratch, king, enemy);
      if (legal) {
        legal = color == RED ? !kingsFace(scratch, king, otherKing) : !kingsFace(scratch, otherKing, king);
      }
      scratch[from] = piece;
      scratch[to] = captured;
      if (legal && !visit(from, to)) return;
    }
  }
}

}  // namespace

Board::Board() = default;

void Board::clear() {
  cells.fill(EMPTY);
  currentPlayer = RED;
  gameState = PLAYING;
  halfmoveClock = 0;
  fullmoveNumber = 1;
  clearHistory();
}

void Board::setupInitialPosition() {
  clear();
  static constexpr PieceType BACK_RANK[9] = {RED_ROOK, RED_KNIGHT, RED_ELEPHANT, RED_ADVISOR, RED_KING,
                                             RED_ADVISOR, RED_ELEPHANT, RED_KNIGHT, RED_ROOK};
  for (int x = 0; x < 9; ++x) {
    cells[index(x, 0)] = BACK_RANK[x] + 7;
    cells[index(x, 9)] = BACK_RANK[x];
  }
  for (int x : {1, 7}) {
    cells[index(x, 2)] = BLACK_CANNON;
    cells[index(x, 7)] = RED_CANNON;
  }
  for (int x = 0; x < 9; x += 2) {
    cells[index(x, 3)] = BLACK_PAWN;
    cells[index(x, 6)] = RED_PAWN;
  }
}

PieceType Board::getPiece(Position pos) const {
  if (!pos.isValid()) return EMPTY;
  return static_cast<PieceType>(cells[index(pos.x, pos.y)]);
}

void Board::setPiece(Position pos, PieceType piece) {
  if (!pos.isValid() || piece < EMPTY || piece >= PIECE_TYPE_COUNT) return;
  cells[index(pos.x, pos.y)] = piece;
}

Board::Cells Board::getCells() const { return cells; }

bool Board::setCells(const Cells& newCells) {
  for (int32_t code : newCells) {
    if (code < EMPTY || code >= PIECE_TYPE_COUNT) return false;
  }
  cells = newCells;
  return true;
}

bool Board::fromFEN(const std::string& fen) {
  clear();
  if (fen.empty()) return false;
  const size_t space = fen.find(' ');
  if (space == std::string::npos || space == 0) return false;

  int row = 0, column = 0;
  for (size_t i = 0; i < space; ++i) {
    const char ch = fen[i];
    if (ch == '/') {
      if (column != 9 || row >= 9) return false;
      ++row;
      column = 0;
    } else if (ch >= '1' && ch <= '9') {
      column += ch - '0';
      if (column > 9) return false;
    } else {
      // Only the fifteen letters count: the table's terminating NUL is no piece.
      int code = 0;
      while (code < PIECE_TYPE_COUNT && PIECE_LETTERS[code] != ch) ++code;
      if (code == PIECE_TYPE_COUNT || column >= 9) return false;
      cells[index(column, row)] = code;
      ++column;
    }
  }
  if (row != 9 || column != 9) return false;

  const char side = space + 1 < fen.size() ? fen[space + 1] : '\0';
  if (side == 'w') {
    currentPlayer = RED;
  } else if (side == 'b') {
    currentPlayer = BLACK;
  } else {
    return false;
  }

  halfmoveClock = 0;
  fullmoveNumber = 1;
  std::istringstream fields(fen.substr(space + 1));
  std::string word;
  for (int i = 0; i < 3; ++i) {
    if (!(fields >> word)) return true;
  }
  // Read wide and clamp, so that any number of digits gives a bounded clock.
  long long value = 0;
  if (!(fields >> value)) return true;
  halfmoveClock = static_cast<int32_t>(std::clamp<long long>(value, 0, MAX_CLOCK));
  if (!(fields >> value)) return true;
  fullmoveNumber = static_cast<int32_t>(std::clamp<long long>(value, 1, MAX_CLOCK));
  return true;
}

std::string Board::toFEN() const {
  std::string fen;
  fen.reserve(96);
  for (int y = 0; y < 10; ++y) {
    int emptyRun = 0;
    for (int x = 0; x < 9; ++x) {
      const int32_t piece = cells[index(x, y)];
      if (piece == EMPTY) {
        ++emptyRun;
        continue;
      }
      if (emptyRun > 0) fen += static_cast<char>('0' + emptyRun);
      emptyRun = 0;
      fen += PIECE_LETTERS[piece];
    }
    if (emptyRun > 0) fen += static_cast<char>('0' + emptyRun);
    if (y < 9) fen += '/';
  }
  fen += currentPlayer == RED ? " w - - " : " b - - ";
  fen += std::to_string(halfmoveClock);
  fen += ' ';
  fen += std::to_string(fullmoveNumber);
  logInfo("Board::toFEN() generated: [" + fen + "] length=" + std::to_string(fen.size()));
  return fen;
}

void Board::pushState() {
  cellHistory.push_back(cells);
  halfmoveHistory.push_back(halfmoveClock);
  fullmoveHistory.push_back(fullmoveNumber);
}

void Board::popState() {
  if (cellHistory.empty()) return;
  cells = cellHistory.back();
  halfmoveClock = halfmoveHistory.back();
  fullmoveNumber = fullmoveHistory.back();
  cellHistory.pop_back();
  halfmoveHistory.pop_back();
  fullmoveHistory.pop_back();
  currentPlayer = otherColor(currentPlayer);
}

void Board::clearHistory() {
  cellHistory.clear();
  halfmoveHistory.clear();
  fullmoveHistory.clear();
}

bool Board::isValidMove(const Move& move) const { return isValidMoveImpl(move, true); }

bool Board::isValidMoveIgnoringTurn(const Move& move) const { return isValidMoveImpl(move, false); }

bool Board::isValidMoveImpl(const Move& move, bool checkTurn) const {
  const Position from = move.from, to = move.to;
  if (!from.isValid() || !to.isValid()) {
    logError("isValidMoveImpl: invalid position");
    return false;
  }
  if (from == to) return false;
  const int32_t piece = cells[index(from.x, from.y)];
  if (piece == EMPTY) return false;
  const PieceColor mover = getPieceColor(piece);
  if (checkTurn && mover != currentPlayer) return false;
  const int32_t captured = cells[index(to.x, to.y)];
  if (getPieceColor(captured) == mover || piece >= PIECE_TYPE_COUNT) return false;
  if (!pieceRule(cells, piece, from, to)) return false;

  // Only the cells matter to check and facing, so the scratch copy is just those.
  Cells after = cells;
  after[index(to.x, to.y)] = piece;
  after[index(from.x, from.y)] = EMPTY;
  const int king = findFirst(after, kingCodeOf(mover));
  if (king >= 0 && isAttacked(after, king, otherColor(mover))) return false;
  return !kingsFace(after, findFirst(after, RED_KING), findFirst(after, BLACK_KING));
}

bool Board::canAttack(const Move& move) const {
  const Position from = move.from, to = move.to;
  if (!from.isValid() || !to.isValid() || from == to) return false;
  const int32_t piece = cells[index(from.x, from.y)];
  if (piece == EMPTY) return false;
  if (getPieceColor(cells[index(to.x, to.y)]) == getPieceColor(piece)) return false;
  if (piece >= PIECE_TYPE_COUNT) return false;
  return pieceRule(cells, piece, from, to);
}

bool Board::isInCheck(PieceColor color) const {
  const int king = findFirst(cells, kingCodeOf(color));
  return king >= 0 && isAttacked(cells, king, otherColor(color));
}

std::vector<Move> Board::getLegalMoves(PieceColor color) const {
  std::vector<Move> moves;
  moves.reserve(64);  // enough for nearly every position: one allocation
  forEachLegalMove(cells, currentPlayer, color, [&](int from, int to) {
    moves.push_back(Move{positionOf(from), positionOf(to), static_cast<PieceType>(cells[from]),
                         static_cast<PieceType>(cells[to])});
    return true;
  });
  return moves;
}

void Board::movePiece(const Move& move) {
  // The log is usually off; skip building its texts on this hot path.
  const bool logging = isDebugLogEnabled();
  if (logging) logMove("Board::movePiece START", move.from.x, move.from.y, move.to.x, move.to.y);
  if (!move.from.isValid() || !move.to.isValid()) {
    logError("Board::movePiece: INVALID POSITION!");
    return;
  }
  // Writing the piece onto its own point and then emptying the source would delete it.
  if (move.from == move.to) {
    logError("Board::movePiece: source and target are the same point");
    return;
  }
  const int from = index(move.from.x, move.from.y), to = index(move.to.x, move.to.y);
  const int32_t moving = cells[from];
  const int32_t captured = cells[to];

  if (captured != EMPTY || moving == RED_PAWN || moving == BLACK_PAWN) {
    halfmoveClock = 0;
  } else if (halfmoveClock < MAX_CLOCK) {
    ++halfmoveClock;
  }
  cells[to] = moving;
  cells[from] = EMPTY;

  if (captured == RED_KING) {
    gameState = BLACK_WIN;
    logInfo("Game over: BLACK WIN (Red King captured)");
  } else if (captured == BLACK_KING) {
    gameState = RED_WIN;
    logInfo("Game over: RED WIN (Black King captured)");
  }

  const PieceColor mover = currentPlayer;
  if (mover == BLACK && fullmoveNumber < MAX_CLOCK) ++fullmoveNumber;
  currentPlayer = mover == RED ? BLACK : RED;

  // Checkmate and stalemate alike: the side now to move has nothing legal to play.
  bool anyMove = false;
  forEachLegalMove(cells, currentPlayer, currentPlayer, [&](int, int) {
    anyMove = true;
    return false;
  });
  if (!anyMove) {
    if (mover == RED) {
      gameState = RED_WIN;
      logInfo("Game over: RED WIN (Black has no valid moves - stalemate)");
    } else {
      gameState = BLACK_WIN;
      logInfo("Game over: BLACK WIN (Red has no valid moves - stalemate)");
    }
  }
  if (logging) logInfo("Board::movePiece END");
}

bool Board::isValidRookMove(Position from, Position to) const {
  return from.isValid() && to.isValid() && rookRule(cells, from, to);
}

bool Board::isValidKnightMove(Position from, Position to) const {
  return from.isValid() && to.isValid() && knightRule(cells, from, to);
}

bool Board::isValidElephantMove(Position from, Position to, PieceColor color) const {
  return from.isValid() && to.isValid() && elephantRule(cells, from, to, color);
}

bool Board::isValidAdvisorMove(Position from, Position to, PieceColor color) const {
  return from.isValid() && to.isValid() && advisorRule(from, to, color);
}

bool Board::isValidKingMove(Position from, Position to, PieceColor color) const {
  return from.isValid() && to.isValid() && kingRule(cells, from, to, color);
}

bool Board::isValidCannonMove(Position from, Position to) const {
  return from.isValid() && to.isValid() && cannonRule(cells, from, to);
}

bool Board::isValidPawnMove(Position from, Position to, PieceColor color) const {
  return from.isValid() && to.isValid() && pawnRule(from, to, color);
}

}  // namespace Tavrune
