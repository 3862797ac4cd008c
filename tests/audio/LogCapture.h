#pragma once
// Switches the debug log on into a temporary folder and keeps every line for the test.
#include <mutex>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace Tavrune::Test {

class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> lines() const;
  // Lines holding this text.
  int count(const std::string& text) const;
  bool contains(const std::string& text) const { return count(text) > 0; }
  void clear();

 private:
  TempFolder folder_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace Tavrune::Test
