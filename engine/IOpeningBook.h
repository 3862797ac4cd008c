#pragma once
// A local opening book: answers a position with weighted candidate moves for the side
// to move. Loaded once at start-up, read-only afterwards, probed from several threads.
#include <cstdint>
#include <string>
#include <vector>

#include "game/Board.h"
#include "game/ChessTypes.h"

namespace Tavrune {

struct BookMove {
  Move move;
  uint16_t weight = 0;
  friend bool operator==(const BookMove&, const BookMove&) = default;
};

class IOpeningBook {
 public:
  virtual ~IOpeningBook() = default;
  // `path` is UTF-8; true when the book is usable.
  virtual bool load(const std::string& path) = 0;
  // Legal moves for the side to move, highest weight first; empty when the book knows
  // nothing of the position.
  virtual std::vector<BookMove> probe(const Board& board) const = 0;
  virtual bool isLoaded() const = 0;
  // Number of records held.
  virtual int32_t size() const = 0;
};

}  // namespace Tavrune
