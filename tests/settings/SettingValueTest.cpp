// Value texts and comparisons, and the platform rules on a small tree of their own.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>

#include "settings/ControlFactories.h"
#include "settings/PlatformRestrictions.h"
#include "settings/Provider.h"
#include "settings/SettingsCatalogue.h"

namespace Tavrune::Settings {
namespace {

// A locale that groups thousands and writes a decimal comma, as many users' do.
struct CommaNumpunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(SettingValue, TextIsTheSameInEveryLocale) {
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaNumpunct));
  const struct {
    SettingValue value;
    const char* text;
  } cases[] = {{std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
               {1234567.0, "1.23457e+06"},
               {0.1, "0.1"},
               {3000.0, "3000"},
               {SettingValue{}, "<none>"},
               {true, "true"},
               {std::string(), ""}};
  for (const auto& c : cases) EXPECT_EQ(valueToString(c.value), c.text);
  std::locale::global(previous);
}

TEST(SettingValue, EqualityAcrossAlternatives) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    SettingValue a, b;
    bool equal;
  } cases[] = {{int64_t{3000}, 3000.0, true},  {3000.0, int64_t{3000}, true},
               {true, int64_t{1}, false},      {nan, nan, false},
               {std::string("a"), std::string("a"), true},
               {SettingValue{}, SettingValue{}, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(Provider::valuesEqual(c.a, c.b), c.equal) << valueToString(c.a) << " / " << valueToString(c.b);
  }
}

TEST(PlatformRestrictions, EmptyPagesHideTheirMenusAndGreyedItemsGetAReason) {
  MenuNode root, leaf;
  root.id = "root";
  leaf.id = "menu.settings.only";
  leaf.page.emplace();
  leaf.page->id = "page.settings.only";
  ControlSpec touch = makeBoolControl("touch", "t", false);
  restrictToAndroid(&touch, "android");
  ControlSpec keys = makeBoolControl("keys", "k", false);
  restrictToWindowsDesktop(&keys, "");
  leaf.page->controls = {touch, keys};
  root.children.push_back(leaf);

  updateAvailability(root, Platform::Android);
  const ControlSpec& greyed = root.children[0].page->controls[1];
  EXPECT_TRUE(greyed.visible);
  EXPECT_FALSE(greyed.editable);
  EXPECT_EQ(greyed.availability.unavailableReason, "当前平台不支持");
  EXPECT_TRUE(root.visible);

  // On Windows the Android control disappears; greying out the other would still show it,
  // so hide it too and the page, its menu and the root go with them.
  root.children[0].page->controls[1].availability.unsupportedPresentation = UnsupportedPresentation::Hidden;
  root.children[0].page->controls[1].availability.platforms = {Platform::Android};
  updateAvailability(root, Platform::WindowsDesktop);
  EXPECT_FALSE(root.children[0].page->visible);
  EXPECT_FALSE(root.children[0].visible || root.children[0].enabled);
  EXPECT_FALSE(root.visible);
}

}  // namespace
}  // namespace Tavrune::Settings
