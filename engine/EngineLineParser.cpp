#include "engine/EngineLineParser.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace Tavrune {

namespace {

constexpr const char OPTION_PREFIX[] = "option name ";
constexpr const char TYPE_SEPARATOR[] = " type ";

bool parseInt64(const std::string& word, int64_t& value) {
  return EngineLineParser::parseInteger(word, value);
}

// An integer that does not fit saturates: engines report node counts beyond 2^31.
bool parseInt32(const std::string& word, int32_t& value) {
  int64_t wide = 0;
  if (!parseInt64(word, wide)) {
    // Beyond 64 bits: keep the sign and saturate. Only an optional sign and at least one
    // digit make a number; "-", "+" or "1-2" must not read as a limit of the range.
    const size_t firstDigit = (!word.empty() && (word[0] == '-' || word[0] == '+')) ? 1 : 0;
    const bool digits =
        word.size() > firstDigit && word.find_first_not_of("0123456789", firstDigit) == std::string::npos;
    if (!digits) return false;
    value = word[0] == '-' ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    return true;
  }
  if (wide > std::numeric_limits<int32_t>::max()) wide = std::numeric_limits<int32_t>::max();
  if (wide < std::numeric_limits<int32_t>::min()) wide = std::numeric_limits<int32_t>::min();
  value = static_cast<int32_t>(wide);
  return true;
}

int32_t optionTypeFromWord(const std::string& word) {
  if (word == "spin") return OPTION_SPIN;
  if (word == "check") return OPTION_CHECK;
  if (word == "button") return OPTION_BUTTON;
  if (word == "combo") return OPTION_COMBO;
  return OPTION_STRING;
}

}  // namespace

bool EngineLineParser::parseInteger(const std::string& word, int64_t& value) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+') {
    ++first;  // std::from_chars refuses a plus sign
    if (first != last && *first == '-') return false;
  }
  auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last && first != last;
}

std::vector<std::string> EngineLineParser::splitWords(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.emplace_back(text, start, i - start);
  }
  return words;
}

bool EngineLineParser::parseOptionDeclaration(const std::string& line, std::string& name,
                                              EngineOption& option) {
  if (line.rfind(OPTION_PREFIX, 0) != 0) return false;
  const size_t nameStart = sizeof(OPTION_PREFIX) - 1;
  const size_t typePos = line.find(TYPE_SEPARATOR, nameStart);
  if (typePos == std::string::npos || typePos == nameStart) return false;

  EngineOption parsed;
  std::vector<std::string> words = splitWords(line.substr(typePos + sizeof(TYPE_SEPARATOR) - 1));
  if (words.empty()) return false;
  parsed.type = optionTypeFromWord(words[0]);
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool hasNext = i + 1 < words.size();
    if (word == "default") {
      // "default" followed by nothing (an empty string option) leaves the default empty.
      if (hasNext) parsed.defaultValue = words[++i];
    } else if (word == "min" || word == "max") {
      // Each limit on its own: an unreadable one is skipped and the other still counts.
      int32_t number = 0;
      if (!hasNext || !parseInt32(words[i + 1], number)) continue;
      (word == "min" ? parsed.min : parsed.max) = number;
      (word == "min" ? parsed.hasMin : parsed.hasMax) = true;
      ++i;
    } else if (word == "var" && hasNext) {
      parsed.choices.push_back(words[++i]);
    }
  }
  name = line.substr(nameStart, typePos - nameStart);
  option = std::move(parsed);
  return true;
}

EngineInfo EngineLineParser::parseInfo(const std::string& line) {
  EngineInfo info;
  info.line = line;
  std::vector<std::string> words = splitWords(line);
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool hasNext = i + 1 < words.size();
    int64_t wide = 0;
    if (word == "depth" || word == "seldepth" || word == "multipv" || word == "nodes" || word == "nps") {
      if (!hasNext) break;
      int32_t value = 0;
      if (parseInt32(words[i + 1], value)) {
        if (word == "depth") info.depth = value;
        else if (word == "seldepth") info.seldepth = value;
        else if (word == "multipv") info.multipv = value;
        else if (word == "nodes") info.nodes = value;
        else info.nps = value;
        ++i;
      }
    } else if (word == "hashfull" || word == "tbhits" || word == "time") {
      if (hasNext && parseInt64(words[i + 1], wide)) {
        (word == "hashfull" ? info.hashfull : word == "tbhits" ? info.tbhits : info.time) = wide;
        ++i;
      }
    } else if (word == "score") {
      if (i + 2 >= words.size()) break;
      int32_t value = 0;
      if (words[i + 1] == "cp" && parseInt32(words[i + 2], value)) {
        info.score = value;
        i += 2;
      } else if (words[i + 1] == "mate" && parseInt32(words[i + 2], value)) {
        info.mateIn = value;
        info.isMate = true;
        // In 64 bits so that an absurd mate distance cannot overflow.
        const int64_t score = value >= 1 ? 100000 - int64_t{value} : -100000 - int64_t{value};
        info.score = static_cast<int32_t>(std::max<int64_t>(std::numeric_limits<int32_t>::min(),
                                                           std::min<int64_t>(std::numeric_limits<int32_t>::max(), score)));
        i += 2;
      }
    } else if (word == "wdl") {
      if (i + 3 < words.size()) {
        info.wdl = words[i + 1] + " " + words[i + 2] + " " + words[i + 3];
        i += 3;
      }
    } else if (word == "pv") {
      // The rest of the line as written, after "pv" and one space.
      size_t pos = 0;
      for (size_t seen = 0; seen <= i; ++seen) {
        pos = line.find(words[seen], pos);
        pos += words[seen].size();
      }
      if (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
      info.pv = line.substr(pos);
      break;
    }
  }
  return info;
}

const char* EngineLineParser::optionTypeWord(int32_t type) {
  switch (type) {
    case OPTION_SPIN: return "spin";
    case OPTION_CHECK: return "check";
    case OPTION_BUTTON: return "button";
    case OPTION_COMBO: return "combo";
    default: return "string";
  }
}

}  // namespace Tavrune
