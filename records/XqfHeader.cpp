#include "records/XqfHeader.h"

#include <algorithm>

namespace Tavrune {

namespace {

// The format's published key text; files of version 11 on are scrambled with it.
constexpr char keyText[] = "[(C) Copyright Mr. Dong Shiwei.]";
static_assert(sizeof keyText == 33);

uint8_t square54Plus221(uint8_t b) { return static_cast<uint8_t>(b * b * 54 + 221); }

}  // namespace

XqfHeader::XqfHeader(const std::array<uint8_t, SIZE>& bytes) : bytes_(bytes) {
  if (!isScrambled()) return;
  const uint8_t mask = bytes_[3];
  uint8_t arguments[4];
  for (int i = 0; i < 4; ++i) arguments[i] = static_cast<uint8_t>((mask & bytes_[12 + i]) | bytes_[8 + i]);
  for (size_t i = 0; i < keyStream_.size(); ++i) {
    keyStream_[i] = static_cast<uint8_t>(static_cast<uint8_t>(keyText[i]) & arguments[i % 4]);
  }
  startOffset_ = static_cast<uint8_t>(square54Plus221(bytes_[13]) * bytes_[13]);
  sourceOffset_ = static_cast<uint8_t>(square54Plus221(bytes_[14]) * startOffset_);
  targetOffset_ = static_cast<uint8_t>(square54Plus221(bytes_[15]) * sourceOffset_);
  commentOffset_ = (bytes_[12] * 256 + bytes_[13]) % 32000 + 767;
}

std::array<uint8_t, XqfHeader::PIECE_COUNT> XqfHeader::piecePoints() const {
  std::array<uint8_t, PIECE_COUNT> points{};
  for (size_t i = 0; i < PIECE_COUNT; ++i) {
    const uint8_t stored = bytes_[16 + i];
    const uint8_t point = isScrambled() ? static_cast<uint8_t>(stored - startOffset_) : stored;
    // From version 12 on the table is also rotated by the start offset.
    const size_t piece = version() >= 12 ? (startOffset_ + 1 + i) % PIECE_COUNT : i;
    points[piece] = point;
  }
  return points;
}

std::string XqfHeader::textField(size_t offset, size_t fieldSize) const {
  const size_t length = std::min<size_t>(bytes_[offset], fieldSize - 1);
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t byte = bytes_[offset + 1 + i];
    if (byte == 0) break;
    text += static_cast<char>(byte);
  }
  return text;
}

}  // namespace Tavrune
