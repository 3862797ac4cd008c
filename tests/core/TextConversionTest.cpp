#include "core/TextConversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tavrune {
namespace {

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 0x0F];
  }
  return out;
}

std::vector<unsigned> units(const std::wstring& text) {
  return std::vector<unsigned>(text.begin(), text.end());
}

using WideToUtf8 = std::string (*)(const std::wstring&);
const WideToUtf8 wideToUtf8Functions[] = {wideToUtf8, wideToUtf8Path, wideToUtf8Text};

TEST(TextConversion, EmptyInGivesEmptyOut) {
  EXPECT_TRUE(utf8ToWide("").empty());
  for (WideToUtf8 convert : wideToUtf8Functions) {
    EXPECT_TRUE(convert(L"").empty());
  }
  EXPECT_TRUE(encodeUtf8(L"").empty());
}

TEST(TextConversion, RoundTripsText) {
  const std::string texts[] = {
      "棋谱",
      "plain ASCII",
      "C:\\Users\\王小明\\AppData\\Local\\Tavrune\\logs",
      "é ü ß — ‰",
      "红方胜 😀 (emoji beyond 16 bits)",
  };
  for (const std::string& text : texts) {
    const std::wstring wide = utf8ToWide(text);
    EXPECT_FALSE(wide.empty()) << text;
    for (WideToUtf8 convert : wideToUtf8Functions) {
      EXPECT_EQ(convert(wide), text);
    }
  }
}

TEST(TextConversion, ChineseTextHasTheExpectedUnits) {
  EXPECT_EQ(units(utf8ToWide("棋谱")), (std::vector<unsigned>{0x68CB, 0x8C31}));
  EXPECT_EQ(hex(wideToUtf8(L"\x68CB\x8C31")), "E6 A3 8B E8 B0 B1");
}

TEST(TextConversion, StopsAtFirstNul) {
  EXPECT_EQ(utf8ToWide(std::string("ab\0cd", 5)), L"ab");
  EXPECT_TRUE(utf8ToWide(std::string("\0cd", 3)).empty());
  for (WideToUtf8 convert : wideToUtf8Functions) {
    EXPECT_EQ(convert(std::wstring(L"棋\0谱", 3)), "棋");
    EXPECT_TRUE(convert(std::wstring(L"\0a", 2)).empty());
  }
}

TEST(TextConversion, InvalidUtf8BecomesReplacementCharacter) {
  struct Case {
    std::string input;
    std::vector<unsigned> expected;
  };
  const Case cases[] = {
      {"\xFF", {0xFFFD}},
      {"a\xFF" "b", {'a', 0xFFFD, 'b'}},
      {"\x80", {0xFFFD}},                        // continuation byte without a lead
      {"\xC3", {0xFFFD}},                        // cut off at the end
      {"\xC3(", {0xFFFD, '('}},                  // cut off by an ASCII byte, which survives
      {"\xE4\xB8" "a", {0xFFFD, 'a'}},           // incomplete three-byte sequence
      {"\xC0\xAF", {0xFFFD, 0xFFFD}},            // overlong '/'
      {"\xE6\xA3\x8B\xFF\xE8\xB0\xB1", {0x68CB, 0xFFFD, 0x8C31}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(units(utf8ToWide(c.input)), c.expected) << hex(c.input);
  }
  // How many replacements these give differs between Windows versions; none may survive.
  for (const std::string input : {"\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80"}) {
    const std::wstring wide = utf8ToWide(input);
    EXPECT_FALSE(wide.empty()) << hex(input);
    EXPECT_EQ(wide.find_first_not_of(L'\xFFFD'), std::wstring::npos) << hex(input);
  }
}

#ifdef _WIN32
// Only a 16-bit wide text can hold a surrogate pair or a lone half of one.
TEST(TextConversion, UnpairedSurrogateBecomesReplacementCharacter) {
  struct Case {
    std::wstring input;
    std::string expectedHex;
  };
  const Case cases[] = {
      {L"\xD800", "EF BF BD"},
      {L"\xDC00", "EF BF BD"},
      {L"a\xD83D" L"b", "61 EF BF BD 62"},
      {L"\xDE00\xD83D", "EF BF BD EF BF BD"},  // halves in the wrong order
      {L"\xD83D\xDE00", "F0 9F 98 80"},         // a proper pair is one character
  };
  for (const Case& c : cases) {
    for (WideToUtf8 convert : wideToUtf8Functions) {
      EXPECT_EQ(hex(convert(c.input)), c.expectedHex);
    }
  }
}

TEST(TextConversion, CharacterBeyond16BitsBecomesSurrogatePair) {
  EXPECT_EQ(units(utf8ToWide("\xF0\x9F\x98\x80")), (std::vector<unsigned>{0xD83D, 0xDE00}));
}
#else
TEST(TextConversion, CharacterBeyond16BitsIsOneUnitOnHost) {
  EXPECT_EQ(units(utf8ToWide("\xF0\x9F\x98\x80")), (std::vector<unsigned>{0x1F600}));
}
#endif

TEST(TextConversion, EncodeUtf8EncodesEachUnitOnItsOwn) {
  struct Case {
    std::wstring input;
    std::string expectedHex;
  };
  const Case cases[] = {
      {L"A", "41"},
      {L"\x7F", "7F"},
      {L"\x80", "C2 80"},
      {L"\xE9", "C3 A9"},
      {L"\x7FF", "DF BF"},
      {L"\x800", "E0 A0 80"},
      {L"\x4E2D", "E4 B8 AD"},
      {L"\xFFFF", "EF BF BF"},
      {std::wstring(L"a\0b", 3), "61 00 62"},       // NUL is kept and does not stop
      {L"\xD83D\xDE00", "ED A0 BD ED B8 80"},      // halves of a pair stay separate
      {L"\xDC00", "ED B0 80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hex(encodeUtf8(c.input)), c.expectedHex);
  }
}

#ifndef _WIN32
TEST(TextConversion, EncodeUtf8SplitsWholeCodePointsLikeA16BitText) {
  EXPECT_EQ(hex(encodeUtf8(std::wstring(1, static_cast<wchar_t>(0x1F600)))), "ED A0 BD ED B8 80");
  EXPECT_EQ(hex(encodeUtf8(std::wstring(1, static_cast<wchar_t>(0x110000)))), "EF BF BD");
}
#endif

}  // namespace
// Paths, choices and book names are compared by these: only ASCII letters fold, so the
// bytes of Chinese text never match by accident and lengths must agree.
TEST(TextConversion, AsciiCaseFoldingLeavesEverythingElseAlone) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case cases[] = {
      {"MiniAudio", "miniaudio", true},
      {"ENGINES\\Pikafish.EXE", "engines\\pikafish.exe", true},
      {"", "", true},
      {"book", "books", false},
      {"开局库.OBK", "开局库.obk", true},
      {"开局库", "开局庫", false},
      {"@[", "`{", false},  // the neighbours of the letter ranges do not fold
      {"\xC3\x80", "\xC3\xA0", false},  // À and à: not ASCII
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(equalsIgnoringAsciiCase(c.a, c.b), c.equal);
    EXPECT_EQ(asciiLowerCase(std::string(c.a)) == asciiLowerCase(std::string(c.b)), c.equal);
  }
}

}  // namespace Tavrune
