#pragma once
// Finds the opening books to load at start-up: "book.dat" (ElephantEye layout) and
// files ending ".obk" (Mrxq layout) directly inside each candidate folder, in the order
// of the folders, each file name (compared in lower case) once.
#include <cstdint>
#include <string>
#include <vector>

namespace Tavrune {

struct OpeningBookFile {
  std::string path;  // UTF-8
  int32_t type = 0;  // 0 ElephantEye, 1 Mrxq

  bool operator==(const OpeningBookFile&) const = default;
};

class OpeningBookScan {
 public:
  // UTF-8 folders; missing ones are skipped silently, an unreadable one logs a warning
  // and keeps what was found before it.
  static std::vector<OpeningBookFile> find(const std::vector<std::string>& folders);
};

}  // namespace Tavrune
