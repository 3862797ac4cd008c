// The root of the catalogue and its accessibility, audio and system pages (the AI pages
// are in AiSettingsPages.cpp).
#include "settings/SettingsCatalogue.h"

#include <utility>

#include "settings/CataloguePieces.h"
#include "settings/ControlFactories.h"
#include "settings/PlatformRestrictions.h"

namespace Tavrune::Settings {

namespace {

ControlSpec androidOnly(ControlSpec control, const std::string& reason) {
  restrictToAndroid(&control, reason);
  return control;
}

ControlSpec windowsOnly(ControlSpec control, const std::string& reason) {
  showOnlyOnWindows(&control, reason);
  return control;
}

ControlSpec windowsDesktop(ControlSpec control, const std::string& reason) {
  restrictToWindowsDesktop(&control, reason);
  return control;
}

}  // namespace

MenuNode buildAccessibilityPage() {
  std::vector<ControlSpec> controls;
  controls.push_back(androidOnly(makeActionControl("a11y.ttsSettingsDialog", "语音播报设置..."),
                                 "仅 Android 平台支持语音设置入口"));
  controls.push_back(
      windowsOnly(makeInfoControl("a11y.ttsSettingsUnsupportedNote", "平台提示",
                                  "当前平台不支持语音库设置，仅 Android 可用。"),
                  "仅 Windows 需要显示平台提示"));
  controls.push_back(makeBoolControl("a11y.professionalNotation", "专业记谱法", true,
                                     "按专业记谱方式播报，适合熟悉记谱的用户。"));
  controls.push_back(androidOnly(
      makeBoolControl("a11y.liftToActivate", "抬手激活模式", false,
                      "在浏览棋盘过程中通过直接抬手替代传统点击，更顺手但可能和小读屏冲突。"),
      "仅 Android 触摸交互支持抬手激活模式"));
  controls.push_back(makeBoolControl("a11y.liftOrSelectReadPieceName", "抬手或选定棋子后读棋子名",
                                     true, "选中棋子后追加名称播报，便于确认焦点。"));
  controls.push_back(androidOnly(makeBoolControl("a11y.touchGuardGestureMode", "应用内读屏辅助模式",
                                                 false, "暂时支持关闭读屏浏览棋盘，会逐步扩展。"),
                                 "仅 Android 触摸交互支持应用内读屏辅助模式"));
  controls.push_back(
      androidOnly(makeBoolControl("a11y.accessibilityAudioChannel", "读屏走无障碍声道", false,
                                  "读屏语音和提示音走无障碍声道，其他音效不受影响。"),
                  "仅 Android 支持无障碍声道路由"));
  ControlSpec uia = windowsOnly(
      makeBoolControl("a11y.windowsUiaProviderEnabled", "Windows UIA 提供程序", false, "开发中请勿启用"),
      "仅 Windows 桌面版支持 UIA Provider");
  uia.noteText = "开发中请勿启用。";
  controls.push_back(std::move(uia));
  controls.push_back(windowsDesktop(
      makeBoolControl("a11y.windowsReadLineHotkeysEnabled", "读路热键 (Ctrl+F1~F9)", true,
                      "可用 Ctrl+F1 到 Ctrl+F9 快捷读取第 1 到 9 路。"),
      "仅 Windows 桌面版支持读路热键"));
  controls.push_back(makeBoolControl("a11y.windowsReadLineAllEmptyShortcutEnabled",
                                     "空路简写为“全空”", true, "开启后空路用“全空”简写，播报更短。"));
  controls.push_back(makeBoolControl("a11y.windowsNumpadNotationInputEnabled", "小键盘记谱输入", true,
                                     "启用小键盘记谱输入，可直接走棋。"));
  controls.push_back(windowsDesktop(
      makeBoolControl("a11y.windowsMainKeyboardNotationInputEnabled", "主键盘映射记谱输入", false,
                      "将主键盘映射为记谱输入，适合无小键盘设备。"),
      "仅 Windows 桌面版支持主键盘映射记谱输入"));
  controls.push_back(makeBoolControl("a11y.windowsNumpadFrontBackAlias82Enabled", "前后别名 8/2",
                                     true, "第二位输入时可用 8/2 代替前/后。"));
  controls.push_back(makeIntegerControl("a11y.windowsNumpadInputTimeoutMs", "小键盘输入超时 (ms)", 0,
                                        0, 10000, 500, "超时后自动清空输入缓冲；设为 0 表示不超时。"));
  return makeLeafMenu("accessibility", "无障碍", "", "无障碍设置", "读屏、记谱输入和辅助交互选项。",
                      std::move(controls));
}

MenuNode buildAudioPage() {
  std::vector<ControlSpec> controls;
  controls.push_back(makeBoolControl("audio.enabled", "音效总开关", true, "统一控制游戏音频开关。"));
  controls.push_back(
      makeBoolControl("audio.gameSfxEnabled", "游戏音效", true, "控制走子、吃子、将军等音效。"));
  controls.push_back(
      makeBoolControl("audio.backgroundMusicEnabled", "背景音乐", true, "控制背景音乐播放。"));
  controls.push_back(makeIntegerControl("audio.masterVolumePercent", "主音量", 100, 0, 100, 5,
                                        "控制整体音量（0-100%）。"));
  controls.push_back(makeIntegerControl("audio.gameSfxVolumePercent", "游戏音效音量", 100, 0, 100, 5,
                                        "单独控制游戏音效音量（0-100%）。"));
  controls.push_back(makeIntegerControl("audio.backgroundVolumePercent", "背景音乐音量", 30, 0, 100,
                                        5, "单独控制背景音乐音量（0-100%）。"));
  controls.push_back(makeTextChoiceControl(
      "audio.backendType", "音频后端", "auto",
      {textOption("auto", "auto", "自动"), textOption("miniaudio", "miniaudio", "Miniaudio"),
       textOption("openal", "openal_soft", "OpenAL Soft")},
      "选择音频实现，建议默认自动。"));
  controls.push_back(makeBoolControl("audio.hrtfEnabled", "HRTF 空间化", true,
                                     "启用双耳空间化，不支持时会自动忽略。"));
  controls.push_back(makeTextControl("audio.hrtfPreferred", "首选 HRTF 配置", "",
                                     "可选，填写优先使用的 HRTF 配置名。"));
  controls.push_back(androidOnly(
      makeBoolControl("audio.forceAccessibilityChannel", "强制音效走无障碍声道", false,
                      "开启后游戏音效与背景音乐强制走无障碍声道；应用内读屏语音请在无障碍菜单单独设置（Android）"),
      "仅 Android 支持无障碍声道路由"));
  controls.push_back(windowsOnly(
      makeActionControl("audio.soundPackSelectDialog", "音效包选择...", "打开音效包选择对话框"),
      "当前平台不支持音效包选择"));
  controls.push_back(androidOnly(makeInfoControl("audio.soundPackUnsupportedNote", "平台提示",
                                                 "当前平台不支持音效包选择，仅 Windows 可用。"),
                                 "仅 Android 需要显示平台提示"));
  return makeLeafMenu("audio", "音频", "", "音频设置", "音量、音效和音频后端设置。",
                      std::move(controls));
}

MenuNode buildSystemPage() {
  std::vector<ControlSpec> controls;
  controls.push_back(makeBoolControl("system.loggerEnabled", "记录日志到文件", false,
                                     "将运行日志写入文件，便于排查问题。"));
  ControlSpec scheme = windowsDesktop(
      makeIntegerChoiceControl("input.player2Scheme", "玩家2键位", 0,
                               {integerOption("unspecified", 0, "未指定"),
                                integerOption("zxcv", 1, "ZXCV"), integerOption("wasd", 2, "WASD")}),
      "当前平台不支持实体键盘双人键位方案");
  scheme.applyTiming = ApplyTiming::NextGame;
  scheme.noteText = "新开一局后生效";
  controls.push_back(std::move(scheme));
  return makeLeafMenu("system", "系统", "", "系统设置", "日志与输入偏好。", std::move(controls));
}

MenuNode buildSettingsSchema() {
  MenuNode root;
  root.id = "root";
  root.title = "软件设置";
  root.description = "跨平台统一设置入口";

  MenuNode ai;
  ai.id = "menu.settings.ai";
  ai.title = "AI";
  ai.description = "AI 与引擎相关设置";
  ai.children.push_back(buildAiBasicPage());
  ai.children.push_back(buildAiAdvancedPage());
  ai.children.push_back(buildAiEnginePage());
  root.children.push_back(std::move(ai));

  root.children.push_back(buildAccessibilityPage());
  root.children.push_back(buildAudioPage());
  root.children.push_back(buildSystemPage());
  return root;
}

}  // namespace Tavrune::Settings
