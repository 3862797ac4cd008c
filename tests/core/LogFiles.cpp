#include "core/LogFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TempFolder.h"

namespace Tavrune::Test {

std::filesystem::path pathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path freshTempFolder(const std::string& name) {
  // Removed with everything in it when the program ends, however its tests went.
  static const TempFolder processFolder("log-test");
  const std::filesystem::path folder = processFolder.path() / pathFromUtf8(name);
  std::filesystem::remove_all(folder);
  return folder;
}

std::vector<std::string> readLogLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  std::vector<std::string> lines;
  std::string text = content.str();
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    std::string line = text.substr(start, end - start);
#ifdef _WIN32
    EXPECT_TRUE(!line.empty() && line.back() == '\r') << "line without CR LF: " << line;
    if (!line.empty() && line.back() == '\r') line.pop_back();
#endif
    lines.push_back(line);
    start = end + 1;
  }
  EXPECT_EQ(start, text.size()) << "the file ends inside a line";
  return lines;
}

bool matchesShape(const std::string& text, const std::string& shape) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  size_t t = 0;
  for (size_t s = 0; s < shape.size(); ++s) {
    if (shape[s] == '*' && s + 1 == shape.size()) {
      return true;
    }
    if (shape[s] == '#' || shape[s] == '%') {
      if (t >= text.size() || !isDigit(text[t])) return false;
      ++t;
      while (shape[s] == '%' && t < text.size() && isDigit(text[t])) ++t;
    } else {
      if (t >= text.size() || text[t] != shape[s]) return false;
      ++t;
    }
  }
  return t == text.size();
}

bool splitTimeStamp(const std::string& line, std::string& message) {
  const std::string stampShape = "[##:##:##.###] ";
  if (line.size() < stampShape.size() || !matchesShape(line.substr(0, stampShape.size()), stampShape)) {
    return false;
  }
  message = line.substr(stampShape.size());
  return true;
}

}  // namespace Tavrune::Test
