#include "core/ConfigLogCapture.h"

#include "core/Log.h"
#include "core/LogTestSeam.h"

namespace Tavrune::Test {

ConfigLogCapture::ConfigLogCapture(const std::string& logFolder) {
  setLogFolderForTesting(logFolder);
  setDebuggerSinkForTesting([this](const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    lines_.push_back(text);
  });
  setDebugLogEnabled(true);
}

ConfigLogCapture::~ConfigLogCapture() {
  setDebugLogEnabled(false);
  setDebuggerSinkForTesting({});
  setLogFolderForTesting({});
}

std::vector<std::string> ConfigLogCapture::lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

bool ConfigLogCapture::contains(const std::string& text) const {
  std::lock_guard<std::mutex> guard(lock_);
  for (const std::string& line : lines_) {
    if (line.find(text) != std::string::npos) {
      return true;
    }
  }
  return false;
}

void ConfigLogCapture::clear() {
  std::lock_guard<std::mutex> guard(lock_);
  lines_.clear();
}

}  // namespace Tavrune::Test
