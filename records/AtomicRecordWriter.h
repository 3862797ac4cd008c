#pragma once
// Saves a whole file or nothing: the bytes go to a sibling temporary file, every write is
// checked, the file is forced to disk and closed, and only then does it replace the
// target in one step. On failure the target is as it was and the temporary file is gone.
#include <filesystem>
#include <string>

namespace Tavrune {

class AtomicRecordWriter {
 public:
  // reason receives a short description of what failed.
  static bool write(const std::filesystem::path& target, const std::string& bytes, std::string& reason);
};

}  // namespace Tavrune
