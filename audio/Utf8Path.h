#pragma once
// UTF-8 text to file-system paths and back, the same on Windows and on the host.
#include <filesystem>
#include <string>

namespace Tavrune {

// Invalid UTF-8 gives an empty path rather than an exception.
inline std::filesystem::path pathFromUtf8(const std::string& text) {
  try {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
  } catch (...) {
    return {};
  }
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
  try {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  } catch (...) {
    return {};
  }
}

// Existence tests that never throw; a path the platform cannot check counts as absent.
inline bool isExistingFile(const std::string& utf8Path) {
  std::error_code error;
  const std::filesystem::path path = pathFromUtf8(utf8Path);
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

inline bool isExistingFolder(const std::string& utf8Path) {
  std::error_code error;
  const std::filesystem::path path = pathFromUtf8(utf8Path);
  return !path.empty() && std::filesystem::is_directory(path, error);
}

}  // namespace Tavrune
