#pragma once
// The start-up check that the engine file start-up chose and the network file beside it
// exist and that the engine file is of a plausible size.
#include <string>
#include <vector>

namespace Tavrune {

class EngineAvailability {
 public:
  // Files smaller than this many megabytes cannot be a real engine build.
  static constexpr double kMinimumEngineMegabytes = 0.1;
  // Checked when no engine path is set.
  static constexpr const char* kBuiltInEngine = "engines/pikafish.exe";

  // `programFolder` is UTF-8, empty when the program's path could not be read;
  // `enginePath` (UTF-8) is the engine the window will start, a relative one taken from
  // the program folder as the engine's start takes it. Returns the notices to speak, in
  // order (each replaces the one before), and logs the findings.
  static std::vector<std::wstring> check(const std::string& programFolder, const std::string& enginePath);
};

}  // namespace Tavrune
