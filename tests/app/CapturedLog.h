#pragma once
// Switches the debug log on into a scratch folder and keeps each line the program logs,
// so tests can check what was written. Restores the log switch when it goes away.
#include <mutex>
#include <string>
#include <vector>

#include "app/ScratchFolder.h"

namespace Tavrune::Test {

class CapturedLog {
 public:
  CapturedLog();
  ~CapturedLog();
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  std::vector<std::string> lines() const;
  // Lines holding this text.
  int count(const std::string& text) const;
  bool contains(const std::string& text) const { return count(text) > 0; }

 private:
  ScratchFolder folder_;
  bool wasEnabled_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace Tavrune::Test
