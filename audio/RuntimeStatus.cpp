#include "audio/RuntimeStatus.h"

namespace Tavrune {

std::string extractRuntimeStatus(const std::string& statusText) {
  static const std::string key = "runtimeStatus=";
  const size_t at = statusText.find(key);
  if (at == std::string::npos) {
    return "unknown";
  }
  const size_t start = at + key.size();
  const size_t comma = statusText.find(',', start);
  return statusText.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
}

}  // namespace Tavrune
