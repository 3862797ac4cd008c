#pragma once
// The version resource of a program file: its strings and its fixed version numbers,
// read once when the object is made.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tavrune {

class ProgramVersionInfo {
 public:
  // The running program's own file.
  static ProgramVersionInfo ofThisProgram();
  static ProgramVersionInfo ofFile(const std::wstring& path);

  // Whether the file has a version resource that could be read.
  bool isLoaded() const { return !block.empty(); }
  // A value such as L"\\StringFileInfo\\040904b0\\ProductVersion"; none when missing or empty.
  std::optional<std::wstring> string(const wchar_t* key) const;
  // The fixed product version, most significant half first; none without fixed information.
  std::optional<std::array<uint32_t, 4>> fixedProductVersion() const;

 private:
  std::vector<unsigned char> block;
};

}  // namespace Tavrune
