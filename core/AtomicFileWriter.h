#pragma once
// Replaces a file in one step, so a failed or interrupted write never leaves it
// half-written: the bytes go to a sibling temporary file first.
#include <string>

namespace Tavrune {

class AtomicFileWriter {
 public:
  enum class Outcome { Written, OpenFailed, WriteFailed, ReplaceFailed };

  // On any outcome but Written the target is as it was, the temporary file is gone and
  // reason holds the system's message.
  static Outcome write(const std::string& path, const std::string& bytes, std::string& reason);
};

}  // namespace Tavrune
