#include "RelaySettings.h"

namespace Tavrune::Test {

namespace {

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

RelaySettings RelaySettings::parse(const std::string& text) {
  RelaySettings settings;
  const std::string bom = "\xEF\xBB\xBF";
  size_t start = text.rfind(bom, 0) == 0 ? bom.size() : 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = trimmed(text.substr(start, end - start));
    start = end + 1;
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
    const std::string key = trimmed(line.substr(0, equals));
    const std::string value = trimmed(line.substr(equals + 1));
    if (key == "mode") settings.mode = value;
    if (key == "engine") settings.engine = value;
  }
  return settings;
}

}  // namespace Tavrune::Test
