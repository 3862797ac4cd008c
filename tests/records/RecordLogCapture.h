#pragma once
// Switches the debug log on into a temporary folder and keeps every line for the test.
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace Tavrune::Test {

class RecordLogCapture {
 public:
  RecordLogCapture();
  ~RecordLogCapture();
  RecordLogCapture(const RecordLogCapture&) = delete;
  RecordLogCapture& operator=(const RecordLogCapture&) = delete;

  // Lines holding this text.
  int count(const std::string& text) const;
  bool contains(const std::string& text) const { return count(text) > 0; }
  void clear();

 private:
  std::filesystem::path folder_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace Tavrune::Test
