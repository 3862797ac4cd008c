#include "engine/EngineMoveText.h"

namespace Tavrune {

namespace {

Position parsePoint(char file, char rank) {
  return Position(file - 'a', '9' - rank);
}

}  // namespace

std::optional<Move> EngineMoveText::parse(const std::string& text) {
  if (text.size() != 4) return std::nullopt;
  Move move;
  move.from = parsePoint(text[0], text[1]);
  move.to = parsePoint(text[2], text[3]);
  if (!move.from.isValid() || !move.to.isValid()) return std::nullopt;
  return move;
}

std::string EngineMoveText::format(const Move& move) {
  if (!move.from.isValid() || !move.to.isValid()) return {};
  return {static_cast<char>('a' + move.from.x), static_cast<char>('9' - move.from.y),
          static_cast<char>('a' + move.to.x), static_cast<char>('9' - move.to.y)};
}

}  // namespace Tavrune
