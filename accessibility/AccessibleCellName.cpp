#include "accessibility/AccessibleCellName.h"

#include "game/Notation.h"

namespace Tavrune {

std::wstring accessibleCellName(const Position& pos, PieceType piece, bool redNumbering) {
  const int32_t file = redNumbering ? 9 - pos.x : pos.x + 1;
  const int32_t row = redNumbering ? 9 - pos.y : pos.y;
  std::wstring name;
  if (piece != EMPTY) name = getPieceName(piece);
  name += std::to_wstring(file);
  name += L' ';
  name += std::to_wstring(row);
  constexpr size_t kMaxChars = 255;
  if (name.size() > kMaxChars) name.resize(kMaxChars);
  return name;
}

}  // namespace Tavrune
