#pragma once
// Engine move text: file letter 'a' + x and rank digit '9' - y for the source, then the
// destination ("h9g7"). Text that does not name two points on the board is no move.
#include <optional>
#include <string>

#include "game/ChessTypes.h"

namespace Tavrune {

class EngineMoveText {
 public:
  // Exactly four characters naming two points on the board; "0000", "(none)" and any
  // other text give no move. Only from and to are filled.
  static std::optional<Move> parse(const std::string& text);
  // Empty when either point is off the board.
  static std::string format(const Move& move);
};

}  // namespace Tavrune
