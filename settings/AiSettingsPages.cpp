// The three AI pages of the catalogue: strength and search limits, the engine's own
// options, and the engine in use.
#include "engine/CloudBook.h"
#include "settings/CataloguePieces.h"
#include "settings/ControlFactories.h"
#include "settings/PlatformRestrictions.h"
#include "settings/SettingsCatalogue.h"

namespace Tavrune::Settings {

MenuNode buildAiBasicPage() {
  std::vector<ControlSpec> controls;
  controls.push_back(makeIntegerChoiceControl(
      "ai.difficultyTier", "难度级别", 2,
      {integerOption("beginner", 0, "入门"), integerOption("easy", 1, "简单"),
       integerOption("medium", 2, "中等"), integerOption("hard", 3, "困难"),
       integerOption("expert", 4, "专家 (全力)"), integerOption("custom", 5, "自定义 ELO"),
       integerOption("custom_skill", 6, "自定义等级")},
      "快速切换 AI 强度。"));
  // The label names the host the online book asks, taken from the book's own endpoint so
  // the two cannot drift apart.
  controls.push_back(makeIntegerChoiceControl(
      "ai.openingBookMode", "开局库", 0,
      {integerOption("local", 0, "本地库"),
       integerOption("cloud", 1, "云库 (" + hostOfUrl(CloudBook::SERVICE_URL) + ")"),
       integerOption("disabled", 2, "关闭")},
      "选择开局库数据来源。云库需要联网。"));
  controls.push_back(
      makeIntegerControl("ai.customElo", "自定义 ELO", 1280, 1280, 3133, 1, "精细调整 AI 强度。"));
  controls.push_back(makeIntegerControl("ai.customSkill", "自定义等级", 11, 1, 21, 1,
                                        "按等级调强度，数值越高通常越强。"));
  controls.push_back(makeIntegerChoiceControl(
      "ai.searchLimitMode", "搜索限制模式", 0,
      {integerOption("time", 0, "按时间"), integerOption("depth", 1, "按深度")},
      "选择按时间或按深度停止搜索。"));
  controls.push_back(makeIntegerChoiceControl(
      "ai.timeLimitProfile", "思考时间", 3000,
      {integerOption("fast", 1000, "快棋 (1秒)"), integerOption("normal", 3000, "普通 (3秒)"),
       integerOption("deep", 5000, "深思 (5秒)"), integerOption("long", 10000, "长考 (10秒)"),
       integerOption("custom", -1, "自定义")},
      "限制每步思考时长，时间越长通常越强。"));
  controls.push_back(makeIntegerControl("ai.timeLimit", "自定义思考时间", 3000, 100, 300000, 100,
                                        "仅在“思考时间=自定义”时生效。"));
  controls.push_back(makeIntegerChoiceControl(
      "ai.depthProfile", "搜索深度", 12,
      {integerOption("shallow", 8, "浅层 (8层)"), integerOption("standard", 12, "标准 (12层)"),
       integerOption("deep", 18, "深层 (18层)"), integerOption("unlimited", 0, "无限制"),
       integerOption("custom", -1, "自定义")},
      "限制搜索层数，层数越高通常越强。"));
  controls.push_back(makeIntegerControl("ai.depth", "自定义搜索深度", 12, 0, 245, 1,
                                        "仅在“搜索深度=自定义”时生效。0 表示不限深度。"));
  return makeLeafMenu("ai.basic", "AI 基础设置", "常用的人机强度设置", "AI 基础设置",
                      "常用强度和搜索方式，日常对局先调这里。", std::move(controls));
}

MenuNode buildAiAdvancedPage() {
  std::vector<ControlSpec> controls;
  controls.push_back(makeIntegerControl("ai.threads", "线程数", 0, 0, 128, 1,
                                        "控制并行计算线程，建议先用自动。"));
  controls.push_back(makeIntegerControl("ai.hashSize", "哈希表 (MB)", 256, 1, 8192, 1,
                                        "缓存已算局面，减少重复计算。"));
  controls.push_back(makeBoolControl("ai.ponderEnabled", "预思考 (Ponder)", false,
                                     "对手回合提前思考，通常更强但更耗电。"));
  controls.push_back(
      makeBoolControl("ai.showWDL", "显示 WDL", true, "显示胜/和/负概率，仅影响展示。"));
  controls.push_back(makeIntegerControl("ai.multiPV", "MultiPV", 1, 1, 128, 1,
                                        "同时显示多条候选着法，条数越多单条精度可能下降。"));
  controls.push_back(
      makeTextControl("ai.debugLogFile", "调试日志文件", "", "记录引擎通信日志，仅排错时使用。"));
  controls.push_back(makeTextChoiceControl(
      "ai.numaPolicy", "NUMA 策略", "auto",
      {textOption("auto", "auto", "自动 (auto)"), textOption("system", "system", "系统策略 (system)"),
       textOption("none", "none", "禁用 NUMA (none)"),
       textOption("hardware", "hardware", "按硬件拓扑 (hardware)")},
      "多 CPU 场景参数，普通设备保持自动即可。"));
  controls.push_back(makeIntegerControl("ai.moveOverhead", "走棋延迟补偿 (Move Overhead)", 30, 0,
                                        5000, 1, "给网络和系统延迟留缓冲，网络对局可适当提高。"));
  controls.push_back(makeIntegerControl("ai.nodesTime", "节点时间控制 (nodestime)", 0, 0, 10000, 1,
                                        "按节点数控时，一般保持 0。"));
  controls.push_back(makeIntegerControl("ai.mateThreatDepth", "杀棋威胁深度", 10, 0, 10, 1,
                                        "提高防杀深度，越高计算量越大。"));
  controls.push_back(makeTextChoiceControl(
      "ai.repetitionRule", "重复局面规则", "AsianRule",
      {textOption("asian", "AsianRule", "亚洲规则 (AsianRule)"),
       textOption("chinese", "ChineseRule", "中国规则 (ChineseRule)"),
       textOption("sky", "SkyRule", "云库规则 (SkyRule)"),
       textOption("computer", "ComputerRule", "电脑规则 (ComputerRule)"),
       textOption("yitian", "YitianRule", "倚天规则 (YitianRule)"),
       textOption("allow_chase", "AllowChase", "允许长捉 (AllowChase)"),
       textOption("no_judgement", "NoJudgement", "不做判定 (NoJudgement)")},
      "设置长将/长捉判定，比赛请按赛事规则选择。"));
  controls.push_back(makeTextChoiceControl(
      "ai.drawRule", "和棋规则", "None",
      {textOption("none", "None", "标准和棋 (None)"),
       textOption("draw_black", "DrawAsBlackWin", "和棋判黑胜 (DrawAsBlackWin)"),
       textOption("draw_red", "DrawAsRedWin", "和棋判红胜 (DrawAsRedWin)"),
       textOption("rep_black", "DrawRepAsBlackWin", "重复和棋判黑胜 (DrawRepAsBlackWin)"),
       textOption("rep_red", "DrawRepAsRedWin", "重复和棋判红胜 (DrawRepAsRedWin)")},
      "设置和棋判定方式，普通对局建议保持标准。"));
  controls.push_back(makeBoolControl("ai.sixtyMoveRule", "60 回合自然限招", true,
                                     "开启后按 60 回合无吃子判和。"));
  controls.push_back(makeIntegerControl("ai.rule60MaxPly", "Rule60 最大步数", 120, 1, 150, 1,
                                        "自然限招阈值，120 步对应 60 回合。"));
  controls.push_back(makeTextChoiceControl(
      "ai.scoreType", "分数输出类型", "Elo",
      {textOption("elo", "Elo", "等级分 (Elo)"),
       textOption("pawn", "PawnValueNormalized", "归一化兵值 (PawnValueNormalized)"),
       textOption("raw", "Raw", "原始分数 (Raw)")},
      "只改分数显示单位，不影响引擎强度。"));
  controls.push_back(makeBoolControl("ai.luOutput", "局面合法性输出 (LU_Output)", true,
                                     "输出局面合法性信息，建议开启。"));
  controls.push_back(makeActionControl("ai.clearHash", "清空哈希表 (Clear Hash)",
                                       "立即清空缓存，执行后会重新预热。"));
  return makeLeafMenu("ai.advanced", "AI 高级", "进阶引擎参数，改前建议先了解含义。", "AI 高级设置",
                      "影响引擎行为的进阶选项。", std::move(controls));
}

MenuNode buildAiEnginePage() {
  // The first six rows hold placeholders until the dialog fills in the engine's live state.
  std::vector<ControlSpec> controls;
  controls.push_back(makeInfoControl("ai.engineStatus", "引擎状态", "未知"));
  controls.push_back(makeInfoControl("ai.engineVersionInfo", "引擎版本", ""));
  controls.push_back(makeInfoControl("ai.engineRestartCount", "重启次数", "0"));
  controls.push_back(makeInfoControl("ai.engineParamsSummary", "引擎实际参数", ""));
  controls.push_back(makeInfoControl("ai.configConsistency", "配置一致性", ""));
  controls.push_back(makeInfoControl("ai.uciOptionCount", "UCI 选项数", "0"));

  ControlSpec autoSelect = makeBoolControl("ai.autoSelectEngine", "自动选择最优引擎", true);
  restrictToWindowsDesktop(&autoSelect, "Android 端使用内置引擎，不支持手动引擎选择策略");
  controls.push_back(std::move(autoSelect));

  ControlSpec selectDialog =
      makeActionControl("ai.engineSelectDialog", "选择引擎变体...", "打开专用引擎选择页面");
  showOnlyOnWindows(&selectDialog, "Android 端不支持手动引擎变体");
  controls.push_back(std::move(selectDialog));

  ControlSpec unsupportedNote = makeInfoControl("ai.engineSelectUnsupportedNote", "平台提示",
                                                "当前平台使用内置引擎，暂不支持手动变体选择。");
  restrictToAndroid(&unsupportedNote, "仅 Android 需要显示平台提示");
  controls.push_back(std::move(unsupportedNote));

  ControlSpec variant = makeTextControl("ai.engineVariant", "当前引擎变体", "auto");
  restrictToWindowsDesktop(&variant, "Android 端不支持手动引擎变体");
  variant.noteText = "请使用“选择引擎变体”按钮";
  controls.push_back(std::move(variant));

  ControlSpec path = makeTextControl("ai.enginePath", "当前引擎路径", "engines\\pikafish.exe");
  restrictToWindowsDesktop(&path, "Android 端不支持手动引擎路径");
  path.noteText = "请使用“选择引擎变体”按钮";
  controls.push_back(std::move(path));

  return makeLeafMenu("ai.engine", "引擎", "", "引擎设置", "查看和切换引擎相关信息。",
                      std::move(controls));
}

}  // namespace Tavrune::Settings
