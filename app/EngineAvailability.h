#pragma once
// The start-up check that the built-in engine and its network file sit in the engines
// folder beside the program and that the engine file is of a plausible size.
#include <string>
#include <vector>

namespace Tavrune {

class EngineAvailability {
 public:
  // Files smaller than this many megabytes cannot be a real engine build.
  static constexpr double kMinimumEngineMegabytes = 0.1;

  // `programFolder` is UTF-8, empty when the program's path could not be read. Returns
  // the notices to speak, in order (each replaces the one before), and logs the findings.
  static std::vector<std::wstring> check(const std::string& programFolder);
};

}  // namespace Tavrune
