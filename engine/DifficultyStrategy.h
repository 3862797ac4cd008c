#pragma once
// Maps the program's difficulty tier onto what the engine offers: UCI strength by Elo,
// "Skill Level", a depth limit, or the UCCI "setlevel" command. Pure: it only plans the
// commands, the engine driver sends them.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"

namespace Tavrune {

enum DifficultyTier : int32_t {
  TIER_WEAKEST = 0,
  TIER_WEAK = 1,
  TIER_MEDIUM = 2,
  TIER_STRONG = 3,
  TIER_EXPERT = 4,       // full strength
  TIER_CUSTOM_ELO = 5,   // the custom Elo
  TIER_CUSTOM_SKILL = 6, // the custom skill level 1..21
};

struct DifficultyPlan {
  struct OptionValue {
    std::string name;
    std::string value;
    friend bool operator==(const OptionValue&, const OptionValue&) = default;
  };
  std::vector<OptionValue> options;  // "setoption" commands, in order
  std::string command;               // a command of its own ("setlevel 5"), or empty
  std::optional<int32_t> depthLimit; // the new depth limit (0: none) when the plan sets it
  std::vector<std::string> logLines; // info lines describing the choice
};

class DifficultyStrategy {
 public:
  using OptionMap = std::map<std::string, EngineOption>;

  static DifficultyPlan plan(EngineProtocol protocol, const OptionMap& declared, int32_t tier,
                             int32_t customElo, int32_t customSkill);

  static int32_t clampCustomSkill(int32_t level);
};

}  // namespace Tavrune
