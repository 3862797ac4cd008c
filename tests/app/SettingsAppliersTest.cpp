// The audio and accessibility appliers over real components without a window: a running
// audio manager on a device-less back end and an accessibility manager.
#include <gtest/gtest.h>

#include <string>

#include "accessibility/AccessibilityManager.h"
#include "app/SettingsMirrors.h"
#include "audio/ManagerTestRig.h"
#include "audio/NoDeviceBackend.h"
#include "audio/WavFile.h"

namespace Tavrune {
namespace {

using Mirrors = Tavrune::Test::SettingsMirrors;

TEST(SettingsAppliers, SwitchesOffSilenceTheGamesMusicBackOnInAnyOrderBringItAndVolumesAreClamped) {
  Tavrune::Test::ManagerTestRig rig;
  rig.folder().writeFile("data/sounds/bg/a.wav",
                         Tavrune::Test::wavBytes(Tavrune::Test::levelSamples(0.5, 0.1, 1, Tavrune::Test::NoDeviceBackend::SAMPLE_RATE), 1,
                                        Tavrune::Test::NoDeviceBackend::SAMPLE_RATE));
  ASSERT_TRUE(rig.initialize());
  Mirrors mirrors;
  Settings::CallbackActionExecutor executor;
  registerSettingsAppliers(executor, mirrors.targets(nullptr, &rig.manager(), nullptr));
  pushAudioSettings(rig.manager(), mirrors.audio);
  rig.manager().startBackgroundMusic();
  ASSERT_NE(rig.manager().currentMusicTrack(), "");

  // Sound (s) and music (m) switched off and on in any order, each a commit; one 应用
  // commits the sound switch first. Either off silences the game's music, both on bring it.
  for (const std::string order : {"s-s+", "s-m-s+m+", "m-s-m+s+", "s-m-m+s+"}) {
    for (size_t i = 0; i < order.size(); i += 2) {
      const bool on = order[i + 1] == '+';
      EXPECT_TRUE(executor.execute(order[i] == 's' ? "audio.enabled" : "audio.backgroundMusicEnabled", on).ok);
      EXPECT_EQ(order[i] == 's' ? mirrors.audio.enabled : mirrors.audio.backgroundMusicEnabled, on);
      EXPECT_EQ(rig.manager().isEnabled(), mirrors.audio.enabled);
      EXPECT_EQ(rig.manager().currentMusicTrack() != "", mirrors.audio.enabled && mirrors.audio.backgroundMusicEnabled)
          << order << " step " << i / 2;
    }
  }
  rig.manager().stopBackgroundMusic();  // the game ended: switching sound on brings no music
  for (bool on : {false, true}) EXPECT_TRUE(executor.execute("audio.enabled", on).ok);
  EXPECT_EQ(rig.manager().currentMusicTrack(), "");

  EXPECT_TRUE(executor.execute("audio.masterVolumePercent", int64_t{150}).ok);
  EXPECT_EQ(mirrors.audio.masterVolume, 1.0f);
  EXPECT_TRUE(executor.execute("audio.backgroundVolumePercent", int64_t{-5}).ok);
  EXPECT_EQ(mirrors.audio.backgroundVolume, 0.0f);
  EXPECT_EQ(executor.execute("audio.hrtfPreferred", int64_t{1}).message, "需要字符串值");
}

TEST(SettingsAppliers, WithoutComponentsOnlyTheCopiesChange) {
  Mirrors mirrors;
  Settings::CallbackActionExecutor executor;
  registerSettingsAppliers(executor, mirrors.targets(nullptr, nullptr, nullptr));
  EXPECT_TRUE(executor.execute("audio.enabled", false).ok);
  EXPECT_TRUE(executor.execute("audio.gameSfxVolumePercent", int64_t{50}).ok);
  EXPECT_TRUE(executor.execute("a11y.windowsUiaProviderEnabled", true).ok);
  EXPECT_TRUE(executor.execute("a11y.windowsNumpadInputTimeoutMs", int64_t{20000}).ok);
  EXPECT_FALSE(mirrors.audio.enabled);
  EXPECT_EQ(mirrors.audio.gameSfxVolume, 0.5f);
  EXPECT_TRUE(mirrors.a11y.windowsUiaProviderEnabled);
  EXPECT_EQ(mirrors.a11y.windowsNumpadInputTimeoutMs, 10000);
  // No engine: its settings are only stored.
  EXPECT_TRUE(executor.execute("ai.hashSize", int64_t{64}).ok);
  EXPECT_EQ(mirrors.engine.hashSize, 256);

  AccessibilityManager accessibility;
  registerSettingsAppliers(executor, mirrors.targets(nullptr, nullptr, &accessibility));
  EXPECT_TRUE(executor.execute("a11y.windowsUiaProviderEnabled", true).ok);
  EXPECT_EQ(mirrors.a11y.windowsUiaProviderEnabled, accessibility.isUiaEnabled());
}

}  // namespace
}  // namespace Tavrune
