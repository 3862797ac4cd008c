#pragma once
// How the accessible board reads the live game: which piece stands on a point.
#include <functional>

#include "game/ChessTypes.h"

namespace Tavrune {

using PieceQuery = std::function<PieceType(const Position&)>;

}  // namespace Tavrune
