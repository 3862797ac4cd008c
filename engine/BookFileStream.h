#pragma once
// Opens a book file by its UTF-8 path. On Windows the path goes to the file library as
// UTF-16, so a data folder with Chinese characters opens like any other.
#include <filesystem>
#include <fstream>
#include <string>

namespace Tavrune {

// False when the file cannot be opened for binary reading (or the path is not UTF-8).
inline bool openBookFile(const std::string& utf8Path, std::ifstream& stream) {
  try {
    const std::filesystem::path path(std::u8string(utf8Path.begin(), utf8Path.end()));
    stream.open(path, std::ios::binary);
  } catch (const std::exception&) {
    return false;
  }
  return stream.is_open();
}

}  // namespace Tavrune
