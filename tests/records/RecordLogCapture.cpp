#include "RecordLogCapture.h"

#include <chrono>

#include "core/Log.h"
#include "core/LogTestSeam.h"

namespace Tavrune::Test {

RecordLogCapture::RecordLogCapture() {
  folder_ = std::filesystem::temp_directory_path() /
            ("records-log-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder_);
  const std::u8string folder = folder_.u8string();
  setLogFolderForTesting(std::string(folder.begin(), folder.end()));
  setDebuggerSinkForTesting([this](const std::string& text) {
    std::lock_guard<std::mutex> guard(mutex_);
    lines_.push_back(text);
  });
  setDebugLogEnabled(true);
  clear();
}

RecordLogCapture::~RecordLogCapture() {
  setDebugLogEnabled(false);
  setDebuggerSinkForTesting({});
  setLogFolderForTesting({});
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

int RecordLogCapture::count(const std::string& text) const {
  std::lock_guard<std::mutex> guard(mutex_);
  int found = 0;
  for (const std::string& line : lines_) found += line.find(text) != std::string::npos ? 1 : 0;
  return found;
}

void RecordLogCapture::clear() {
  std::lock_guard<std::mutex> guard(mutex_);
  lines_.clear();
}

}  // namespace Tavrune::Test
