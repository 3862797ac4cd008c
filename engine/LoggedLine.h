#pragma once
// Engine text as it goes into the log: a flood of huge lines must not bloat the log.
#include <cstddef>
#include <string>

namespace Tavrune {

constexpr size_t LOGGED_LINE_LIMIT = 1024;

inline std::string loggedLine(const std::string& line) {
  if (line.size() <= LOGGED_LINE_LIMIT) return line;
  return line.substr(0, LOGGED_LINE_LIMIT) + "... (" + std::to_string(line.size()) + " bytes)";
}

}  // namespace Tavrune
