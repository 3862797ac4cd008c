#pragma once
// Collects the debug log's lines while it lives; the log file goes to a test folder.
#include <mutex>
#include <string>
#include <vector>

namespace Tavrune::Test {

class ConfigLogCapture {
 public:
  explicit ConfigLogCapture(const std::string& logFolder);
  ~ConfigLogCapture();
  ConfigLogCapture(const ConfigLogCapture&) = delete;
  ConfigLogCapture& operator=(const ConfigLogCapture&) = delete;

  std::vector<std::string> lines() const;
  // True when some line contains the text.
  bool contains(const std::string& text) const;
  void clear();

 private:
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
};

}  // namespace Tavrune::Test
