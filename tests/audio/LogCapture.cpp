#include "LogCapture.h"

#include "core/Log.h"
#include "core/LogTestSeam.h"

namespace Tavrune::Test {

LogCapture::LogCapture() : folder_("log") {
  setLogFolderForTesting(folder_.utf8());
  setDebuggerSinkForTesting([this](const std::string& text) {
    std::lock_guard<std::mutex> guard(mutex_);
    lines_.push_back(text);
  });
  setDebugLogEnabled(true);
  clear();
}

LogCapture::~LogCapture() {
  setDebugLogEnabled(false);
  setDebuggerSinkForTesting({});
  setLogFolderForTesting({});
}

std::vector<std::string> LogCapture::lines() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return lines_;
}

int LogCapture::count(const std::string& text) const {
  std::lock_guard<std::mutex> guard(mutex_);
  int found = 0;
  for (const std::string& line : lines_) {
    found += line.find(text) != std::string::npos ? 1 : 0;
  }
  return found;
}

void LogCapture::clear() {
  std::lock_guard<std::mutex> guard(mutex_);
  lines_.clear();
}

}  // namespace Tavrune::Test
