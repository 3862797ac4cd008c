#include "RelayFilter.h"

#include <cctype>

namespace Tavrune::Test {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// A rank of 1..10 starting at text[pos]; its length in characters, or 0.
size_t rankLength(const std::string& text, size_t pos) {
  if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) return 0;
  if (text.compare(pos, 2, "10") == 0) return 2;
  return text[pos] == '0' ? 0 : 1;
}

bool isFile(char c) { return c >= 'a' && c <= 'i'; }

// One word: a move in 1-based ranks becomes 0-based; anything else is kept.
std::string mapWord(const std::string& word) {
  if (word.empty() || !isFile(word[0])) return word;
  const size_t firstRank = rankLength(word, 1);
  if (firstRank == 0 || 1 + firstRank >= word.size() || !isFile(word[1 + firstRank])) return word;
  const size_t secondRank = rankLength(word, 2 + firstRank);
  if (secondRank == 0 || 2 + firstRank + secondRank != word.size()) return word;
  auto zeroBased = [&](size_t pos, size_t length) {
    return std::to_string(std::stoi(word.substr(pos, length)) - 1);
  };
  return std::string(1, word[0]) + zeroBased(1, firstRank) + word[1 + firstRank] +
         zeroBased(2 + firstRank, secondRank);
}

}  // namespace

std::string RelayFilter::toZeroBasedRanks(const std::string& line) {
  std::string out;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      out += line[i++];
      continue;
    }
    const size_t end = line.find(' ', i);
    const std::string word = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
    out += mapWord(word);
    i += word.size();
  }
  return out;
}

bool RelayFilter::parseMode(const std::string& text, RelayMode& result) {
  if (text == "ucci") {
    result = RelayMode::UcciFallback;
    return true;
  }
  if (text == "uci") {
    result = RelayMode::UciXiangqi;
    return true;
  }
  return false;
}

RelayFilter::Routing RelayFilter::fromDriver(const std::string& line) {
  Routing routing;
  if (mode == RelayMode::UcciFallback && !answeredUci && line == "uci") {
    answeredUci = true;
    routing.toDriver.push_back("Unknown command: uci");
    return routing;
  }
  routing.toEngine.push_back(line);
  return routing;
}

RelayFilter::Routing RelayFilter::fromEngine(const std::string& line) {
  Routing routing;
  if (mode == RelayMode::UcciFallback) {
    routing.toDriver.push_back(line);
    return routing;
  }
  if (startsWith(line, "uciok")) {
    // Before the driver sees "uciok", so its options and positions already meet xiangqi.
    routing.toEngine.push_back("setoption name UCI_Variant value xiangqi");
    routing.toDriver.push_back(line);
    return routing;
  }
  if (startsWith(line, "bestmove") || startsWith(line, "info")) {
    routing.toDriver.push_back(toZeroBasedRanks(line));
    return routing;
  }
  routing.toDriver.push_back(line);
  return routing;
}

}  // namespace Tavrune::Test
