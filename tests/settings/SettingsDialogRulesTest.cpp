// What the settings dialog decides without a window: numbers typed and slid, the texts
// screen readers and the status line read, the page list and when a page changes.
#include <gtest/gtest.h>

#include "settings/ControlFactories.h"
#include "settings/ControlNumbers.h"
#include "settings/ControlTexts.h"
#include "settings/SettingsFakes.h"
#include "settings/SettingsPages.h"

namespace Tavrune::Settings {
namespace {

TEST(SettingsDialogNumbers, SnapsToTheStepWithinTheLimits) {
  const NumberLimits volume{0, 100, 5};
  const NumberLimits time{100, 300000, 100};
  const struct {
    int64_t value;
    NumberLimits limits;
    int32_t snapped;
  } cases[] = {
      {37, volume, 35}, {38, volume, 40}, {100, volume, 100}, {99, volume, 100}, {-3, volume, 0},
      {250, volume, 100}, {149, time, 100}, {150, time, 200}, {299999, time, 300000}, {12, {0, 245, 1}, 12},
      {INT64_MAX, volume, 100}, {INT64_MIN, volume, 0}, {INT64_MAX - 1, time, 300000}, {101, {0, 100, 7}, 98},
  };
  for (const auto& c : cases) EXPECT_EQ(snapToStep(c.value, c.limits), c.snapped) << c.value;

  ControlSpec decimal = makeIntegerControl("x.decimal", "x", 0, 0, 10, 3);
  decimal.valueKind = ValueKind::Decimal;
  EXPECT_EQ(numberLimitsOf(decimal).step, 1);  // decimals move by one
  ControlSpec bare;
  bare.valueKind = ValueKind::Integer;
  const NumberLimits defaults = numberLimitsOf(bare);
  EXPECT_EQ(defaults.minimum, 0);
  EXPECT_EQ(defaults.maximum, 100);
  EXPECT_EQ(defaults.step, 1);
}

TEST(SettingsDialogNumbers, ParsesTypedTextWithoutThrowing) {
  const struct {
    const char* text;
    std::optional<int64_t> integer;
  } cases[] = {
      {"12abc", 12}, {"  +7", 7}, {"-4", -4}, {"abc", std::nullopt}, {"", std::nullopt}, {"+-3", std::nullopt},
      {"99999999999999999999", std::nullopt}, {"\t42 ", 42},
  };
  for (const auto& c : cases) EXPECT_EQ(parseLeadingInteger(c.text), c.integer) << c.text;
  EXPECT_EQ(parseLeadingInt32("2147483648"), std::nullopt);
  EXPECT_EQ(parseLeadingInt32("250"), 250);
  EXPECT_EQ(parseLeadingDecimal(" 2.5x"), 2.5);
  EXPECT_EQ(parseLeadingDecimal("x2.5"), std::nullopt);
  EXPECT_EQ(parseLeadingDecimal("1e999"), std::nullopt);
}

TEST(SettingsDialogNumbers, TypingMovesTheSliderOnlyOnceTheNumberIsComplete) {
  const int32_t depthDigits = digitCountOf(0, 245);
  EXPECT_EQ(depthDigits, 3);
  EXPECT_FALSE(isCompleteNumberEntry("2", depthDigits));
  EXPECT_FALSE(isCompleteNumberEntry("25", depthDigits));
  EXPECT_TRUE(isCompleteNumberEntry("125", depthDigits));
  EXPECT_FALSE(isCompleteNumberEntry("12a", depthDigits));
  EXPECT_FALSE(isCompleteNumberEntry("-12", depthDigits));
  EXPECT_EQ(digitCountOf(-1000, 5), 4);

  EXPECT_EQ(percentOfRange(12, 0, 245), 4);
  EXPECT_EQ(percentOfRange(300000, 100, 300000), 100);
  EXPECT_EQ(percentOfRange(5, 7, 7), 0);
  EXPECT_EQ(percentOfRange(-5, 0, 10), 0);
}

TEST(SettingsDialogTexts, DescribeEachControlOnceAndInOrder) {
  ControlSpec hash = makeIntegerControl("ai.hashSize", "哈希表 (MB)", 256, 1, 8192, 1, "置换表大小");
  hash.noteText = "下局生效";
  const RowAccessibleTexts texts = rowAccessibleTexts(hash, 1, 8192);
  // The factory's accessible description is the description itself: it is said once.
  EXPECT_EQ(buildAccessibleDescription(hash), "置换表大小。下局生效");
  EXPECT_EQ(texts.editorName, "哈希表 (MB)");
  EXPECT_EQ(texts.editorDescription, "置换表大小。下局生效。可用左右方向键调节");
  EXPECT_EQ(texts.numberBoxName, "哈希表 (MB) 数值输入");
  EXPECT_EQ(texts.numberBoxDescription, "置换表大小。下局生效。可输入范围 1 到 8192");
  EXPECT_EQ(buildControlSummary(hash), "哈希表 (MB)。置换表大小。下局生效");
  EXPECT_EQ(controlStatusText(1, 6, hash), "第2页 / 共6页  |  哈希表 (MB)。置换表大小。下局生效");

  ControlSpec greyed = makeBoolControl("x.greyed", "灰", false);
  greyed.availability.unavailableReason = "本平台不支持";
  EXPECT_EQ(explanatoryLines(greyed), std::vector<std::string>{});
  greyed.editable = false;
  EXPECT_EQ(explanatoryLines(greyed), std::vector<std::string>{"本平台不支持"});
  EXPECT_EQ(rowAccessibleTexts(greyed, 0, 100).numberBoxName, "");
  EXPECT_EQ(rowAccessibleTexts(makeIntegerControl("x.n", "n", 0, 0, 9, 1), 0, 9).numberBoxDescription,
            "可输入范围 0 到 9");

  // A sentence that already ends in a full stop gets no second one, and the same sentence
  // with and without its full stop is said once.
  const RowAccessibleTexts elo =
      rowAccessibleTexts(makeIntegerControl("ai.customElo", "自定义 ELO", 1280, 1280, 3133, 1, "精细调整 AI 强度。"),
                         1280, 3133);
  EXPECT_EQ(elo.editorDescription, "精细调整 AI 强度。可用左右方向键调节");
  EXPECT_EQ(elo.numberBoxDescription, "精细调整 AI 强度。可输入范围 1280 到 3133");
  ControlSpec uia = makeBoolControl("a11y.windowsUiaProviderEnabled", "Windows UIA 提供程序", false, "开发中请勿启用");
  uia.noteText = "开发中请勿启用。";
  EXPECT_EQ(buildAccessibleDescription(uia), "开发中请勿启用");
  EXPECT_EQ(buildControlSummary(uia), "Windows UIA 提供程序。开发中请勿启用");
}

class SettingsDialogPages : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.setPlatform(Platform::WindowsDesktop);
    ASSERT_TRUE(provider.openSession(nullptr));
  }
  SessionLog log;
  Provider provider{buildSettingsSchema(), std::make_unique<FakeDataSource>(log), nullptr};
};

