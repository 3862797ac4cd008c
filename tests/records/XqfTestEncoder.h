#pragma once
// Writes XQF files for the reader's tests: header texts, result, start position and a
// main line with comments, scrambled as the format does from version 11 on.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tavrune::Test {

struct XqfTestRecord {
  int source = 0;  // square X * 10 + Y (Y from Red's back rank); any byte value
  int target = 0;
  std::string comment;
  // A comment length to store instead of the comment's own (only the length is written).
  std::optional<int64_t> storedCommentLength;
  uint8_t extraFlags = 0;  // version 11 on: e.g. the variation mark 0x40
};

class XqfTestEncoder {
 public:
  XqfTestEncoder();

  int version = 10;
  uint8_t keyMask = 0;
  std::array<uint8_t, 4> keyOr{};     // header bytes 8..11
  std::array<uint8_t, 4> keyBytes{};  // header bytes 12..15
  // Points by piece in the format's table order; 90 or more is off the board.
  std::array<uint8_t, 32> piecePoints{};
  uint8_t result = 0;
  std::string title, event, date, site, red, black;
  std::string rootComment;
  std::vector<XqfTestRecord> mainLine;
  // Records written after the main line (a variation), never part of it.
  std::vector<XqfTestRecord> trailing;

  std::string encode() const;
  // The standard opening in table order.
  static std::array<uint8_t, 32> standardPoints();
  // Square number of a Position-style point (x file, y row from Black's back rank).
  static int square(int x, int y) { return x * 10 + (9 - y); }
};

}  // namespace Tavrune::Test
