#pragma once
// The spoken name of one board point, the same text in the MSAA and UIA trees.
#include <string>

#include "game/ChessTypes.h"

namespace Tavrune {

// The piece's name when one stands there, then the file and row numbers: counted from
// Red's side (files 9 - x, rows 9 - y) when `redNumbering`, else from Black's (x + 1, y).
// For example "红车9 0" for Red's rook on (0, 9) in Red's numbering; "5 4" for an empty
// (4, 4) in Black's. At most 255 characters.
std::wstring accessibleCellName(const Position& pos, PieceType piece, bool redNumbering);

}  // namespace Tavrune