TEST_F(SettingsDialogPages, ListsTheSixPagesAndSeesAChoiceChangeTheControls) {
  std::vector<std::string> titles;
  for (const SettingsPageEntry& page : listSettingsPages(provider)) titles.push_back(page.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"AI 基础设置", "AI 高级", "引擎", "无障碍", "音频", "系统"}));

  const std::string basic = listSettingsPages(provider)[0].menuId;
  const std::vector<std::string> before = currentPageControlIds(provider, basic);
  ASSERT_TRUE(provider.setDraftValue("ai.searchLimitMode", int64_t{1}, nullptr));
  const std::vector<std::string> after = currentPageControlIds(provider, basic);
  EXPECT_NE(before, after);
  EXPECT_NE(std::find(after.begin(), after.end(), "ai.depthProfile|1|"), after.end());
  EXPECT_EQ(currentPageControlIds(provider, "no.such.menu"), std::vector<std::string>{});
}

TEST(SettingsDialogScroll, KeepsThePositionWithinTheContent) {
  const int32_t content = PageScroll::contentHeight(400, true);
  EXPECT_EQ(content, 408);
  EXPECT_EQ(PageScroll::rangeEnd(content, 272), 408);
  EXPECT_EQ(PageScroll::clampPosition(500, content, 272), 136);
  EXPECT_EQ(PageScroll::clampPosition(-20, content, 272), 0);
  EXPECT_EQ(PageScroll::contentHeight(0, false), 0);
  EXPECT_EQ(PageScroll::rangeEnd(0, 272), 272);
  EXPECT_EQ(PageScroll::clampPosition(40, 0, 272), 0);

  EXPECT_EQ(engineFileNameOf("C:\\游戏\\engines\\pikafish-avx2.exe"), "pikafish-avx2.exe");
  EXPECT_EQ(engineFileNameOf("engines/pikafish.exe"), "pikafish.exe");
  EXPECT_EQ(engineFileNameOf("pikafish.exe"), "pikafish.exe");
  EXPECT_EQ(engineFileNameOf("engines\\"), "engines\\");
}

}  // namespace
}  // namespace Tavrune::Settings
