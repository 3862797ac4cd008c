#pragma once
// Opening book in the Mrxq layout (".obk"): a 128-byte header with two record counts,
// then 10-byte records { hash of the position reached by the move, weight }, first those
// for Black to move, then those for Red to move; little-endian.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/IOpeningBook.h"

namespace Tavrune {

class MrxqOpeningBook : public IOpeningBook {
 public:
  static constexpr uint16_t SIGNATURE = 13579;
  static constexpr size_t HEADER_BYTES = 128;
  static constexpr size_t RECORD_BYTES = 10;

  bool load(const std::string& path) override;
  // Looks up the hash reached by each legal move; when none is known, tries the
  // left-right mirror of the position and reflects the moves back.
  std::vector<BookMove> probe(const Board& board) const override;
  // A book that declares no records still counts as loaded.
  bool isLoaded() const override { return loaded; }
  int32_t size() const override;

 private:
  struct Record {
    uint64_t key;
    uint16_t weight;
  };

  bool fail(const std::string& warning);
  static const Record* find(const std::vector<Record>& records, uint64_t key);

  std::vector<Record> blackRecords;  // Black to move, sorted by key
  std::vector<Record> redRecords;    // Red to move, sorted by key
  bool loaded = false;
};

}  // namespace Tavrune
