// Edit sessions: what reaches the store and the running program, in which order, and
// what a failure on either side leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "settings/SettingsFakes.h"

namespace Tavrune::Settings {
namespace {

TEST(SettingsSession, CommitStoresTheDraftThenAppliesTheChangedValuesInCatalogueOrder) {
  SessionLog log;
  log.stored = {{"ai.threads", int64_t{4}}};
  RecordingExecutor executor(log);
  auto provider = openCatalogue(log, &executor);
  EXPECT_EQ(log.events, (std::vector<std::string>{"load", "open"}));
  EXPECT_EQ(log.stored.size(), 1u) << "defaults enter only the draft";

  // Nothing changed by hand: every key the store lacked still counts as changed, but no
  // button is ever run by a commit.
  std::vector<std::string> errors;
  ASSERT_TRUE(provider->closeSession(true, &errors));
  // 65 settings, of which 4 are buttons and one was stored unchanged.
  EXPECT_EQ(log.executedKeys.size(), 60u);
  for (const char* key : {"ai.threads", "ai.clearHash", "ai.engineSelectDialog", "audio.soundPackSelectDialog"}) {
    EXPECT_EQ(std::count(log.executedKeys.begin(), log.executedKeys.end(), key), 0) << key;
  }
  EXPECT_EQ(log.executedKeys.front(), "ai.difficultyTier");
  EXPECT_EQ(log.events.at(2), "apply");
  EXPECT_EQ(log.events.back(), "closed 1");
  EXPECT_EQ(log.stored.at("ai.threads"), SettingValue(int64_t{4}));

  // A new session reloads; a preset chosen after a custom value is applied after it.
  log.events.clear();
  log.executedKeys.clear();
  ASSERT_TRUE(provider->openSession(nullptr));
  const DraftEdits edits = {{"audio.enabled", false},           {"ai.timeLimitProfile", int64_t{-1}},
                       {"ai.timeLimit", int64_t{4000}},     {"ai.timeLimitProfile", int64_t{5000}},
                       {"a11y.professionalNotation", false}, {"ai.hashSize", int64_t{64}},
                       {"ai.clearHash", SettingValue{}}};
  for (const auto& [key, value] : edits) ASSERT_TRUE(provider->setDraftValue(key, value, nullptr)) << key;
  ASSERT_TRUE(provider->closeSession(true, &errors));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(log.events.front(), "load");
  EXPECT_EQ(log.executedKeys, (std::vector<std::string>{"ai.timeLimit", "ai.timeLimitProfile", "ai.hashSize",
                                                        "a11y.professionalNotation", "audio.enabled"}));
}

TEST(SettingsSession, AStoreThatRefusesTheDraftChangesNothingInTheProgram) {
  SessionLog log;
  RecordingExecutor executor(log);
  auto provider = openCatalogue(log, &executor);
  ASSERT_TRUE(provider->setDraftValue("ai.hashSize", int64_t{64}, nullptr));
  log.failApply = true;
  std::vector<std::string> errors;
  EXPECT_FALSE(provider->closeSession(true, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{"cannot write"}));
  EXPECT_TRUE(log.executedKeys.empty());
  EXPECT_EQ(log.events.back(), "apply");

  // The session is still open with its draft: fixing the store lets the same commit through.
  log.failApply = false;
  errors.clear();
  EXPECT_TRUE(provider->closeSession(true, &errors));
  EXPECT_EQ(log.stored.at("ai.hashSize"), SettingValue(int64_t{64}));
  EXPECT_NE(std::find(log.executedKeys.begin(), log.executedKeys.end(), "ai.hashSize"), log.executedKeys.end());
}

TEST(SettingsSession, AFailedApplierFailsTheCommitButTheStoreKeepsTheDraft) {
  for (bool withList : {true, false}) {
    SessionLog log;
    RecordingExecutor executor(log);
    auto provider = openCatalogue(log, &executor);
    ASSERT_TRUE(provider->closeSession(true, nullptr));
    ASSERT_TRUE(provider->openSession(nullptr));
    ASSERT_TRUE(provider->setDraftValue("ai.hashSize", int64_t{64}, nullptr));
    ASSERT_TRUE(provider->setDraftValue("ai.multiPV", int64_t{3}, nullptr));
    log.failingAppliers = {"ai.hashSize"};
    log.events.clear();
    std::vector<std::string> errors;
    EXPECT_FALSE(provider->closeSession(true, withList ? &errors : nullptr));
    if (withList) {
      EXPECT_EQ(errors, (std::vector<std::string>{"ai.hashSize: refused"}));
    }
    EXPECT_EQ(log.events, (std::vector<std::string>{"apply", "execute ai.hashSize", "execute ai.multiPV"}));
    EXPECT_EQ(log.stored.at("ai.hashSize"), SettingValue(int64_t{64}));

    // The file holds the draft now, so cancelling keeps it rather than claiming the old value.
    ASSERT_TRUE(provider->closeSession(false, nullptr));
    EXPECT_EQ(log.events.back(), "closed 0");
    const auto states = provider->listPageControls("menu.settings.ai.advanced");
    EXPECT_EQ(states.at(1).value, SettingValue(int64_t{64}));
  }
}

TEST(SettingsSession, CancelRestoresTheDraftAndFailedLoadsOpenNothing) {
  SessionLog log;
  log.stored = {{"ai.hashSize", int64_t{512}}};
  RecordingExecutor executor(log);
  auto provider = openCatalogue(log, &executor);
  ASSERT_TRUE(provider->setDraftValue("ai.hashSize", int64_t{64}, nullptr));
  ASSERT_TRUE(provider->closeSession(false, nullptr));
  EXPECT_EQ(log.events, (std::vector<std::string>{"load", "open", "closed 0"}));
  EXPECT_EQ(provider->listPageControls("menu.settings.ai.advanced").at(1).value, SettingValue(int64_t{512}));
  EXPECT_TRUE(provider->closeSession(true, nullptr)) << "closing without a session does nothing";
  EXPECT_EQ(log.events.size(), 3u);

  log.failLoad = true;
  std::string error;
  EXPECT_FALSE(provider->openSession(&error));
  EXPECT_EQ(error, "cannot read");
  EXPECT_FALSE(provider->setDraftValue("ai.hashSize", int64_t{64}, &error));
  EXPECT_EQ(error, "session is not open");
}

TEST(SettingsSession, BadTreesAndAMissingStoreAreRefusedAtConstruction) {
  const struct {
    std::function<void(MenuNode&)> spoil;
    const char* message;
  } cases[] = {
      {[](MenuNode& root) { root.children[3].page->controls.push_back(root.children[1].page->controls[0]); },
       "duplicated control id: a11y.ttsSettingsDialog"},
      {[](MenuNode& root) { root.children[3].page->controls[0].id.clear(); },
       "control id cannot be empty in page: page.settings.system"},
      {[](MenuNode& root) { root.children[2].id.clear(); }, "menu id cannot be empty"},
      {[](MenuNode& root) { root.children[3].id = root.children[2].id; }, "duplicated menu id: menu.settings.audio"},
  };
  for (const auto& c : cases) {
    MenuNode root = buildSettingsSchema();
    c.spoil(root);
    SessionLog log;
    try {
      Provider provider(root, std::make_unique<FakeDataSource>(log), nullptr);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  try {
    Provider provider(buildSettingsSchema(), nullptr, nullptr);
    ADD_FAILURE() << "accepted a null store";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Settings::Provider requires a non-null IDataSource");
  }
}

}  // namespace
}  // namespace Tavrune::Settings
