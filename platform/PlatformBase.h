#pragma once
// The few operating-system services under the debug log and text conversion.
// The Windows build implements them with Win32; host tests link a portable twin
// (tests/support/HostPlatformBase.cpp) so the code above can run under sanitizers.
// Wide text is UTF-16 on Windows and UTF-32 on the host.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace Tavrune::PlatformBase {

struct OsVersion {
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned long build = 0;
};

struct MemoryStatus {
  std::uint64_t totalBytes = 0;
  std::uint64_t availableBytes = 0;
};

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// UTF-8 to wide text and back, each input read up to its first NUL. Invalid input
// becomes U+FFFD; an impossible conversion gives an empty text.
std::wstring wideFromUtf8(const char* text);
std::string utf8FromWide(const wchar_t* text);

// The user's local application-data folder, asked the current way and the older way;
// empty when unavailable.
std::wstring localAppDataFolder();
std::wstring localAppDataFolderLegacy();
// Creates a folder and its missing parents; true when the folder is there afterwards.
bool createFolderChain(const std::wstring& folder);
// Full path of the running program, however long; empty when it cannot be read.
std::wstring programPath();

// Opens a file for appending in text mode, shared with other readers and writers;
// null on failure.
std::FILE* openForAppend(const std::wstring& path);
// Sends text to an attached debugger.
void debuggerOutput(const char* text);

// The program file's "ProductVersion" (U.S. English block); empty when missing.
std::wstring productVersion();
std::optional<OsVersion> windowsVersion();
// The native processor architecture code (9 x64, 0 x86, as Windows numbers them).
unsigned processorArchitecture();
// Physical memory; zeros when it cannot be read.
MemoryStatus physicalMemory();
LocalTime localTime();

}  // namespace Tavrune::PlatformBase
