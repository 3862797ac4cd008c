#include <gtest/gtest.h>

#include "engine/DifficultyStrategy.h"

namespace Tavrune {
namespace {

using Options = DifficultyStrategy::OptionMap;
using OV = DifficultyPlan::OptionValue;

EngineOption spin(int32_t min, int32_t max) {
  EngineOption option;
  option.type = OPTION_SPIN;
  option.min = min;
  option.max = max;
  option.hasMin = option.hasMax = true;
  return option;
}

EngineOption spinWithoutRange() {
  EngineOption option;
  option.type = OPTION_SPIN;
  return option;
}

EngineOption check() {
  EngineOption option;
  option.type = OPTION_CHECK;
  return option;
}

const Options ELO_ONLY = {{"UCI_LimitStrength", check()}, {"UCI_Elo", spin(1280, 3133)}};
const Options SKILL_ONLY = {{"Skill Level", spin(0, 20)}};
// Fairy-Stockfish declares both.
const Options BOTH = {{"UCI_LimitStrength", check()}, {"UCI_Elo", spin(1350, 2850)}, {"Skill Level", spin(-20, 20)}};
const Options NEITHER = {{"Hash", spin(1, 512)}};
// Declared without a readable range: strength cannot be placed in it.
const Options RANGELESS = {{"UCI_LimitStrength", check()}, {"UCI_Elo", spinWithoutRange()},
                           {"Skill Level", spinWithoutRange()}};

TEST(DifficultyStrategy, UciPlans) {
  struct Case {
    const char* what;
    const Options& options;
    int32_t tier;
    int32_t customElo;
    int32_t customSkill;
    std::vector<OV> sent;
    std::optional<int32_t> depthLimit;
  };
  const Case cases[] = {
      {"elo tier 0", ELO_ONLY, 0, 0, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "1280"}}, 0},
      {"elo tier 1", ELO_ONLY, 1, 0, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "1706"}}, 0},
      {"elo tier 2", ELO_ONLY, 2, 0, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "2095"}}, 0},
      {"elo tier 3", ELO_ONLY, 3, 0, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "2595"}}, 0},
      {"elo expert", ELO_ONLY, 4, 0, 11, {{"UCI_LimitStrength", "false"}}, 0},
      {"elo custom clamped up", ELO_ONLY, 5, 4000, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "3133"}}, 0},
      {"elo custom clamped down", ELO_ONLY, 5, 0, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "1280"}}, 0},
      {"custom skill without skill option", ELO_ONLY, 6, 0, 11,
       {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "2595"}}, 0},
      {"elo tier below range", ELO_ONLY, -5, 0, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "1280"}}, 0},
      {"skill tier 0", SKILL_ONLY, 0, 0, 11, {{"Skill Level", "0"}}, 0},
      {"skill tier 2", SKILL_ONLY, 2, 0, 11, {{"Skill Level", "10"}}, 0},
      {"skill expert", SKILL_ONLY, 4, 0, 11, {{"Skill Level", "20"}}, 0},
      {"skill custom elo falls to tier 4", SKILL_ONLY, 5, 2000, 11, {{"Skill Level", "20"}}, 0},
      {"custom skill 11", SKILL_ONLY, 6, 0, 11, {{"Skill Level", "10"}}, 0},
      {"custom skill 1", SKILL_ONLY, 6, 0, 1, {{"Skill Level", "0"}}, 0},
      {"custom skill clamped", SKILL_ONLY, 6, 0, 99, {{"Skill Level", "20"}}, 0},
      {"both: custom skill lifts the elo limit", BOTH, 6, 0, 21,
       {{"UCI_LimitStrength", "false"}, {"Skill Level", "20"}}, 0},
      {"both: custom skill 11 mid range", BOTH, 6, 0, 11, {{"UCI_LimitStrength", "false"}, {"Skill Level", "0"}}, 0},
      {"both: tiers use elo", BOTH, 2, 0, 11, {{"UCI_LimitStrength", "true"}, {"UCI_Elo", "2010"}}, 0},
      {"depth tier 0", NEITHER, 0, 0, 11, {}, 4},
      {"depth tier 1", NEITHER, 1, 0, 11, {}, 8},
      {"depth tier 2", NEITHER, 2, 0, 11, {}, 12},
      {"depth tier 3", NEITHER, 3, 0, 11, {}, 16},
      {"depth expert", NEITHER, 4, 0, 11, {}, 0},
      {"depth custom skill", NEITHER, 6, 0, 11, {}, 0},
      {"rangeless options: depth tier 2", RANGELESS, 2, 0, 11, {}, 12},
      {"rangeless options: custom elo", RANGELESS, 5, 2000, 11, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DifficultyPlan plan = DifficultyStrategy::plan(EngineProtocol::UCI, c.options, c.tier, c.customElo, c.customSkill);
    EXPECT_EQ(plan.options, c.sent);
    EXPECT_EQ(plan.depthLimit, c.depthLimit);
    EXPECT_TRUE(plan.command.empty());
  }
}

TEST(DifficultyStrategy, UcciLevelsAndUnknownProtocol) {
  const std::pair<int32_t, const char*> levels[] = {
      {-1, "setlevel 1"}, {0, "setlevel 1"}, {1, "setlevel 3"}, {2, "setlevel 5"},
      {3, "setlevel 7"},  {4, "setlevel 10"}, {5, "setlevel 10"}, {6, "setlevel 10"},
  };
  for (const auto& [tier, command] : levels) {
    DifficultyPlan plan = DifficultyStrategy::plan(EngineProtocol::UCCI, BOTH, tier, 0, 11);
    EXPECT_EQ(plan.command, command) << "tier " << tier;
    EXPECT_TRUE(plan.options.empty());
    EXPECT_FALSE(plan.depthLimit.has_value());
  }
  DifficultyPlan detecting = DifficultyStrategy::plan(EngineProtocol::DETECTING, BOTH, 3, 0, 11);
  EXPECT_TRUE(detecting.options.empty());
  EXPECT_TRUE(detecting.command.empty());
  EXPECT_FALSE(detecting.depthLimit.has_value());
}

TEST(DifficultyStrategy, BrokenDeclarationsStayDefined) {
  // A maximum below the minimum, and a range spanning all 32 bits.
  const Options inverted = {{"UCI_LimitStrength", check()}, {"UCI_Elo", spin(3000, 1000)}};
  EXPECT_EQ(DifficultyStrategy::plan(EngineProtocol::UCI, inverted, 5, 2000, 11).options.back().value, "3000");
  const Options wide = {{"Skill Level", spin(INT32_MIN, INT32_MAX)}};
  EXPECT_EQ(DifficultyStrategy::plan(EngineProtocol::UCI, wide, 4, 0, 11).options.back().value,
            std::to_string(INT32_MAX));
}

}  // namespace
}  // namespace Tavrune
