// The host twin of platform/PlatformBase.cpp, linked only into host tests. It answers
// as Windows would where the tests can tell: UTF-8 decoding replaces each maximal
// invalid subpart with U+FFFD, a backslash separates folders, and the local
// application-data folder is taken from the environment variable LOCALAPPDATA.
// Wide text here is UTF-32, so a surrogate code unit is itself invalid.
#include "platform/PlatformBase.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace Tavrune::PlatformBase {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The allowed range of the second byte after a lead byte (Unicode's well-formed table);
// an empty range for bytes that cannot lead.
struct SecondByteRange {
  unsigned char low;
  unsigned char high;
  int length;
};

SecondByteRange rangeAfter(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {0x80, 0xBF, 2};
  if (lead == 0xE0) return {0xA0, 0xBF, 3};
  if (lead == 0xED) return {0x80, 0x9F, 3};
  if (lead >= 0xE1 && lead <= 0xEF) return {0x80, 0xBF, 3};
  if (lead == 0xF0) return {0x90, 0xBF, 4};
  if (lead >= 0xF1 && lead <= 0xF3) return {0x80, 0xBF, 4};
  if (lead == 0xF4) return {0x80, 0x8F, 4};
  return {1, 0, 0};
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::filesystem::path hostPath(const std::wstring& path) {
  std::string utf8 = utf8FromWide(path.c_str());
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  return std::filesystem::path(utf8);
}

}  // namespace

std::wstring wideFromUtf8(const char* text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::wstring result;
  size_t i = 0;
  while (bytes[i] != 0) {
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
      result += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    const SecondByteRange range = rangeAfter(lead);
    if (range.length == 0) {
      result += static_cast<wchar_t>(replacementCharacter);
      ++i;
      continue;
    }
    char32_t c = lead & (0xFF >> (range.length + 1));
    size_t taken = 1;
    bool complete = true;
    while (taken < static_cast<size_t>(range.length)) {
      const unsigned char next = bytes[i + taken];
      const bool allowed = taken == 1 ? (next >= range.low && next <= range.high) : isContinuation(next);
      if (!allowed) {
        complete = false;
        break;
      }
      c = (c << 6) | (next & 0x3F);
      ++taken;
    }
    // An incomplete sequence is one replacement; decoding resumes at the offending byte.
    result += static_cast<wchar_t>(complete ? c : replacementCharacter);
    i += taken;
  }
  return result;
}

std::string utf8FromWide(const wchar_t* text) {
  std::string result;
  for (size_t i = 0; text[i] != 0; ++i) {
    const auto c = static_cast<char32_t>(text[i]);
    const bool valid = c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    appendUtf8(result, valid ? c : replacementCharacter);
  }
  return result;
}

std::wstring localAppDataFolder() {
  const char* folder = std::getenv("LOCALAPPDATA");
  return folder != nullptr ? wideFromUtf8(folder) : std::wstring();
}

std::wstring localAppDataFolderLegacy() { return {}; }

bool createFolderChain(const std::wstring& folder) {
  std::error_code error;
  std::filesystem::create_directories(hostPath(folder), error);
  return std::filesystem::is_directory(hostPath(folder), error);
}

std::wstring programPath() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) {
      return {};
    }
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return wideFromUtf8(buffer.c_str());
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::FILE* openForAppend(const std::wstring& path) { return std::fopen(hostPath(path).c_str(), "a"); }

void debuggerOutput(const char*) {}

std::wstring productVersion() { return {}; }

std::optional<OsVersion> windowsVersion() { return std::nullopt; }

unsigned processorArchitecture() {
#if defined(__x86_64__)
  return 9;
#elif defined(__i386__)
  return 0;
#else
  return 0xFFFF;
#endif
}

MemoryStatus physicalMemory() {
  const long pageSize = sysconf(_SC_PAGESIZE);
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long available = sysconf(_SC_AVPHYS_PAGES);
  if (pageSize <= 0 || pages <= 0 || available < 0) {
    return {};
  }
  return MemoryStatus{static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize),
                      static_cast<std::uint64_t>(available) * static_cast<std::uint64_t>(pageSize)};
}

LocalTime localTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm parts{};
  localtime_r(&seconds, &parts);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                   parts.tm_min,         parts.tm_sec,     static_cast<int>(millis)};
}

}  // namespace Tavrune::PlatformBase
