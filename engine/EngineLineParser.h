#pragma once
// Parsers for the engine's declaration and report lines. They never guess: a field
// that is not a number is left at its default.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"

namespace Tavrune {

class EngineLineParser {
 public:
  // Words separated by spaces and tabs.
  static std::vector<std::string> splitWords(const std::string& text);

  // "option name <name> type <type> [default <word>] [min <n>] [max <n>] [var <v>]...".
  // False (nothing filled) when the line has no " type " or no name.
  static bool parseOptionDeclaration(const std::string& line, std::string& name,
                                     EngineOption& option);

  // One "info" line; unknown words are skipped.
  static EngineInfo parseInfo(const std::string& line);

  // The whole word as a decimal integer (an optional sign, digits only).
  static bool parseInteger(const std::string& word, int64_t& value);

  // The type word an option was declared with ("spin", "check", ...).
  static const char* optionTypeWord(int32_t type);
};

}  // namespace Tavrune
