#include "audio/FallbackCounter.h"

#include "core/Log.h"

namespace Tavrune {

int FallbackCounter::record(const std::string& reason, const std::string& detail) {
  const int count = ++counts_[reason + "|" + detail];
  if (count <= 3 || count % 20 == 0) {
    logWarning("Audio fallback recorded: reason=" + reason + ", detail=" + detail +
               ", count=" + std::to_string(count));
  }
  return count;
}

}  // namespace Tavrune
