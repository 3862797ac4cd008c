#pragma once
// Every opening book that loaded, answering together: a weighted random move to play
// and the strongest move (used to predict the opponent's reply).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/IOpeningBook.h"

namespace Tavrune {

class OpeningBookSet {
 public:
  // Returns a number drawn uniformly from 0 .. bound - 1 (bound >= 1).
  using RandomSource = std::function<uint64_t(uint64_t bound)>;

  static constexpr int32_t ELEEYE_BOOK = 0;  // "book.dat"; any other type is the Mrxq layout

  OpeningBookSet();
  ~OpeningBookSet();

  // Keeps the book only when it loads; `path` is UTF-8.
  bool loadBook(const std::string& path, int32_t type);
  bool hasAnyBook() const;
  // A move chosen at random by weight over all books (a weight of 0 counts as 1); the
  // no-move value (all coordinates -1) when no book knows the position.
  Move probeRandom(const Board& board) const;
  // The highest-weighted move over all books; on equal weights the book loaded first wins.
  Move probeBest(const Board& board) const;

  // Replaces the per-thread generator (tests make the choice deterministic). Set before
  // probing starts; the books are probed from several threads without a lock.
  void setRandomSource(RandomSource source);

 private:
  std::vector<BookMove> allCandidates(const Board& board) const;

  std::vector<std::unique_ptr<IOpeningBook>> books;
  RandomSource randomSource;
};

}  // namespace Tavrune
