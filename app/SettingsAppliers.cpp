#include "app/SettingsAppliers.h"

#include <algorithm>

#include "accessibility/AccessibilityManager.h"
#include "app/IEngineFrontEnd.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "engine/BestBundledEngine.h"
#include "settings/ConfigKeyTable.h"

namespace Tavrune {

using Settings::ApplyResult;
using Settings::CallbackActionExecutor;
using Settings::SettingValue;

namespace {

bool isTimePreset(int ms) { return ms == 1000 || ms == 3000 || ms == 5000 || ms == 10000; }
bool isDepthPreset(int depth) { return depth == 0 || depth == 8 || depth == 12 || depth == 18; }

void call(const std::function<void()>& operation) {
  if (operation) operation();
}

void registerEngineAppliers(CallbackActionExecutor& executor, const SettingsTargets& t) {
  EngineSettingsMirror& m = *t.engineSettings;
  IEngineFrontEnd& engine = *t.engine;

  registerIntApplier(executor, "ai.difficultyTier", [&m, &engine](int tier) {
    m.difficultyTier = tier;
    if (tier == 5 && m.customElo > 0) {
      engine.setCustomElo(m.customElo);
    } else if (tier != 6) {
      engine.setDifficultyTier(tier);
    } else {
      engine.setCustomSkill(m.customSkill);
    }
  });
  registerIntApplier(executor, "ai.customElo", [&m, &engine](int elo) {
    m.customElo = elo;
    if (m.difficultyTier == 5 && elo >= 1) engine.setCustomElo(elo);
  });
  registerIntApplier(executor, "ai.customSkill", [&m, &engine](int skill) {
    m.customSkill = std::clamp(skill, 1, 21);
    if (m.difficultyTier == 6) engine.setCustomSkill(m.customSkill);
  });
  registerIntApplier(executor, "ai.timeLimit", [&m, &engine](int ms) {
    m.timeLimit = ms;
    engine.setTimeLimit(ms);
  });
  registerIntApplier(executor, "ai.timeLimitProfile", [&m, &engine](int ms) {
    if (!isTimePreset(ms)) return;  // the custom choice keeps the custom limit
    m.timeLimit = ms;
    engine.setTimeLimit(ms);
  });
  registerIntApplier(executor, "ai.depth", [&m, &engine](int depth) {
    m.depth = depth;
    engine.setDepth(depth);
  });
  registerIntApplier(executor, "ai.depthProfile", [&m, &engine](int depth) {
    if (!isDepthPreset(depth)) return;
    m.depth = depth;
    engine.setDepth(depth);
  });
  // Only the mode changes: the engine front end re-sends the limits it holds for the
  // new mode, so neither limit is lost when the user switches back later.
  registerIntApplier(executor, "ai.searchLimitMode", [&m, &engine](int mode) {
    m.searchLimitMode = mode == 1 ? 1 : 0;
    engine.setSearchLimitMode(m.searchLimitMode);
  });
  registerIntApplier(executor, "ai.threads", [&m, &engine](int v) { m.threads = v, engine.setThreads(v); });
  registerIntApplier(executor, "ai.hashSize", [&m, &engine](int v) { m.hashSize = v, engine.setHash(v); });
  registerBoolApplier(executor, "ai.ponderEnabled",
                      [&m, &engine](bool v) { m.ponderEnabled = v, engine.setPonderEnabled(v); });
  registerBoolApplier(executor, "ai.showWDL", [&m, &engine](bool v) { m.showWDL = v, engine.setShowWDL(v); });
  registerIntApplier(executor, "ai.multiPV", [&m, &engine](int v) { m.multiPV = v, engine.setMultiPV(v); });
  registerTextApplier(executor, "ai.debugLogFile",
                      [&m, &engine](const std::string& v) { m.debugLogFile = v, engine.setDebugLogFile(v); });
  registerTextApplier(executor, "ai.numaPolicy",
                      [&m, &engine](const std::string& v) { m.numaPolicy = v, engine.setNumaPolicy(v); });
  registerIntApplier(executor, "ai.moveOverhead",
                     [&m, &engine](int v) { m.moveOverhead = v, engine.setMoveOverhead(v); });
  registerIntApplier(executor, "ai.nodesTime", [&m, &engine](int v) { m.nodesTime = v, engine.setNodesTime(v); });
  registerIntApplier(executor, "ai.mateThreatDepth",
                     [&m, &engine](int v) { m.mateThreatDepth = v, engine.setMateThreatDepth(v); });
  registerTextApplier(executor, "ai.repetitionRule",
                      [&m, &engine](const std::string& v) { m.repetitionRule = v, engine.setRepetitionRule(v); });
  registerTextApplier(executor, "ai.drawRule",
                      [&m, &engine](const std::string& v) { m.drawRule = v, engine.setDrawRule(v); });
  registerBoolApplier(executor, "ai.sixtyMoveRule",
                      [&m, &engine](bool v) { m.sixtyMoveRule = v, engine.setSixtyMoveRule(v); });
  registerIntApplier(executor, "ai.rule60MaxPly",
                     [&m, &engine](int v) { m.rule60MaxPly = v, engine.setRule60MaxPly(v); });
  registerTextApplier(executor, "ai.scoreType",
                      [&m, &engine](const std::string& v) { m.scoreType = v, engine.setScoreType(v); });
  registerBoolApplier(executor, "ai.luOutput", [&m, &engine](bool v) { m.luOutput = v, engine.setLuOutput(v); });
  registerIntApplier(executor, "ai.openingBookMode", [&m, &engine](int mode) {
    m.openingBookMode = std::clamp(mode, 0, 2);
    engine.setOpeningBookMode(m.openingBookMode);
  });
  executor.registerApplier("ai.clearHash", [&engine](const SettingValue&) -> ApplyResult {
    engine.clearHash();
    return {};
  });
  std::string& enginePath = *t.enginePath;
  registerTextApplier(executor, "ai.enginePath", [&enginePath, &engine](const std::string& path) {
    enginePath = path;
    engine.setEnginePath(path);
  });
  registerBoolApplier(executor, "ai.autoSelectEngine", [&enginePath, &engine](bool automatic) {
    if (!automatic) return;
    const BundledEngineChoice best = bestBundledEngine();
    enginePath = best.path;  // the same path as at start-up
    engine.setEnginePath(enginePath);
    logInfo("[SoftwareSettings] Auto-selected engine: " + best.variant.fileName);
  });
}

void registerWindowAppliers(CallbackActionExecutor& executor, const SettingsTargets& t) {
  registerBoolApplier(executor, "system.loggerEnabled", [system = t.systemConfig](bool on) {
    system->loggerEnabled = on;
    setDebugLogEnabled(on);  // the first switch-on of the process writes the banner
  });
  registerIntApplier(executor, "input.player2Scheme", [scheme = t.player2Scheme](int value) {
    *scheme = value == 1 || value == 2 ? value : 0;
    static const char* const names[] = {"UNSPECIFIED", "ZXCV", "WASD"};
    logInfo(std::string("Player2 key scheme (settings panel): ") + names[*scheme]);
  });

  AccessibilityConfig& a = *t.a11yConfig;
  registerBoolApplier(executor, "a11y.professionalNotation", [&a, update = t.updateMenuState](bool v) {
    a.professionalNotation = v;
    call(update);  // the menu's check mark
  });
  registerBoolApplier(executor, "a11y.liftOrSelectReadPieceName", [&a](bool v) { a.liftOrSelectReadPieceName = v; });
  registerBoolApplier(executor, "a11y.windowsReadLineHotkeysEnabled",
                      [&a](bool v) { a.windowsReadLineHotkeysEnabled = v; });
  registerBoolApplier(executor, "a11y.windowsReadLineAllEmptyShortcutEnabled",
                      [&a](bool v) { a.windowsReadLineAllEmptyShortcutEnabled = v; });
  registerBoolApplier(executor, "a11y.windowsUiaProviderEnabled", [&a, manager = t.accessibility](bool v) {
    if (!manager) {
      a.windowsUiaProviderEnabled = v;
      return;
    }
    manager->setUiaProviderEnabled(v);
    a.windowsUiaProviderEnabled = manager->isUiaEnabled();  // off below Windows 10
  });

  // Notation entry keeps its own copy of the keypad switches: each change goes on to it,
  // which also arms or stops the entry's time-out timer.
  const std::function<void()> notation = t.applyNotationSettings;
  registerBoolApplier(executor, "a11y.windowsNumpadNotationInputEnabled",
                      [&a, notation, reset = t.resetNotationInput](bool v) {
                        a.windowsNumpadNotationInputEnabled = v;
                        if (!v) call(reset);
                        call(notation);
                      });
  registerBoolApplier(executor, "a11y.windowsMainKeyboardNotationInputEnabled", [&a, notation](bool v) {
    a.windowsMainKeyboardNotationInputEnabled = v;
    call(notation);
  });
  registerBoolApplier(executor, "a11y.windowsNumpadFrontBackAlias82Enabled", [&a, notation](bool v) {
    a.windowsNumpadFrontBackAlias82Enabled = v;
    call(notation);
  });
  registerIntApplier(executor, "a11y.windowsNumpadInputTimeoutMs", [&a, notation](int ms) {
    a.windowsNumpadInputTimeoutMs = std::clamp(ms, 0, 10000);
    call(notation);
  });
}

void registerAudioAppliers(CallbackActionExecutor& executor, const SettingsTargets& t) {
  AudioConfig& c = *t.audioConfig;
  AudioManager* audio = t.audio;
  const auto running = [audio] { return audio && audio->isInitialized(); };
  const auto pushAll = [&c, audio, running] {
    if (running()) pushAudioSettings(*audio, c);
  };
  const auto volume = [](int percent) { return Settings::ConfigKeyTable::percentToVolume(percent); };

  // Nothing may play while the switch is off, the music included; switched back on, the
  // manager brings back the music a game still wants, and a game that began silent gets
  // its audio started.
  registerBoolApplier(executor, "audio.enabled", [&c, audio, switchedOn = t.soundSwitchedOn](bool on) {
    c.enabled = on;
    if (!audio) return;
    audio->setEnabled(on);
    if (on) call(switchedOn);
  });
  registerBoolApplier(executor, "audio.gameSfxEnabled", [&c, audio](bool on) {
    c.gameSfxEnabled = on;
    if (audio) audio->setGameSfxEnabled(on);
  });
  registerBoolApplier(executor, "audio.backgroundMusicEnabled", [&c, audio](bool on) {
    c.backgroundMusicEnabled = on;
    if (audio) audio->setBackgroundMusicEnabled(on);
  });
  registerIntApplier(executor, "audio.masterVolumePercent", [&c, audio, running, volume](int p) {
    c.masterVolume = volume(p);
    if (running()) audio->setMasterVolume(c.masterVolume);
  });
  registerIntApplier(executor, "audio.gameSfxVolumePercent", [&c, pushAll, volume](int p) {
    c.gameSfxVolume = volume(p);
    pushAll();
  });
  registerIntApplier(executor, "audio.backgroundVolumePercent", [&c, audio, running, volume](int p) {
    c.backgroundVolume = volume(p);
    if (running()) audio->setBackgroundVolume(c.backgroundVolume);
  });
  registerTextApplier(executor, "audio.backendType", [&c, pushAll](const std::string& v) {
    c.backendType = v;
    pushAll();
  });
  registerBoolApplier(executor, "audio.hrtfEnabled", [&c, pushAll](bool v) {
    c.hrtfEnabled = v;
    pushAll();
  });
  registerTextApplier(executor, "audio.hrtfPreferred", [&c, pushAll](const std::string& v) {
    c.hrtfPreferred = v;
    pushAll();
  });
}

}  // namespace

void registerSettingsAppliers(CallbackActionExecutor& executor, const SettingsTargets& targets) {
  if (targets.engine) registerEngineAppliers(executor, targets);
  registerWindowAppliers(executor, targets);
  registerAudioAppliers(executor, targets);
}

void fillEngineInfoRows(Settings::Provider& provider, const IEngineFrontEnd& engine) {
  provider.setDraftValue("ai.engineStatus", engine.getEngineStateText(), nullptr);
  provider.setDraftValue("ai.engineVersionInfo", engine.getEngineName(), nullptr);
  provider.setDraftValue("ai.engineRestartCount", std::to_string(engine.getRestartAttempts()), nullptr);
  provider.setDraftValue("ai.engineParamsSummary", engine.getEngineParamsText(), nullptr);
  provider.setDraftValue("ai.configConsistency", engine.verifyEngineOptions(), nullptr);
  provider.setDraftValue("ai.uciOptionCount", std::to_string(engine.getEngineOptionCount()) + " 个 UCI 选项",
                         nullptr);
}

void pushAudioSettings(AudioManager& audio, const AudioConfig& c) {
  audio.applySettings(c.masterVolume, c.boardScaleX, c.boardScaleY, c.listenerHeight, c.gameSfxVolume,
                      c.backgroundVolume, c.gameSfxEnabled, c.backgroundMusicEnabled, c.enable3D, c.backendType,
                      c.hrtfEnabled, c.hrtfPreferred, c.forceAccessibilityChannel);
}

}  // namespace Tavrune
