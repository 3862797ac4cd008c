#pragma once
// Opening book in the ElephantEye layout ("book.dat"): headerless 8-byte records
// { lock1 of the position key, move as two squares, weight }, little-endian.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/IOpeningBook.h"

namespace Tavrune {

class EleeyeOpeningBook : public IOpeningBook {
 public:
  bool load(const std::string& path) override;
  // Falls back to the left-right mirror of the position only when the position itself
  // yields no legal move; mirrored moves come back reflected onto the real board.
  std::vector<BookMove> probe(const Board& board) const override;
  bool isLoaded() const override { return !records.empty(); }
  int32_t size() const override;

 private:
  struct Record {
    uint32_t lock;
    uint16_t move;
    uint16_t weight;
  };

  void collect(const Board& board, uint32_t lock, bool mirrored, std::vector<BookMove>& out) const;
  // The record's move on `board`, when it is on the board and legal for the side to move.
  static std::optional<Move> decodeMove(const Board& board, uint16_t move, bool mirrored);

  std::vector<Record> records;  // sorted by lock
};

}  // namespace Tavrune
