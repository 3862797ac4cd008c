#include "XqfTestEncoder.h"

#include <algorithm>

namespace Tavrune::Test {

namespace {

constexpr char keyText[] = "[(C) Copyright Mr. Dong Shiwei.]";

uint8_t square54Plus221(uint8_t b) { return static_cast<uint8_t>(b * b * 54 + 221); }

void putField(std::string& header, size_t offset, size_t fieldSize, const std::string& text) {
  header[offset] = static_cast<char>(std::min<size_t>(text.size(), 255));
  const size_t stored = std::min(text.size(), fieldSize - 1);
  for (size_t i = 0; i < stored; ++i) header[offset + 1 + i] = text[i];
}

void putLength(std::string& body, int64_t length) {
  const auto value = static_cast<uint32_t>(length);
  for (int i = 0; i < 4; ++i) body += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

XqfTestEncoder::XqfTestEncoder() : piecePoints(standardPoints()) {}

std::array<uint8_t, 32> XqfTestEncoder::standardPoints() {
  std::array<uint8_t, 32> points{};
  const int backFiles[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  for (int side = 0; side < 2; ++side) {
    const int back = side == 0 ? 0 : 9, cannonRank = side == 0 ? 2 : 7, pawnRank = side == 0 ? 3 : 6;
    const int base = side * 16;
    for (int i = 0; i < 9; ++i) points[base + i] = static_cast<uint8_t>(backFiles[i] * 10 + back);
    points[base + 9] = static_cast<uint8_t>(10 + cannonRank);
    points[base + 10] = static_cast<uint8_t>(70 + cannonRank);
    for (int i = 0; i < 5; ++i) points[base + 11 + i] = static_cast<uint8_t>(i * 20 + pawnRank);
  }
  return points;
}

std::string XqfTestEncoder::encode() const {
  std::string header(1024, '\0');
  header[0] = 'X';
  header[1] = 'Q';
  header[2] = static_cast<char>(version);
  header[3] = static_cast<char>(keyMask);
  for (int i = 0; i < 4; ++i) {
    header[8 + i] = static_cast<char>(keyOr[i]);
    header[12 + i] = static_cast<char>(keyBytes[i]);
  }

  const bool scrambled = version >= 11;
  uint8_t stream[32] = {};
  uint8_t start = 0, sourceOffset = 0, targetOffset = 0;
  int64_t commentOffset = 0;
  if (scrambled) {
    for (int i = 0; i < 32; ++i) {
      const uint8_t argument = static_cast<uint8_t>((keyMask & keyBytes[i % 4]) | keyOr[i % 4]);
      stream[i] = static_cast<uint8_t>(static_cast<uint8_t>(keyText[i]) & argument);
    }
    start = static_cast<uint8_t>(square54Plus221(keyBytes[1]) * keyBytes[1]);
    sourceOffset = static_cast<uint8_t>(square54Plus221(keyBytes[2]) * start);
    targetOffset = static_cast<uint8_t>(square54Plus221(keyBytes[3]) * sourceOffset);
    commentOffset = (keyBytes[0] * 256 + keyBytes[1]) % 32000 + 767;
  }

  for (int piece = 0; piece < 32; ++piece) {
    const int slot = version >= 12 ? ((piece - start - 1) % 32 + 32) % 32 : piece;
    header[16 + slot] = static_cast<char>(scrambled ? piecePoints[piece] + start : piecePoints[piece]);
  }
  header[0x33] = static_cast<char>(result);
  putField(header, 0x50, 64, title);
  putField(header, 0xD0, 64, event);
  putField(header, 0x110, 16, date);
  putField(header, 0x120, 16, site);
  putField(header, 0x130, 16, red);
  putField(header, 0x140, 16, black);

  std::string body;
  auto putRecord = [&](const XqfTestRecord& record, bool hasNext) {
    const bool hasComment = !record.comment.empty() || record.storedCommentLength.has_value();
    body += static_cast<char>(record.source + 24 + sourceOffset);
    body += static_cast<char>(record.target + 32 + targetOffset);
    if (scrambled) {
      body += static_cast<char>((hasNext ? 0x80 : 0) | (hasComment ? 0x20 : 0) | record.extraFlags);
    } else {
      body += static_cast<char>(hasNext ? 0xF0 : 0);
    }
    body += '\0';
    if (scrambled && !hasComment) return;
    putLength(body, record.storedCommentLength.value_or(static_cast<int64_t>(record.comment.size())) + commentOffset);
    body += record.comment;
  };
  XqfTestRecord root;
  root.comment = rootComment;
  putRecord(root, !mainLine.empty());
  for (size_t i = 0; i < mainLine.size(); ++i) putRecord(mainLine[i], i + 1 < mainLine.size());
  for (size_t i = 0; i < trailing.size(); ++i) putRecord(trailing[i], i + 1 < trailing.size());

  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(static_cast<uint8_t>(body[i]) + stream[i % 32]);
  return header + body;
}

}  // namespace Tavrune::Test
