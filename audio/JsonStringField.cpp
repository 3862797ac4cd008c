#include "audio/JsonStringField.h"

namespace Tavrune {

std::string extractJsonStringField(const std::string& text, const std::string& key) {
  const size_t keyAt = text.find("\"" + key + "\"");
  if (keyAt == std::string::npos) {
    return {};
  }
  size_t at = text.find(':', keyAt);
  if (at == std::string::npos) {
    return {};
  }
  ++at;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
    ++at;
  }
  if (at >= text.size() || text[at] != '"') {
    return {};
  }
  const size_t start = at + 1;
  for (size_t i = start; i < text.size(); ++i) {
    if (text[i] == '\\') {
      if (i + 1 < text.size()) {
        ++i;
        continue;
      }
      return {};
    }
    if (text[i] == '"') {
      return text.substr(start, i - start);
    }
  }
  return {};
}

}  // namespace Tavrune
