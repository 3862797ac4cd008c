#pragma once
// Plain records of the engine protocol: which dialect the engine speaks, one option it
// declared and one parsed "info" line.
#include <cstdint>
#include <string>
#include <vector>

namespace Tavrune {

enum class EngineProtocol : int32_t {
  DETECTING = 0,  // handshake not finished
  UCI = 1,
  UCCI = 2,
};

enum EngineOptionType : int32_t {
  OPTION_SPIN = 0,
  OPTION_CHECK = 1,
  OPTION_STRING = 2,  // also any type word this program does not know
  OPTION_BUTTON = 3,
  OPTION_COMBO = 4,
};

struct EngineOption {
  int32_t type = OPTION_STRING;
  std::string defaultValue;  // first word after "default"; empty when absent
  // A spin's limits; each holds only when declared as a readable number.
  int32_t min = 0;
  int32_t max = 0;
  bool hasMin = false;
  bool hasMax = false;
  // Both limits readable: a value can be placed inside them.
  bool hasRange() const { return hasMin && hasMax; }
  // A combo's "var" values, so that a value the engine does not offer is never sent.
  std::vector<std::string> choices;
};

struct EngineInfo {
  int32_t depth = 0;
  int32_t seldepth = 0;
  int32_t multipv = 1;
  // Centipawns, or for a mate 100000 - mateIn (mateIn >= 1) / -100000 - mateIn.
  int32_t score = 0;
  bool isMate = false;
  int32_t mateIn = 0;
  int32_t nodes = 0;
  int32_t nps = 0;
  int64_t hashfull = 0;
  int64_t tbhits = 0;
  int64_t time = 0;  // milliseconds
  std::string pv;    // the rest of the line after "pv"
  std::string wdl;   // the three numbers after "wdl", joined by single spaces
  std::string line;  // the whole line as received
};

}  // namespace Tavrune
