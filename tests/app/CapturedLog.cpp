#include "app/CapturedLog.h"

#include "core/Log.h"
#include "core/LogTestSeam.h"

namespace Tavrune::Test {

CapturedLog::CapturedLog() : folder_("log"), wasEnabled_(isDebugLogEnabled()) {
  setLogFolderForTesting(folder_.utf8());
  setDebuggerSinkForTesting([this](const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(text);
  });
  setDebugLogEnabled(true);
}

CapturedLog::~CapturedLog() {
  setDebugLogEnabled(wasEnabled_);
  setDebuggerSinkForTesting(nullptr);
  setLogFolderForTesting("");
}

std::vector<std::string> CapturedLog::lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

int CapturedLog::count(const std::string& text) const {
  int found = 0;
  for (const std::string& line : lines()) {
    if (line.find(text) != std::string::npos) ++found;
  }
  return found;
}

}  // namespace Tavrune::Test
