#pragma once
// UTF-8 inside the program, UTF-16 at the platform boundary. Empty in, empty out;
// nothing here throws or reports failure.
#include <string>
#include <string_view>

namespace Tavrune {

// Stops at the first NUL byte; invalid UTF-8 becomes U+FFFD.
std::wstring utf8ToWide(const std::string& text);
// Stops at the first NUL unit; an unpaired surrogate becomes U+FFFD.
std::string wideToUtf8(const std::wstring& text);
std::string wideToUtf8Path(const std::wstring& text);
std::string wideToUtf8Text(const std::wstring& text);
// Encodes each 16-bit unit on its own (surrogates are not paired; NUL is kept).
std::string encodeUtf8(const std::wstring& text);

// Letter case of A to Z only: every other byte, those of UTF-8 too, stays as it is.
char asciiLowerCase(char c);
std::string asciiLowerCase(std::string text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace Tavrune
