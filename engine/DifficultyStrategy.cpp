#include "engine/DifficultyStrategy.h"

#include <algorithm>
#include <array>

namespace Tavrune {

namespace {

constexpr int32_t CUSTOM_SKILL_MIN = 1;
constexpr int32_t CUSTOM_SKILL_MAX = 21;
constexpr std::array<int32_t, 5> UCCI_LEVELS = {1, 3, 5, 7, 10};
constexpr std::array<double, 4> ELO_FRACTIONS = {0.0, 0.23, 0.44, 0.71};
constexpr std::array<double, 5> SKILL_FRACTIONS = {0.0, 0.25, 0.5, 0.75, 1.0};
constexpr std::array<int32_t, 5> DEPTH_LIMITS = {4, 8, 12, 16, 0};

// Never undefined for a broken declaration whose max lies below its min.
int32_t clampTo(int32_t value, int32_t low, int32_t high) {
  if (high < low) return low;
  return std::clamp(value, low, high);
}

// low + (high - low) * fraction, truncated toward zero, in double precision.
// In 64 bits: a declaration may span the whole 32-bit range.
int32_t scaleInRange(int32_t low, int32_t high, double fraction) {
  const int64_t span = int64_t{high} - int64_t{low};
  return static_cast<int32_t>(int64_t{low} + static_cast<int64_t>(static_cast<double>(span) * fraction));
}

std::string rangeText(const EngineOption& option) {
  return " (range " + std::to_string(option.min) + "-" + std::to_string(option.max) + ")";
}

}  // namespace

int32_t DifficultyStrategy::clampCustomSkill(int32_t level) {
  return std::clamp(level, CUSTOM_SKILL_MIN, CUSTOM_SKILL_MAX);
}

DifficultyPlan DifficultyStrategy::plan(EngineProtocol protocol, const OptionMap& declared,
                                        int32_t tier, int32_t customElo, int32_t customSkill) {
  DifficultyPlan plan;
  if (protocol == EngineProtocol::UCCI) {
    const int32_t i = std::clamp(tier, 0, 4);
    const int32_t level = UCCI_LEVELS[i];
    plan.command = "setlevel " + std::to_string(level);
    plan.logLines.push_back("UCCIEngine: Set UCCI level to " + std::to_string(level) +
                            " (tier=" + std::to_string(i) + ")");
    return plan;
  }
  if (protocol == EngineProtocol::DETECTING) {
    plan.logLines.push_back("UCCIEngine: Protocol not detected yet, difficulty tier saved");
    return plan;
  }

  auto eloOption = declared.find("UCI_Elo");
  auto skillOption = declared.find("Skill Level");
  // A strength option without a range is passed over like an undeclared one.
  const bool hasElo = declared.count("UCI_LimitStrength") != 0 && eloOption != declared.end() &&
                      eloOption->second.hasRange();
  const bool hasSkill = skillOption != declared.end() && skillOption->second.hasRange();
  plan.logLines.push_back("UCCIEngine: hasElo=" + std::to_string(hasElo ? 1 : 0) +
                          ", hasSkill=" + std::to_string(hasSkill ? 1 : 0));

  if (tier == TIER_CUSTOM_SKILL && hasSkill) {
    const EngineOption& skill = skillOption->second;
    plan.depthLimit = 0;
    if (hasElo) plan.options.push_back({"UCI_LimitStrength", "false"});
    const int32_t level = clampCustomSkill(customSkill);
    const int32_t value = scaleInRange(skill.min, skill.max, (level - 1) / 20.0);
    plan.options.push_back({"Skill Level", std::to_string(value)});
    plan.logLines.push_back("UCCIEngine: CUSTOM_SKILL strategy - level=" + std::to_string(level) +
                            " Skill Level=" + std::to_string(value) + rangeText(skill));
    return plan;
  }

  if (hasElo) {
    const EngineOption& elo = eloOption->second;
    plan.depthLimit = 0;
    if (tier == TIER_EXPERT) {
      plan.options.push_back({"UCI_LimitStrength", "false"});
      plan.logLines.push_back("UCCIEngine: ELO strategy - EXPERT: UCI_LimitStrength=false (full strength)");
    } else if (tier == TIER_CUSTOM_ELO) {
      const int32_t value = clampTo(customElo, elo.min, elo.max);
      plan.options.push_back({"UCI_LimitStrength", "true"});
      plan.options.push_back({"UCI_Elo", std::to_string(value)});
      plan.logLines.push_back("UCCIEngine: ELO strategy - CUSTOM UCI_Elo=" + std::to_string(value) +
                              rangeText(elo));
    } else {
      const int32_t i = std::clamp(tier, 0, 3);
      const int32_t value = scaleInRange(elo.min, elo.max, ELO_FRACTIONS[i]);
      plan.options.push_back({"UCI_LimitStrength", "true"});
      plan.options.push_back({"UCI_Elo", std::to_string(value)});
      plan.logLines.push_back("UCCIEngine: ELO strategy - tier=" + std::to_string(i) +
                              " UCI_Elo=" + std::to_string(value) + rangeText(elo));
    }
    return plan;
  }

  const int32_t i = std::clamp(tier, 0, 4);
  if (hasSkill) {
    const EngineOption& skill = skillOption->second;
    plan.depthLimit = 0;
    const int32_t value = scaleInRange(skill.min, skill.max, SKILL_FRACTIONS[i]);
    plan.options.push_back({"Skill Level", std::to_string(value)});
    plan.logLines.push_back("UCCIEngine: SKILL strategy - tier=" + std::to_string(i) +
                            " Skill Level=" + std::to_string(value) + rangeText(skill));
    return plan;
  }

  plan.depthLimit = DEPTH_LIMITS[i];
  plan.logLines.push_back("UCCIEngine: DEPTH fallback strategy - tier=" + std::to_string(i) +
                          " depth limit=" +
                          (DEPTH_LIMITS[i] == 0 ? std::string("unlimited") : std::to_string(DEPTH_LIMITS[i])));
  return plan;
}

}  // namespace Tavrune
