#pragma once
// Book answers as engine move text and weight, for readable comparisons.
#include <ostream>
#include <string>
#include <vector>

#include "books/BookFileWriter.h"
#include "engine/IOpeningBook.h"

namespace Tavrune::Test {

struct TextMove {
  std::string text;
  uint16_t weight;
  friend bool operator==(const TextMove&, const TextMove&) = default;
  friend std::ostream& operator<<(std::ostream& out, const TextMove& m) {
    return out << m.text << "/" << m.weight;
  }
};

inline std::vector<TextMove> asText(const std::vector<BookMove>& moves) {
  std::vector<TextMove> out;
  for (const BookMove& m : moves) out.push_back({moveText(m.move), m.weight});
  return out;
}

}  // namespace Tavrune::Test
