#include "game/Notation.h"

#include <cstdlib>

#include "core/Log.h"

namespace Tavrune {

namespace {

constexpr const wchar_t* PIECE_NAMES[PIECE_TYPE_COUNT] = {
    L"空",   L"红车", L"红马", L"红相", L"红士", L"红帅", L"红炮", L"红兵",
    L"黑车", L"黑马", L"黑象", L"黑士", L"黑将", L"黑炮", L"黑卒",
};

// Pieces that move along files and ranks: their advances and retreats are counted in
// ranks, their sideways moves name the target file.
bool movesAlongLines(PieceType piece) {
  const int32_t kind = pieceKind(piece);
  return kind == RED_ROOK || kind == RED_KING || kind == RED_CANNON || kind == RED_PAWN;
}

bool changesFile(const Move& move) { return move.from.x != move.to.x; }

bool advances(const Move& move, PieceColor view) {
  return Notation::rankNumber(move.to, view) > Notation::rankNumber(move.from, view);
}

int32_t ranksMoved(const Move& move, PieceColor view) {
  return std::abs(Notation::rankNumber(move.to, view) - Notation::rankNumber(move.from, view));
}

// The piece-code kind (1 rook .. 7 pawn) a keypad kind stands for.
int32_t pieceKindOfQuery(int32_t keypadKind) {
  switch (keypadKind) {
    case NotationQuery::King: return RED_KING;
    case NotationQuery::Advisor: return RED_ADVISOR;
    case NotationQuery::Elephant: return RED_ELEPHANT;
    case NotationQuery::Knight: return RED_KNIGHT;
    case NotationQuery::Rook: return RED_ROOK;
    case NotationQuery::Cannon: return RED_CANNON;
    case NotationQuery::Pawn: return RED_PAWN;
    default: return 0;
  }
}

std::string point(int32_t x, int32_t y) {
  return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

// The points of the mover's file, except both ends of the move, that hold exactly the
// mover's code; with logging, each occupied point examined is described.
std::vector<Position> likePiecesOnFile(const Board& board, const Move& move, bool logging) {
  std::vector<Position> found;
  const PieceColor moverColor = getPieceColor(move.piece);
  for (int32_t y = 0; y < 10; ++y) {
    const Position pos(move.from.x, y);
    if (pos == move.from || pos == move.to) continue;
    const PieceType piece = board.getPiece(pos);
    if (piece == EMPTY) continue;
    const bool matchPiece = piece == move.piece;
    if (logging) {
      const bool matchColor = getPieceColor(piece) == moverColor;
      logInfo("  pos=" + point(pos.x, pos.y) + " piece=" + std::to_string(piece) +
              " color=" + std::to_string(getPieceColor(piece)) +
              " matchColor=" + (matchColor ? "Y" : "N") +
              " matchPiece=" + (matchPiece ? "Y" : "N"));
    }
    if (matchPiece) {
      found.push_back(pos);
      if (logging) logInfo("  -> Found same piece! count=" + std::to_string(found.size()));
    }
  }
  return found;
}

}  // namespace

std::wstring getPieceName(PieceType piece) {
  if (piece < EMPTY || piece >= PIECE_TYPE_COUNT) return L"未知";
  return PIECE_NAMES[piece];
}

namespace Notation {

int32_t fileNumber(Position pos, PieceColor view) { return view == RED ? 9 - pos.x : pos.x + 1; }

int32_t rankNumber(Position pos, PieceColor view) { return view == RED ? 9 - pos.y : pos.y; }

std::wstring positionText(Position pos, PieceColor view) {
  return L" " + std::to_wstring(fileNumber(pos, view)) + L" " +
         std::to_wstring(rankNumber(pos, view));
}

std::wstring selectionText(Position pos, PieceType piece, PieceColor view) {
  return getPieceName(piece) + L" " + positionText(pos, view).substr(1);
}

FileSquares getFileSquares(const Board& board, PieceColor view, int32_t fileNumber) {
  FileSquares squares;
  squares.fileNumber = fileNumber;
  if (fileNumber < 1 || fileNumber > 9) return squares;
  const int32_t x = view == RED ? 9 - fileNumber : fileNumber - 1;
  for (int32_t y = 0; y < 10; ++y) squares.cells[y] = board.getPiece(Position(x, y));
  return squares;
}

std::wstring describeFile(const FileSquares& squares, bool allEmptyShortcut) {
  std::wstring text = L"第" + std::to_wstring(squares.fileNumber) + L"路：";
  bool allEmpty = true;
  for (PieceType piece : squares.cells) allEmpty = allEmpty && piece == EMPTY;
  if (allEmpty && allEmptyShortcut) return text + L"全空";
  for (size_t y = 0; y < squares.cells.size(); ++y) {
    if (y > 0) text += L"，";
    text += getPieceName(squares.cells[y]);
  }
  return text;
}

std::wstring actionText(const Move& move, PieceColor view) {
  if (movesAlongLines(move.piece) && changesFile(move)) return L"平";
  return advances(move, view) ? L"进" : L"退";
}

bool hasSamePieceOnSameLine(const Move& move, PieceColor /*view*/, const Board& board) {
  const bool logging = isDebugLogEnabled();
  if (logging) {
    logInfo("hasSamePieceOnSameLine: movingPiece=" + std::to_string(move.piece) +
            " pieceColor=" + std::to_string(getPieceColor(move.piece)) +
            " from=" + point(move.from.x, move.from.y));
  }
  const size_t count = likePiecesOnFile(board, move, logging).size();
  if (logging) {
    logInfo(std::string("hasSamePieceOnSameLine: result=") + (count > 0 ? "true" : "false") +
            " count=" + std::to_string(count));
  }
  return count > 0;
}

std::wstring moveToChinese(const Move& move, PieceColor view, const Board& board) {
  const std::wstring name = getPieceName(move.piece);
  const bool namesTargetFile = pieceKind(move.piece) == RED_KNIGHT || changesFile(move);
  const int32_t target = namesTargetFile ? fileNumber(move.to, view) : ranksMoved(move, view);
  const std::wstring action = actionText(move, view);

  std::wstring text;
  if (hasSamePieceOnSameLine(move, view, board)) {
    // Two like pieces on one file are told apart by front and rear, not by the file.
    // With three or more, the mover is compared with the first one from row 0.
    const std::vector<Position> others = likePiecesOnFile(board, move, false);
    std::wstring mark;
    if (!others.empty()) {
      mark = rankNumber(move.from, view) > rankNumber(others.front(), view) ? L"前" : L"后";
    }
    text = mark + name + action + std::to_wstring(target);
  } else {
    text = name + std::to_wstring(fileNumber(move.from, view)) + action + std::to_wstring(target);
  }
  if (move.captured != EMPTY) text += L" 吃" + getPieceName(move.captured);
  return text;
}

std::wstring moveAnnouncement(const Move& move, PieceColor view, const Board& board,
                              bool givesCheck, bool professional) {
  std::wstring text;
  if (professional) {
    text = moveToChinese(move, view, board);
  } else {
    text = getPieceName(move.piece) + positionText(move.from, view) + L" 到 " +
           positionText(move.to, view).substr(1);
    if (move.captured != EMPTY) text += L" 吃 " + getPieceName(move.captured);
  }
  if (givesCheck) text += L"，将军！";
  return text;
}

std::vector<Position> findSamePiecesOnFile(const Board& board, const Move& move) {
  return likePiecesOnFile(board, move, false);
}

NotationMatch findMoveByNotation(const Board& board, PieceColor side, PieceColor view,
                                 const NotationQuery& query) {
  NotationMatch match;
  const bool validKind =
      query.pieceKind >= NotationQuery::King && query.pieceKind <= NotationQuery::Pawn;
  const bool validNumber = query.number >= 1 && query.number <= 9;
  const bool validFile = query.frontRear != NotationQuery::NoMark ||
                         (query.startFile >= 1 && query.startFile <= 9);
  if (!validKind || !validNumber || !validFile) {
    match.status = NotationMatch::InvalidQuery;
    return match;
  }

  const int32_t wantedKind = pieceKindOfQuery(query.pieceKind);
  bool crowdedFile = false;
  for (const Move& move : board.getLegalMoves(side)) {
    if (pieceKind(move.piece) != wantedKind) continue;

    const bool lineMover = movesAlongLines(move.piece);
    int32_t action;
    if (lineMover && changesFile(move)) {
      action = NotationQuery::Traverse;
    } else {
      action = advances(move, view) ? NotationQuery::Advance : NotationQuery::Retreat;
    }
    if (action != query.action) continue;

    const bool countsRanks = lineMover && action != NotationQuery::Traverse;
    const int32_t number = countsRanks ? ranksMoved(move, view) : fileNumber(move.to, view);
    if (number != query.number) continue;

    const std::vector<Position> others = findSamePiecesOnFile(board, move);
    if (query.frontRear == NotationQuery::NoMark) {
      if (others.empty() && fileNumber(move.from, view) == query.startFile) {
        match.candidates.push_back(move);
      }
      continue;
    }
    if (others.empty()) continue;
    if (others.size() >= 2) {
      crowdedFile = true;
      continue;
    }
    const bool isFront = rankNumber(move.from, view) > rankNumber(others.front(), view);
    if ((query.frontRear == NotationQuery::Front && isFront) ||
        (query.frontRear == NotationQuery::Rear && !isFront)) {
      match.candidates.push_back(move);
    }
  }

  if (match.candidates.size() == 1) {
    match.status = NotationMatch::Found;
    match.move = match.candidates.front();
  } else if (match.candidates.size() > 1 || crowdedFile) {
    match.status = NotationMatch::Ambiguous;
  } else {
    match.status = NotationMatch::NoMatch;
  }
  return match;
}

}  // namespace Notation
}  // namespace Tavrune
