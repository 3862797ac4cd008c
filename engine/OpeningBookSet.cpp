#include "engine/OpeningBookSet.h"

#include <algorithm>
#include <random>

#include "engine/EleeyeOpeningBook.h"
#include "engine/MrxqOpeningBook.h"

namespace Tavrune {

namespace {

// One generator per thread, seeded on that thread's first draw, so probes from the UI
// thread and the online-book worker share no state.
uint64_t drawFromThreadGenerator(uint64_t bound) {
  thread_local std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<uint64_t>(0, bound - 1)(generator);
}

uint64_t countedWeight(const BookMove& candidate) {
  return std::max<uint64_t>(candidate.weight, 1);
}

}  // namespace

OpeningBookSet::OpeningBookSet() : randomSource(drawFromThreadGenerator) {}

OpeningBookSet::~OpeningBookSet() = default;

bool OpeningBookSet::loadBook(const std::string& path, int32_t type) {
  std::unique_ptr<IOpeningBook> book;
  if (type == ELEEYE_BOOK) {
    book = std::make_unique<EleeyeOpeningBook>();
  } else {
    book = std::make_unique<MrxqOpeningBook>();
  }
  if (!book->load(path)) return false;
  books.push_back(std::move(book));
  return true;
}

bool OpeningBookSet::hasAnyBook() const {
  return std::any_of(books.begin(), books.end(), [](const auto& book) { return book->isLoaded(); });
}

std::vector<BookMove> OpeningBookSet::allCandidates(const Board& board) const {
  std::vector<BookMove> candidates;
  for (const auto& book : books) {
    if (!book->isLoaded()) continue;
    std::vector<BookMove> moves = book->probe(board);
    candidates.insert(candidates.end(), moves.begin(), moves.end());
  }
  return candidates;
}

Move OpeningBookSet::probeRandom(const Board& board) const {
  const std::vector<BookMove> candidates = allCandidates(board);
  if (candidates.empty()) return Move{};
  uint64_t total = 0;
  for (const BookMove& candidate : candidates) total += countedWeight(candidate);
  uint64_t n = randomSource(total) + 1;
  for (const BookMove& candidate : candidates) {
    if (n <= countedWeight(candidate)) return candidate.move;
    n -= countedWeight(candidate);
  }
  return candidates.back().move;  // only when the source broke its range
}

Move OpeningBookSet::probeBest(const Board& board) const {
  const BookMove* best = nullptr;
  std::vector<BookMove> firsts;
  firsts.reserve(books.size());
  for (const auto& book : books) {
    if (!book->isLoaded()) continue;
    std::vector<BookMove> moves = book->probe(board);
    if (!moves.empty()) firsts.push_back(moves.front());
  }
  for (const BookMove& candidate : firsts) {
    if (best == nullptr || candidate.weight > best->weight) best = &candidate;
  }
  return best == nullptr ? Move{} : best->move;
}

void OpeningBookSet::setRandomSource(RandomSource source) {
  randomSource = source ? std::move(source) : RandomSource(drawFromThreadGenerator);
}

}  // namespace Tavrune
