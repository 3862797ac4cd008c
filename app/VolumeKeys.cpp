#include "app/VolumeKeys.h"

#include <algorithm>
#include <cmath>

namespace Tavrune {

namespace {

constexpr const wchar_t* kLabels[] = {L"主音量", L"游戏音效", L"背景音乐"};
constexpr int32_t kDefaultPercent[] = {100, 100, 30};

}  // namespace

int32_t VolumeKeys::normalChannel(int32_t channel) { return (channel >= 0 && channel < 3) ? channel : kMaster; }

int32_t VolumeKeys::nextChannel(int32_t channel) { return (normalChannel(channel) + 1) % 3; }

std::wstring VolumeKeys::channelLabel(int32_t channel) { return kLabels[normalChannel(channel)]; }

int32_t VolumeKeys::wholePercent(float volume) {
  if (!std::isfinite(volume)) return 0;
  const long rounded = std::lround(static_cast<double>(volume) * 100.0);
  return static_cast<int32_t>(std::clamp(rounded, 0L, 100L));
}

float& VolumeKeys::volumeOf(AudioConfig& config, int32_t channel) {
  switch (normalChannel(channel)) {
    case kGameEffects: return config.gameSfxVolume;
    case kMusic: return config.backgroundVolume;
    default: return config.masterVolume;
  }
}

VolumeChange VolumeKeys::adjust(AudioConfig& config, int32_t channel, int32_t stepPercent) {
  channel = normalChannel(channel);
  float& volume = volumeOf(config, channel);
  const int32_t percent = std::clamp(wholePercent(volume) + stepPercent, 0, 100);
  volume = static_cast<float>(percent) / 100.0f;
  return {channel, volume, percent, channelLabel(channel) + L" " + std::to_wstring(percent) + L"%"};
}

VolumeChange VolumeKeys::reset(AudioConfig& config, int32_t channel) {
  channel = normalChannel(channel);
  const int32_t percent = kDefaultPercent[channel];
  float& volume = volumeOf(config, channel);
  volume = static_cast<float>(percent) / 100.0f;
  return {channel, volume, percent, channelLabel(channel) + L"已重置为" + std::to_wstring(percent) + L"%"};
}

AudioSwitchChange VolumeKeys::toggle(AudioConfig& config, int32_t channel) {
  channel = normalChannel(channel);
  AudioSwitchChange change;
  bool wasOn = false;
  if (channel == kMaster) {
    wasOn = config.enabled;
    const bool on = !wasOn;
    // The master switch carries both other switches with it.
    config.enabled = on;
    config.gameSfxEnabled = on;
    config.backgroundMusicEnabled = on;
    change.managerEnabled = on;
    change.gameSfxEnabled = on;
    change.musicEnabled = on;
  } else {
    bool& flag = channel == kGameEffects ? config.gameSfxEnabled : config.backgroundMusicEnabled;
    wasOn = flag;
    flag = !wasOn;
    if (flag && !config.enabled) {
      config.enabled = true;
      change.managerEnabled = true;
    }
    (channel == kGameEffects ? change.gameSfxEnabled : change.musicEnabled) = flag;
  }
  change.spoken = channelLabel(channel) + (wasOn ? L"已关闭" : L"已开启");
  return change;
}

}  // namespace Tavrune
