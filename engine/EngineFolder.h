#pragma once
// The engines folder beside the program, and whether it holds a given build. Paths are
// UTF-8 here and wide at the file system, so folders with Chinese names work.
#include <string>

namespace Tavrune {

class EngineFolder {
 public:
  // The running program's folder; empty when its path cannot be read.
  static std::string programFolder();
  // programFolder() plus "engines"; empty when the program folder is unknown.
  static std::string enginesFolder();
  // A regular file of that name directly inside the folder; a folder of that name or an
  // empty folder text never counts.
  static bool holdsFile(const std::string& folder, const std::string& fileName);
};

}  // namespace Tavrune
