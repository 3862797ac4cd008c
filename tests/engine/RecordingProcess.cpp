#include "RecordingProcess.h"

#include <string_view>

namespace Tavrune::Test {

void ProcessRecord::addWrite(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex);
  size_t start = 0;
  size_t newline;
  while ((newline = text.find('\n', start)) != std::string::npos) {
    written.push_back(text.substr(start, newline - start));
    start = newline + 1;
  }
}

std::vector<std::string> ProcessRecord::lines() const {
  std::lock_guard<std::mutex> lock(mutex);
  return written;
}

int32_t RecordingProcess::read(char* buffer, int32_t maxBytes) {
  const int32_t count = inner->read(buffer, maxBytes);
  if (count > 0 && std::string_view(buffer, static_cast<size_t>(count)).find("bestmove") != std::string_view::npos) {
    record->markBestmoveRead();
  }
  return count;
}

}  // namespace Tavrune::Test
