// The catalogue as each platform sees it, and defaults that the model itself accepts:
// copying mistakes in the tables show up as a default outside its limits or options.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "engine/CloudBook.h"
#include "settings/CataloguePieces.h"
#include "settings/PlatformRestrictions.h"
#include "settings/SettingsFakes.h"

namespace Tavrune::Settings {
namespace {

std::vector<const PageSpec*> pagesOf(const MenuNode& root) {
  std::vector<const PageSpec*> pages;
  std::function<void(const MenuNode&)> walk = [&](const MenuNode& menu) {
    if (menu.page) pages.push_back(&*menu.page);
    for (const MenuNode& child : menu.children) walk(child);
  };
  walk(root);
  return pages;
}

// Setting a platform replaces whatever an earlier one computed.
MenuNode catalogueOn(Platform platform) {
  MenuNode root = buildSettingsSchema();
  updateAvailability(root, platform == Platform::Android ? Platform::WindowsDesktop : Platform::Android);
  updateAvailability(root, platform);
  return root;
}

TEST(SettingsCatalogue, WindowsShowsEveryPageWithItsDesktopControls) {
  const MenuNode root = catalogueOn(Platform::WindowsDesktop);
  std::vector<int> visibleCounts;
  for (const PageSpec* page : pagesOf(root)) {
    EXPECT_TRUE(page->visible && page->enabled) << page->id;
    int visible = 0;
    for (const ControlSpec& control : page->controls) visible += control.visible ? 1 : 0;
    visibleCounts.push_back(visible);
  }
  EXPECT_EQ(visibleCounts, (std::vector<int>{9, 17, 10, 10, 10, 2}));
  EXPECT_EQ(root.children.size(), 4u);
  for (const MenuNode& menu : root.children) EXPECT_TRUE(menu.visible) << menu.id;
}

TEST(SettingsCatalogue, AndroidHidesDesktopButtonsAndGreysOutDesktopSettings) {
  std::set<std::string> hidden, greyed;
  const MenuNode root = catalogueOn(Platform::Android);
  for (const PageSpec* page : pagesOf(root)) {
    for (const ControlSpec& control : page->controls) {
      if (!control.visible) hidden.insert(control.id);
      if (control.availability.unavailableReason.empty()) continue;
      greyed.insert(control.id);
      EXPECT_TRUE(control.visible && !control.editable) << control.id;
      EXPECT_EQ(control.availability.unavailableReason, control.availability.unsupportedReason);
    }
  }
  EXPECT_EQ(hidden, (std::set<std::string>{"ai.engineSelectDialog", "a11y.ttsSettingsUnsupportedNote",
                                           "a11y.windowsUiaProviderEnabled",
                                           "audio.soundPackSelectDialog"}));
  EXPECT_EQ(greyed, (std::set<std::string>{"ai.autoSelectEngine", "ai.engineVariant",
                                           "ai.enginePath", "a11y.windowsReadLineHotkeysEnabled",
                                           "a11y.windowsMainKeyboardNotationInputEnabled",
                                           "input.player2Scheme"}));
}

TEST(SettingsCatalogue, KindsAreThoseTheDesktopDialogDraws) {
  const MenuNode root = buildSettingsSchema();
  for (const PageSpec* page : pagesOf(root)) {
    for (const ControlSpec& control : page->controls) {
      EXPECT_NE(control.editorKind, EditorKind::ChoiceGroup) << control.id;
      EXPECT_NE(control.valueKind, ValueKind::Decimal) << control.id;
      EXPECT_TRUE(valueMatchesKind(control.defaultValue, control.valueKind)) << control.id;
    }
  }
}

// Puts the draft into the configuration in which `key` takes part.
void activate(Provider& provider, const std::string& key) {
  const std::pair<std::string, int64_t> tierFor[] = {{"ai.customElo", 5}, {"ai.customSkill", 6}};
  for (const auto& [dependent, tier] : tierFor) {
    if (key == dependent) {
      ASSERT_TRUE(provider.setDraftValue("ai.difficultyTier", tier, nullptr));
    }
  }
  const bool depthSide = key == "ai.depth" || key == "ai.depthProfile";
  ASSERT_TRUE(provider.setDraftValue("ai.searchLimitMode", int64_t{depthSide ? 1 : 0}, nullptr));
  if (key == "ai.timeLimit") {
    ASSERT_TRUE(provider.setDraftValue("ai.timeLimitProfile", int64_t{-1}, nullptr));
  }
  if (key == "ai.depth") {
    ASSERT_TRUE(provider.setDraftValue("ai.depthProfile", int64_t{-1}, nullptr));
  }
}

TEST(SettingsCatalogue, EveryEditableDefaultPassesValidationOnBothPlatforms) {
  for (Platform platform : {Platform::WindowsDesktop, Platform::Android}) {
    int checked = 0;
    const MenuNode root = catalogueOn(platform);
    for (const PageSpec* page : pagesOf(root)) {
      for (const ControlSpec& listed : page->controls) {
        if (listed.readOnly || !listed.editable) continue;
        SessionLog log;
        auto provider = openCatalogue(log, nullptr, platform);
        activate(*provider, listed.id);
        std::string error;
        // Validate the provider's own control, whose flags follow its platform and draft.
        const auto states = provider->listPageControls(
            "menu.settings." + page->id.substr(std::string("page.settings.").size()));
        auto state = std::find_if(states.begin(), states.end(),
                                  [&](const ControlState& s) { return s.control->id == listed.id; });
        ASSERT_NE(state, states.end()) << listed.id;
        EXPECT_TRUE(provider->validateValue(*state->control, listed.defaultValue, &error))
            << listed.id << ": " << error;
        ++checked;
      }
    }
    EXPECT_GT(checked, 40);
  }
}

TEST(SettingsCatalogue, CloudBookLabelNamesTheServiceHost) {
  EXPECT_EQ(hostOfUrl("https://book.example.org:8443/api"), "book.example.org");
  const MenuNode basic = buildAiBasicPage();
  const ControlSpec& mode = basic.page->controls.at(1);
  ASSERT_EQ(mode.id, "ai.openingBookMode");
  EXPECT_EQ(mode.options.at(1).label, "云库 (" + hostOfUrl(CloudBook::SERVICE_URL) + ")");
}

}  // namespace
}  // namespace Tavrune::Settings
