// The store's key table and conversions, the data source over a file held in memory,
// and the typed appliers of the executor.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "settings/CallbackActionExecutor.h"
#include "settings/ConfigKeyTable.h"
#include "settings/ConfigManagerDataSource.h"
#include "settings/Provider.h"
#include "settings/SettingsCatalogue.h"

namespace Tavrune::Settings {
namespace {

TEST(ConfigKeyTable, WritesConvertAndClampWhatTheyStore) {
  const struct {
    ValueMap written;
    std::string readKey;
    SettingValue read;  // nothing: the write is refused with `error`
    std::string error;
  } cases[] = {
      {{{"audio.masterVolumePercent", int64_t{150}}}, "audio.masterVolumePercent", int64_t{100}, ""},
      {{{"audio.backgroundVolumePercent", int64_t{-5}}}, "audio.backgroundVolumePercent", int64_t{0}, ""},
      {{{"input.player2Scheme", int64_t{3}}}, "input.player2Scheme", int64_t{0}, ""},
      {{{"input.player2Scheme", int64_t{2}}}, "input.player2Scheme", int64_t{2}, ""},
      {{{"ai.openingBookMode", int64_t{7}}}, "ai.openingBookMode", int64_t{2}, ""},
      {{{"a11y.windowsNumpadInputTimeoutMs", int64_t{20000}}}, "a11y.windowsNumpadInputTimeoutMs", int64_t{10000}, ""},
      {{{"ai.threads", (int64_t{1} << 32) + 3}}, "ai.threads", int64_t{3}, ""},
      {{{"ai.timeLimitProfile", int64_t{-1}}}, "ai.timeLimit", int64_t{3000}, ""},
      {{{"ai.timeLimitProfile", int64_t{5000}}, {"ai.timeLimit", int64_t{4500}}}, "ai.timeLimit", int64_t{5000}, ""},
      {{{"ai.timeLimitProfile", int64_t{-1}}, {"ai.timeLimit", int64_t{4500}}}, "ai.timeLimitProfile", int64_t{-1}, ""},
      {{{"ai.depthProfile", int64_t{0}}, {"ai.depth", int64_t{30}}}, "ai.depthProfile", int64_t{0}, ""},
      {{{"ai.clearHash", SettingValue{}}, {"ai.engineStatus", std::string("空闲")}}, "ai.hashSize", int64_t{256}, ""},
      {{{"ai.threads", 5.0}}, "", {}, "ai.threads requires integer"},
      {{{"audio.enabled", int64_t{1}}}, "", {}, "audio.enabled requires bool"},
      {{{"ai.enginePath", int64_t{1}}}, "", {}, "ai.enginePath requires text"},
  };
  for (const auto& c : cases) {
    ConfigRecord record;
    std::string error;
    const bool written = ConfigKeyTable::writeValues(record, c.written, &error);
    EXPECT_EQ(written, c.error.empty()) << c.written.begin()->first;
    if (!written) {
      EXPECT_EQ(error, c.error);
      continue;
    }
    EXPECT_EQ(ConfigKeyTable::readAllValues(record).at(c.readKey), c.read) << c.readKey;
  }

  ConfigRecord stored;
  stored.ai.timeLimit = 4000;
  const ValueMap read = ConfigKeyTable::readAllValues(stored);
  EXPECT_EQ(read.at("ai.timeLimitProfile"), SettingValue(int64_t{-1}));
  EXPECT_EQ(read.at("ai.depthProfile"), SettingValue(int64_t{0})) << "no depth limit is a preset";
  // Every stored key is a setting of the catalogue, of the same kind.
  std::map<std::string, ValueKind> kinds;
  for (const MenuNode& menu : buildSettingsSchema().children) {
    for (const MenuNode& leaf : menu.page ? std::vector<MenuNode>{menu} : menu.children) {
      for (const ControlSpec& c : leaf.page->controls) kinds[c.id] = c.valueKind;
    }
  }
  for (const auto& [key, value] : read) EXPECT_TRUE(kinds.count(key) && valueMatchesKind(value, kinds[key])) << key;
  EXPECT_EQ(read.size(), 52u);

  const std::pair<float, int32_t> percents[] = {{0.304f, 30}, {0.306f, 31}, {1.7f, 100}, {-0.2f, 0},
                                                {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& [volume, percent] : percents) EXPECT_EQ(ConfigKeyTable::volumeToPercent(volume), percent) << volume;
}

// "config.json" as a record in memory; reading an unreadable file changes nothing.
struct MemoryFile {
  ConfigRecord content;
  bool readable = true;
  bool writable = true;
  int saves = 0;
  std::unique_ptr<IDataSource> source() {
    return makeConfigManagerDataSource(
        [this](AIConfig& ai, int& scheme, AccessibilityConfig& a11y, SystemConfig* system, AudioConfig* audio) {
          if (!readable) return;
          ai = content.ai, scheme = content.player2Scheme, a11y = content.accessibility;
          *system = content.system, *audio = content.audio;
        },
        [this](const AIConfig& ai, int scheme, const AccessibilityConfig& a11y, const SystemConfig* system,
               const AudioConfig* audio) {
          if (!writable) return false;
          ++saves;
          content = ConfigRecord{ai, scheme, a11y, *system, *audio};
          return true;
        },
        "D:\\数据\\config.json");
  }
};

TEST(ConfigManagerDataSource, ApplyKeepsWhatOthersSavedAndReportsAFileItCannotWrite) {
  MemoryFile file;
  file.content.ai.hashSize = 512;
  auto source = file.source();
  ValueMap values;
  ASSERT_TRUE(source->load(values, nullptr));
  EXPECT_EQ(values.at("ai.hashSize"), SettingValue(int64_t{512}));

  // Saved by the window while the dialog was open: fields no key maps to survive.
  file.content.audio.soundPackPath = "sounds/other";
  file.content.system.volumeIntroShown = true;
  std::string error = "stale";
  ASSERT_TRUE(source->apply({{"ai.threads", int64_t{2}}}, &error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(file.content.audio.soundPackPath, "sounds/other");
  EXPECT_TRUE(file.content.system.volumeIntroShown);
  EXPECT_EQ(file.content.ai.threads, 2);

  // A file that cannot be read again keeps the record held, never the defaults.
  file.readable = false;
  ASSERT_TRUE(source->apply({{"ai.multiPV", int64_t{3}}}, nullptr));
  EXPECT_EQ(file.content.ai.hashSize, 512);

  const int saves = file.saves;
  EXPECT_FALSE(source->apply({{"ai.threads", 2.0}}, &error));
  EXPECT_EQ(error, "ai.threads requires integer");
  file.writable = false;
  EXPECT_FALSE(source->apply({{"ai.threads", int64_t{4}}}, &error));
  EXPECT_EQ(error, "无法写入配置文件：D:\\数据\\config.json");
  EXPECT_EQ(file.saves, saves);
  EXPECT_EQ(file.content.ai.threads, 2);
}

// The file keeps only the limit: the session 应用 reopens keeps a custom choice equal to a
// preset while the file holds that limit; the next opening shows the preset.
TEST(ConfigManagerDataSource, ACustomSearchLimitAppliedStaysChosenUntilTheNextOpening) {
  const struct {
    int mode;
    const char* profile;
    int changedBehind;  // a time limit saved by another writer after 应用, or 0
    int64_t reopened, nextOpening;
  } cases[] = {{0, "ai.timeLimitProfile", 0, -1, 3000}, {1, "ai.depthProfile", 0, -1, 12},
               {0, "ai.timeLimitProfile", 5000, 5000, 5000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile);
    MemoryFile file;
    file.content.ai.searchLimitMode = c.mode;
    file.content.ai.timeLimit = 3000;
    file.content.ai.depth = 12;
    const auto shown = [&c](const Provider& provider) {
      for (const ControlState& row : provider.listPageControls("menu.settings.ai.basic")) {
        if (row.control->id == c.profile) return row.value;
      }
      return SettingValue{};
    };
    Provider provider(buildSettingsSchema(), file.source(), nullptr);
    Provider next(buildSettingsSchema(), file.source(), nullptr);
    provider.setPlatform(Platform::WindowsDesktop);
    next.setPlatform(Platform::WindowsDesktop);
    ASSERT_TRUE(provider.openSession(nullptr) && provider.setDraftValue(c.profile, int64_t{-1}, nullptr));
    std::vector<std::string> errors;
    ASSERT_TRUE(provider.closeSession(true, &errors));
    if (c.changedBehind) file.content.ai.timeLimit = c.changedBehind;
    ASSERT_TRUE(provider.reopenSession(nullptr) && next.openSession(nullptr));
    EXPECT_EQ(shown(provider), SettingValue(c.reopened));
    EXPECT_EQ(shown(next), SettingValue(c.nextOpening));
  }
}

TEST(CallbackActionExecutor, TypedAppliersTakeOnlyTheirKind) {
  CallbackActionExecutor executor;
  std::string seen;
  registerIntApplier(executor, "int", [&](int v) { seen = std::to_string(v); });
  registerBoolApplier(executor, "bool", [&](bool v) { seen = v ? "yes" : "no"; });
  registerTextApplier(executor, "text", [&](const std::string& v) { seen = v; });
  const struct {
    const char* key;
    SettingValue value;
    std::string message;  // empty: applied
    std::string seen;
  } cases[] = {
      {"int", (int64_t{1} << 32) + 5, "", "5"}, {"int", true, "需要整数值", ""},
      {"int", 3.0, "需要整数值", ""},           {"bool", int64_t{1}, "需要布尔值", ""},
      {"bool", false, "", "no"},                {"text", int64_t{1}, "需要字符串值", ""},
      {"text", std::string("x"), "", "x"},      {"ai.engineVariant", int64_t{1}, "", ""},
  };
  for (const auto& c : cases) {
    seen.clear();
    const ApplyResult result = executor.execute(c.key, c.value);
    EXPECT_EQ(result.ok, c.message.empty()) << c.key;
    EXPECT_EQ(result.message, c.message) << c.key;
    EXPECT_EQ(seen, c.seen) << c.key;
  }
}

}  // namespace
}  // namespace Tavrune::Settings
