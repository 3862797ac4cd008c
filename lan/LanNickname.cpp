#include "lan/LanNickname.h"

#include <cstdint>

namespace Tavrune::LanNickname {

namespace {

// Length of the UTF-8 sequence starting at `at` and its code point; 0 when the bytes there
// are not one well-formed character (stray continuation byte, overlong form, surrogate,
// truncated sequence).
std::size_t decodeOne(const std::string& text, std::size_t at, uint32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length;
  uint32_t minimum;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return length;
}

bool isControl(uint32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

}  // namespace

std::string forSending(const std::string& name) {
  std::string out;
  out.reserve(name.size() + 8);
  for (std::size_t at = 0; at < name.size();) {
    uint32_t codePoint = 0;
    const std::size_t length = decodeOne(name, at, codePoint);
    if (length == 0) {
      ++at;  // not UTF-8: the peer could not show it either
      continue;
    }
    if (codePoint == ':') {
      out += "\xEF\xBC\x9A";  // U+FF1A FULLWIDTH COLON
    } else if (!isControl(codePoint)) {
      out.append(name, at, length);
    }
    at += length;
  }
  return out;
}

std::string fromPeer(const std::string& name) {
  std::string out;
  std::size_t characters = 0;
  for (std::size_t at = 0; at < name.size() && characters < MAX_INCOMING_CHARACTERS;) {
    uint32_t codePoint = 0;
    const std::size_t length = decodeOne(name, at, codePoint);
    if (length == 0) {
      ++at;  // not UTF-8: skip the byte
      continue;
    }
    if (!isControl(codePoint)) {
      out.append(name, at, length);
      ++characters;
    }
    at += length;
  }
  return out;
}

}  // namespace Tavrune::LanNickname
