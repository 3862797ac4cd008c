#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/VolumeKeys.h"

namespace Tavrune {
namespace {

TEST(VolumeKeysTest, TwentyStepsDownFromFullSpeakEveryFivePercentExactly) {
  AudioConfig config;
  std::vector<std::wstring> heard;
  for (int press = 0; press < 21; ++press) heard.push_back(VolumeKeys::adjust(config, VolumeKeys::kMaster, -5).spoken);
  for (int press = 0; press < 20; ++press) {
    EXPECT_EQ(heard[press], L"主音量 " + std::to_wstring(95 - 5 * press) + L"%");
  }
  EXPECT_EQ(heard[20], L"主音量 0%");  // clamped silently
  EXPECT_EQ(config.masterVolume, 0.0f);

  std::vector<int32_t> up;
  for (int press = 0; press < 21; ++press) up.push_back(VolumeKeys::adjust(config, VolumeKeys::kMaster, 5).percent);
  for (int press = 0; press < 20; ++press) EXPECT_EQ(up[press], 5 + 5 * press);
  EXPECT_EQ(up[20], 100);
  EXPECT_EQ(config.masterVolume, 1.0f);
}

TEST(VolumeKeysTest, StepsStartFromTheNearestWholePercent) {
  struct Case {
    float start;
    int32_t step;
    int32_t percent;
  };
  const std::vector<Case> cases = {
      {0.3f, -5, 25}, {0.333f, 5, 38}, {0.994f, 5, 100}, {0.026f, -5, 0}, {1.7f, -5, 95},
      {-0.2f, 5, 5},  {std::numeric_limits<float>::quiet_NaN(), 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    AudioConfig config;
    config.backgroundVolume = c.start;
    const VolumeChange change = VolumeKeys::adjust(config, VolumeKeys::kMusic, c.step);
    EXPECT_EQ(change.percent, c.percent);
    EXPECT_EQ(change.channel, VolumeKeys::kMusic);
    EXPECT_FLOAT_EQ(config.backgroundVolume, c.percent / 100.0f);
    EXPECT_EQ(change.value, config.backgroundVolume);
    EXPECT_EQ(change.spoken, L"背景音乐 " + std::to_wstring(c.percent) + L"%");
  }
}

TEST(VolumeKeysTest, ResetRestoresEachChannelsDefault) {
  AudioConfig config;
  config.backgroundVolume = 0.3f;
  EXPECT_EQ(VolumeKeys::adjust(config, VolumeKeys::kMusic, -5).spoken, L"背景音乐 25%");
  EXPECT_FLOAT_EQ(config.backgroundVolume, 0.25f);
  EXPECT_EQ(VolumeKeys::reset(config, VolumeKeys::kMusic).spoken, L"背景音乐已重置为30%");
  EXPECT_FLOAT_EQ(config.backgroundVolume, 0.3f);

  config.masterVolume = 0.1f;
  config.gameSfxVolume = 0.2f;
  EXPECT_EQ(VolumeKeys::reset(config, VolumeKeys::kMaster).spoken, L"主音量已重置为100%");
  EXPECT_EQ(VolumeKeys::reset(config, VolumeKeys::kGameEffects).spoken, L"游戏音效已重置为100%");
  EXPECT_EQ(config.masterVolume, 1.0f);
  EXPECT_EQ(config.gameSfxVolume, 1.0f);
}

TEST(VolumeKeysTest, ChannelsCycleBackToTheMasterAfterThreePresses) {
  int32_t channel = VolumeKeys::kMaster;
  std::vector<std::wstring> heard;
  for (int press = 0; press < 3; ++press) {
    channel = VolumeKeys::nextChannel(channel);
    heard.push_back(VolumeKeys::channelLabel(channel));
  }
  EXPECT_EQ(heard, (std::vector<std::wstring>{L"游戏音效", L"背景音乐", L"主音量"}));
  EXPECT_EQ(VolumeKeys::nextChannel(7), VolumeKeys::kGameEffects);  // an unknown channel counts as the master
}

TEST(VolumeKeysTest, SwitchesAndTheirLinks) {
  struct Case {
    const char* name;
    int32_t channel;
    bool master, effects, music;              // before
    bool masterAfter, effectsAfter, musicAfter;
    std::optional<bool> toldEnabled, toldEffects, toldMusic;
    std::wstring spoken;
  };
  const std::vector<Case> cases = {
      {"master off takes the others", 0, true, true, true, false, false, false, false, false, false, L"主音量已关闭"},
      {"master on brings them back", 0, false, false, false, true, true, true, true, true, true, L"主音量已开启"},
      {"music on brings the master", 2, false, false, false, true, false, true, true, std::nullopt, true, L"背景音乐已开启"},
      {"effects on with master on", 1, true, false, true, true, true, true, std::nullopt, true, std::nullopt, L"游戏音效已开启"},
      {"effects off alone", 1, true, true, true, true, false, true, std::nullopt, false, std::nullopt, L"游戏音效已关闭"},
      {"music off alone", 2, true, true, true, true, true, false, std::nullopt, std::nullopt, false, L"背景音乐已关闭"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AudioConfig config;
    config.enabled = c.master;
    config.gameSfxEnabled = c.effects;
    config.backgroundMusicEnabled = c.music;
    const AudioSwitchChange change = VolumeKeys::toggle(config, c.channel);
    EXPECT_EQ(config.enabled, c.masterAfter);
    EXPECT_EQ(config.gameSfxEnabled, c.effectsAfter);
    EXPECT_EQ(config.backgroundMusicEnabled, c.musicAfter);
    EXPECT_EQ(change.managerEnabled, c.toldEnabled);
    EXPECT_EQ(change.gameSfxEnabled, c.toldEffects);
    EXPECT_EQ(change.musicEnabled, c.toldMusic);
    EXPECT_EQ(change.spoken, c.spoken);
  }
}

}  // namespace
}  // namespace Tavrune
