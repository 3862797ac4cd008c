// The provider over the real catalogue: which drafts it accepts, which controls take
// part, and what a session does with the store and the running program.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "settings/ControlFactories.h"
#include "settings/SettingsFakes.h"

namespace Tavrune::Settings {
namespace {

TEST(SettingsProvider, RefusesWhatTheCatalogueForbidsAndKeepsTheDraft) {
  const struct {
    std::string key;
    DraftEdits setup;
    SettingValue value;
    std::string message;  // empty: accepted
  } cases[] = {
      {"ai.engineStatus", {}, int64_t{5}, ""},  // read-only rows take anything
      {"no.such", {}, int64_t{1}, "control not found: no.such"},
      {"ai.timeLimit", {}, int64_t{3100}, "control is not editable on this platform: ai.timeLimit"},
      {"a11y.liftToActivate", {}, true, "control is not editable on this platform: a11y.liftToActivate"},
      {"ai.customElo", {}, int64_t{2000}, "control is not editable on this platform: ai.customElo"},
      {"ai.customElo", {{"ai.difficultyTier", int64_t{5}}}, int64_t{2000}, ""},
      {"ai.threads", {}, 5.0, "value kind mismatch for control: ai.threads"},
      {"ai.difficultyTier", {}, int64_t{7}, "value is not in options for control: ai.difficultyTier"},
      {"ai.drawRule", {}, std::string("none"), "value is not in options for control: ai.drawRule"},
      {"ai.hashSize", {}, int64_t{0}, "value is smaller than min for control: ai.hashSize"},
      {"ai.hashSize", {}, int64_t{8193}, "value is larger than max for control: ai.hashSize"},
      {"ai.timeLimit", {{"ai.timeLimitProfile", int64_t{-1}}}, int64_t{3050},
       "value does not fit step for control: ai.timeLimit"},
      {"ai.timeLimit", {{"ai.timeLimitProfile", int64_t{-1}}}, int64_t{3100}, ""},
      {"audio.masterVolumePercent", {}, int64_t{52},
       "value does not fit step for control: audio.masterVolumePercent"},
      {"ai.depth", {{"ai.searchLimitMode", int64_t{1}}, {"ai.depthProfile", int64_t{-1}}}, int64_t{0}, ""},
      {"ai.clearHash", {}, SettingValue{}, ""},
      {"ai.debugLogFile", {}, std::string("engine\tlog.txt"),
       "value has control characters for control: ai.debugLogFile"},
      {"audio.hrtfPreferred", {}, std::string("default\x7f"),
       "value has control characters for control: audio.hrtfPreferred"},
      {"ai.debugLogFile", {}, std::string("引擎 log.txt"), ""},
  };
  for (const auto& c : cases) {
    SessionLog log;
    auto provider = openCatalogue(log, nullptr);
    for (const auto& [key, value] : c.setup) ASSERT_TRUE(provider->setDraftValue(key, value, nullptr)) << key;
    std::string error = "untouched";
    const bool accepted = provider->setDraftValue(c.key, c.value, &error);
    EXPECT_EQ(accepted, c.message.empty()) << c.key;
    EXPECT_EQ(error, accepted ? "untouched" : c.message) << c.key;
    ASSERT_TRUE(provider->closeSession(true, nullptr));
    const bool stored = log.stored.count(c.key) && Provider::valuesEqual(log.stored[c.key], c.value);
    EXPECT_EQ(stored, accepted) << c.key;
  }

  // Direct checks of what no catalogue control exercises.
  SessionLog log;
  auto provider = openCatalogue(log, nullptr);
  ControlSpec decimal;
  decimal.id = "decimal";
  decimal.valueKind = ValueKind::Decimal;
  decimal.minValue = 0.0;
  decimal.maxValue = 10.0;
  EXPECT_TRUE(provider->validateValue(decimal, int64_t{5}, nullptr));
  std::string error;
  EXPECT_FALSE(provider->validateValue(makeInfoControl("row", "r", ""), std::string("x"), &error));
  EXPECT_EQ(error, "control is read-only: row");
  SessionLog closedLog;
  Provider closed(buildSettingsSchema(), std::make_unique<FakeDataSource>(closedLog), nullptr);
  EXPECT_FALSE(closed.setDraftValue("ai.threads", int64_t{2}, &error));
  EXPECT_EQ(error, "session is not open");
}

TEST(SettingsProvider, StrengthAndSearchLimitControlsFollowTheDraft) {
  const std::vector<std::string> dependents = {"ai.customElo",   "ai.customSkill", "ai.timeLimitProfile",
                                               "ai.timeLimit",   "ai.depthProfile", "ai.depth"};
  const struct {
    ValueMap stored;
    std::set<std::string> active;
  } cases[] = {
      {{}, {"ai.timeLimitProfile"}},
      {{{"ai.difficultyTier", int64_t{5}}}, {"ai.customElo", "ai.timeLimitProfile"}},
      {{{"ai.difficultyTier", int64_t{6}}, {"ai.searchLimitMode", int64_t{1}}}, {"ai.customSkill", "ai.depthProfile"}},
      {{{"ai.timeLimitProfile", int64_t{-1}}}, {"ai.timeLimitProfile", "ai.timeLimit"}},
      {{{"ai.searchLimitMode", int64_t{1}}, {"ai.depthProfile", int64_t{-1}}}, {"ai.depthProfile", "ai.depth"}},
      {{{"ai.searchLimitMode", int64_t{1}}, {"ai.timeLimitProfile", int64_t{-1}}}, {"ai.depthProfile"}},
      // Values of the wrong kind in the store: a text tier chooses nothing, a text mode
      // counts as time, a decimal profile is not the custom choice.
      {{{"ai.difficultyTier", std::string("5")}, {"ai.searchLimitMode", std::string("1")},
        {"ai.timeLimitProfile", int64_t{-1}}},
       {"ai.timeLimitProfile", "ai.timeLimit"}},
      {{{"ai.searchLimitMode", int64_t{1}}, {"ai.depthProfile", -1.0}}, {"ai.depthProfile"}},
  };
  for (const auto& c : cases) {
    SessionLog log;
    log.stored = c.stored;
    auto provider = openCatalogue(log, nullptr);
    std::set<std::string> active;
    for (const ControlState& state : provider->listPageControls("menu.settings.ai.basic")) {
      if (std::count(dependents.begin(), dependents.end(), state.control->id)) active.insert(state.control->id);
    }
    EXPECT_EQ(active, c.active) << valueToString(c.stored.empty() ? SettingValue{} : c.stored.begin()->second);
  }

  // Missing keys: without a tier no custom strength applies; without a mode, time decides.
  MenuNode root;
  root.id = "root";
  root.children.push_back(buildAiBasicPage());
  auto& controls = root.children[0].page->controls;
  std::erase_if(controls, [](const ControlSpec& c) {
    return c.id == "ai.difficultyTier" || c.id == "ai.searchLimitMode";
  });
  SessionLog log;
  Provider provider(root, std::make_unique<FakeDataSource>(log), nullptr);
  ASSERT_TRUE(provider.openSession(nullptr));
  std::vector<std::string> listed;
  for (const ControlState& state : provider.listPageControls("menu.settings.ai.basic")) listed.push_back(state.control->id);
  EXPECT_EQ(listed, (std::vector<std::string>{"ai.openingBookMode", "ai.timeLimitProfile"}));

  // A listing reflects the draft at the time of the call.
  SessionLog catalogueLog;
  auto catalogue = openCatalogue(catalogueLog, nullptr);
  auto lists = [&](const std::string& key) {
    const auto states = catalogue->listPageControls("menu.settings.ai.basic");
    return std::any_of(states.begin(), states.end(), [&](const ControlState& s) { return s.control->id == key; });
  };
  EXPECT_FALSE(lists("ai.customElo"));
  ASSERT_TRUE(catalogue->setDraftValue("ai.difficultyTier", int64_t{5}, nullptr));
  EXPECT_TRUE(lists("ai.customElo"));
}

}  // namespace
}  // namespace Tavrune::Settings
