#include "core/TextConversion.h"

#include <algorithm>

#include "platform/PlatformBase.h"

namespace Tavrune {

namespace {

void appendUnit(std::string& out, unsigned c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::wstring utf8ToWide(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  return PlatformBase::wideFromUtf8(text.c_str());
}

std::string wideToUtf8(const std::wstring& text) {
  if (text.empty()) {
    return {};
  }
  return PlatformBase::utf8FromWide(text.c_str());
}

std::string wideToUtf8Path(const std::wstring& text) { return wideToUtf8(text); }

std::string wideToUtf8Text(const std::wstring& text) { return wideToUtf8(text); }

std::string encodeUtf8(const std::wstring& text) {
  std::string result;
  if (text.empty()) {
    return result;
  }
  result.reserve(text.size() * 3);
  for (const wchar_t unit : text) {
    const auto c = static_cast<unsigned>(unit);
    if constexpr (sizeof(wchar_t) > 2) {
      // A 32-bit wide text holds whole code points: split those beyond 16 bits into the
      // surrogate pair a 16-bit text would hold, so both give the same bytes.
      if (c > 0x10FFFF) {
        appendUnit(result, 0xFFFD);
        continue;
      }
      if (c > 0xFFFF) {
        const unsigned offset = c - 0x10000;
        appendUnit(result, 0xD800 | (offset >> 10));
        appendUnit(result, 0xDC00 | (offset & 0x3FF));
        continue;
      }
    }
    appendUnit(result, c);
  }
  return result;
}

char asciiLowerCase(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::string asciiLowerCase(std::string text) {
  for (char& c : text) c = asciiLowerCase(c);
  return text;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return asciiLowerCase(x) == asciiLowerCase(y); });
}

}  // namespace Tavrune
