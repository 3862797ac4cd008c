#include "books/BookLogCapture.h"

#include "core/Log.h"
#include "core/LogTestSeam.h"

namespace Tavrune::Test {

BookLogCapture::BookLogCapture() {
  setLogFolderForTesting(logFolder.utf8());
  setDebuggerSinkForTesting([this](const std::string& text) {
    std::lock_guard<std::mutex> guard(lock);
    lines.push_back(text);
  });
  setDebugLogEnabled(true);
}

BookLogCapture::~BookLogCapture() {
  setDebugLogEnabled(false);
  setDebuggerSinkForTesting({});
  setLogFolderForTesting({});
}

bool BookLogCapture::contains(const std::string& text) const {
  std::lock_guard<std::mutex> guard(lock);
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

std::vector<std::string> BookLogCapture::warnings() const {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.find("[WARNING] ") != std::string::npos) found.push_back(line);
  }
  return found;
}

std::string BookLogCapture::all() const {
  std::lock_guard<std::mutex> guard(lock);
  std::string joined;
  for (const std::string& line : lines) joined += line;
  return joined;
}

void BookLogCapture::clear() {
  std::lock_guard<std::mutex> guard(lock);
  lines.clear();
}

}  // namespace Tavrune::Test
