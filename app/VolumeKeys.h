#pragma once
// The volume channel keys: Ctrl+M picks master, game effects or background music; F5 and
// F6 lower and raise it by 5 percent; F7 resets it; F8 switches it. Volumes move in whole
// percents so that the spoken figure is exactly the stored one. The window speaks the
// texts as notices, pushes the change to a running audio manager and saves.
#include <cstdint>
#include <optional>
#include <string>

#include "core/AudioConfig.h"

namespace Tavrune {

struct VolumeChange {
  int32_t channel = 0;  // which setter the running audio manager needs
  float value = 0.0f;   // the stored volume, percent / 100
  int32_t percent = 0;
  std::wstring spoken;
};

// What a running audio manager must be told after a switch; each field only when set,
// in this order: enabled, game effects, background music.
struct AudioSwitchChange {
  std::optional<bool> managerEnabled;   // AudioManager::setEnabled
  std::optional<bool> gameSfxEnabled;   // AudioManager::setGameSfxEnabled
  std::optional<bool> musicEnabled;     // AudioManager::setBackgroundMusicEnabled
  std::wstring spoken;
};

class VolumeKeys {
 public:
  static constexpr int32_t kMaster = 0;
  static constexpr int32_t kGameEffects = 1;
  static constexpr int32_t kMusic = 2;
  static constexpr int32_t kStepPercent = 5;  // F5: -5, F6: +5

  static constexpr wchar_t kIntroCaption[] = L"音量调节说明";
  static constexpr wchar_t kIntroText[] =
      L"音量调节说明\n\n本游戏支持三种音量调节：\n\n1. 主音量 - 控制所有音效的整体音量\n"
      L"2. 游戏音效 - 控制走子、吃子、将军等游戏音效的总体音量（保持各音效间的相对比例）\n"
      L"3. 背景音乐 - 控制背景音乐的音量\n\n快捷键说明：\n• Ctrl+M - 切换当前调节的音量类型\n"
      L"• F5 - 降低当前类型音量（每次5%）\n• F6 - 增加当前类型音量（每次5%）\n"
      L"• F7 - 重置当前类型音量到默认值\n• F8 - 切换当前类型音效开关\n\n开关联动逻辑：\n"
      L"• 关闭主音量时，会同时关闭游戏音效和背景音乐\n• 开启游戏音效或背景音乐时，会自动开启主音量\n\n"
      L"调节时会有语音播报，方便视障用户使用。\n\n"
      L"注意：游戏音效调节的是总体缩放，不会改变走子、吃子等具体音效之间的相对比例。";

  // Ctrl+M: the next channel (wrapping after background music).
  static int32_t nextChannel(int32_t channel);
  // "主音量", "游戏音效", "背景音乐".
  static std::wstring channelLabel(int32_t channel);
  // round(volume * 100), clamped to 0..100.
  static int32_t wholePercent(float volume);

  // F5 / F6: whole percent p := clamp(round(v * 100) + step, 0, 100); stores p / 100.
  static VolumeChange adjust(AudioConfig& config, int32_t channel, int32_t stepPercent);
  // F7: the channel's default (100, 100 or 30 percent).
  static VolumeChange reset(AudioConfig& config, int32_t channel);
  // F8: switches the channel; master off takes effects and music with it, effects or music
  // on brings the master back on.
  static AudioSwitchChange toggle(AudioConfig& config, int32_t channel);

 private:
  static int32_t normalChannel(int32_t channel);
  static float& volumeOf(AudioConfig& config, int32_t channel);
};

}  // namespace Tavrune
