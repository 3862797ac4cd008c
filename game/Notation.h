#pragma once
// The Chinese texts a player hears: piece names, points and board files seen from one
// side, moves as plain coordinates or in traditional notation ("红炮2平5"), and the
// reverse lookup from a typed traditional-notation query to the legal move it names.
// File numbers count from the viewer's right, rank numbers from the viewer's back rank.
#include <cstdint>
#include <string>
#include <vector>

#include "game/Board.h"
#include "game/ChessTypes.h"
#include "game/FileSquares.h"
#include "game/NotationMatch.h"
#include "game/NotationQuery.h"

namespace Tavrune {

// "红车" .. "黑卒"; "空" for EMPTY and "未知" for any other code.
std::wstring getPieceName(PieceType piece);

namespace Notation {

int32_t fileNumber(Position pos, PieceColor view);
int32_t rankNumber(Position pos, PieceColor view);
// A space, the file number, a space, the rank number: " 1 0".
std::wstring positionText(Position pos, PieceColor view);
// The piece name and the point: "红车 1 0".
std::wstring selectionText(Position pos, PieceType piece, PieceColor view);

// File n (1..9) seen from view; all points empty when n is outside 1..9.
FileSquares getFileSquares(const Board& board, PieceColor view, int32_t fileNumber);
// "第n路：" and the ten points from Black's back rank to Red's, or "全空" for an empty
// file when the shortcut is on.
std::wstring describeFile(const FileSquares& squares, bool allEmptyShortcut);

// "平", "进" or "退" as traditional notation names the move.
std::wstring actionText(const Move& move, PieceColor view);
// Whether another piece of the mover's code stands on the mover's file. Reads the same
// before and after the move is played, since neither end of the move is counted.
bool hasSamePieceOnSameLine(const Move& move, PieceColor view, const Board& board);
// Traditional notation with the side in the name, e.g. "红马2进3", "前红车退2",
// "红炮2进7 吃黑马". The move must carry its piece and captured piece.
std::wstring moveToChinese(const Move& move, PieceColor view, const Board& board);
// The spoken move: traditional notation when professional, else piece, from, " 到 ",
// to and any capture; "，将军！" appended when the move gives check.
std::wstring moveAnnouncement(const Move& move, PieceColor view, const Board& board,
                              bool givesCheck, bool professional);

// The other points of the mover's file (neither end of the move) holding its code.
std::vector<Position> findSamePiecesOnFile(const Board& board, const Move& move);
// Which legal move of side the query names, with files and ranks seen from view.
NotationMatch findMoveByNotation(const Board& board, PieceColor side, PieceColor view,
                                 const NotationQuery& query);

}  // namespace Notation
}  // namespace Tavrune
