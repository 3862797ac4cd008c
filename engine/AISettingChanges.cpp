// The AI's settings: each kept within its limits, remembered for the next engine and
// passed to the running one; difficulty waits for an idle engine.
#include "engine/AI.h"

#include <algorithm>

#include "core/Log.h"

namespace Tavrune {

namespace {

constexpr int32_t MIN_CUSTOM_ELO = 1280;
constexpr int32_t MAX_CUSTOM_ELO = 3133;
constexpr int32_t MIN_CUSTOM_SKILL = 1;
constexpr int32_t MAX_CUSTOM_SKILL = 21;
constexpr int32_t MIN_TIME_LIMIT_MS = 100;
constexpr int32_t MAX_TIME_LIMIT_MS = 300000;
constexpr int32_t MAX_DEPTH = 245;

const char* enabledText(bool on) { return on ? "enabled" : "disabled"; }

}  // namespace

void AI::sendDifficulty(UCCIEngine& target, int32_t tier, int32_t elo, int32_t skill) {
  if (tier == TIER_CUSTOM_ELO) {
    target.setCustomElo(elo);
  } else if (tier == TIER_CUSTOM_SKILL) {
    target.setCustomSkill(skill);
  } else {
    target.setDifficulty(tier);
  }
}

bool AI::heldByInitialOptions(const UCCIEngine& target, const AISettings& values) {
  // A UCI engine was given the level it recorded with its initial options; only a
  // change since then needs sending.
  if (target.getProtocol() != EngineProtocol::UCI) return false;
  const EngineSettings held = target.getSettings();
  if (held.difficultyTier != values.difficultyTier) return false;
  if (values.difficultyTier == TIER_CUSTOM_ELO) return held.customElo == values.customElo;
  if (values.difficultyTier == TIER_CUSTOM_SKILL) return held.customSkill == values.customSkill;
  return true;
}

void AI::applyDifficulty(const std::string& pendingText) {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return;
  const UCCIEngine::EngineState state = current->getState();
  AISettings values;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    values = settings;
    pendingDifficulty = state != UCCIEngine::IDLE;
  }
  if (state == UCCIEngine::IDLE) {
    sendDifficulty(*current, values.difficultyTier, values.customElo, values.customSkill);
  } else if (isRunningState(state)) {
    logInfo(pendingText);
  }
}

void AI::setDifficultyTier(int32_t tier) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.difficultyTier = tier;
  }
  applyDifficulty("AI: Engine is thinking, difficulty will be applied after current search");
  logInfo("AI: Difficulty tier set to " + std::to_string(tier));
}

void AI::setCustomElo(int32_t elo) {
  elo = std::clamp(elo, MIN_CUSTOM_ELO, MAX_CUSTOM_ELO);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.customElo = elo;
    settings.difficultyTier = TIER_CUSTOM_ELO;
  }
  applyDifficulty("AI: Engine is thinking, custom ELO will be applied after current search");
  logInfo("AI: Custom ELO set to " + std::to_string(elo));
}

void AI::setCustomSkill(int32_t skill) {
  skill = std::clamp(skill, MIN_CUSTOM_SKILL, MAX_CUSTOM_SKILL);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.customSkill = skill;
    settings.difficultyTier = TIER_CUSTOM_SKILL;
  }
  applyDifficulty("AI: Engine is thinking, custom skill will be applied after current search");
  logInfo("AI: Custom skill level set to " + std::to_string(skill));
}

void AI::setSearchLimitMode(int32_t mode) {
  const int32_t stored = mode == SEARCH_BY_DEPTH ? SEARCH_BY_DEPTH : SEARCH_BY_TIME;
  AISettings values;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.searchLimitMode = stored;
    values = settings;
  }
  // The engine searches by the limits it holds: switching the mode alone must change them.
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) {
    current->setMovetime(values.timeLimit);
    current->setDepth(stored == SEARCH_BY_DEPTH ? values.depth : 0);
  }
  logInfo("AI: Search limit mode set to " + std::to_string(stored) +
          (stored == SEARCH_BY_DEPTH ? " (depth)" : " (time)"));
}

void AI::setTimeLimit(int32_t milliseconds) {
  milliseconds = std::clamp(milliseconds, MIN_TIME_LIMIT_MS, MAX_TIME_LIMIT_MS);
  int32_t mode = SEARCH_BY_TIME;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.timeLimit = milliseconds;
    mode = settings.searchLimitMode;
  }
  const std::string ms = std::to_string(milliseconds);
  if (mode == SEARCH_BY_DEPTH) {
    logInfo("AI: Time limit saved: " + ms + "ms (ignored in depth mode)");
    return;
  }
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) {
    logInfo("AI: Time limit saved: " + ms + "ms (engine not ready)");
    return;
  }
  current->setMovetime(milliseconds);
  current->setDepth(0);
  logInfo("AI: Time limit applied to engine params: " + ms + "ms (time mode)");
}

void AI::setDepth(int32_t depth) {
  depth = std::clamp(depth, 0, MAX_DEPTH);
  int32_t mode = SEARCH_BY_TIME;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.depth = depth;
    mode = settings.searchLimitMode;
  }
  const std::string text = std::to_string(depth);
  if (mode == SEARCH_BY_TIME) {
    logInfo("AI: Depth saved: " + text + " (ignored in time mode)");
    return;
  }
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) {
    logInfo("AI: Depth saved: " + text + " (engine not ready)");
    return;
  }
  current->setDepth(depth);
  logInfo("AI: Depth applied to engine params: " + text + " (depth mode)");
}

void AI::setThreads(int32_t count) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.threads = count;
  }
  // A busy engine gets the value at its next start.
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::IDLE) {
    current->setThreads(count);
  }
  logInfo("AI: Threads set to " + std::to_string(count));
}

void AI::setHash(int32_t megabytes) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.hashSize = megabytes;
  }
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::IDLE) {
    current->setHash(megabytes);
  }
  logInfo("AI: Hash set to " + std::to_string(megabytes) + "MB");
}

void AI::setPonderEnabled(bool enabled) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.ponderEnabled = enabled;
  }
  // The driver only records it (it decides whether to ponder), whatever its state.
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->setPonder(enabled);
  logInfo(std::string("AI: Ponder ") + enabledText(enabled));
}

void AI::setShowWDL(bool show) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.showWDL = show;
  }
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->setShowWDL(show);
  logInfo(std::string("AI: ShowWDL ") + enabledText(show));
}

void AI::setMultiPV(int32_t lines) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.multiPV = lines;
  }
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->setMultiPV(lines);
  logInfo("AI: MultiPV set to " + std::to_string(lines));
}

void AI::setOpeningBookMode(int32_t mode) {
  if (mode < BOOK_LOCAL_FIRST || mode > BOOK_ENGINE_ONLY) {
    logWarning("AI::setOpeningBookMode: invalid mode, fallback to LOCAL");
    mode = BOOK_LOCAL_FIRST;
  }
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.openingBookMode = mode;
  }
  logInfo("AI: Opening book mode set to " + std::to_string(mode));
}

template <typename Field, typename Argument>
void AI::forwardSetting(Field AISettings::*field, void (UCCIEngine::*setter)(Argument), const Field& value) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.*field = value;
  }
  // The engine keeps the value inside its limits and sends it when it can.
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) ((*current).*setter)(value);
}

void AI::setDebugLogFile(const std::string& path) {
  forwardSetting(&AISettings::debugLogFile, &UCCIEngine::setDebugLogFile, path);
}
void AI::setNumaPolicy(const std::string& policy) {
  forwardSetting(&AISettings::numaPolicy, &UCCIEngine::setNumaPolicy, policy);
}
void AI::setMoveOverhead(int32_t ms) {
  forwardSetting(&AISettings::moveOverhead, &UCCIEngine::setMoveOverhead, ms);
}
void AI::setNodesTime(int32_t nodes) {
  forwardSetting(&AISettings::nodesTime, &UCCIEngine::setNodesTime, nodes);
}
void AI::setMateThreatDepth(int32_t depth) {
  forwardSetting(&AISettings::mateThreatDepth, &UCCIEngine::setMateThreatDepth, depth);
}
void AI::setRepetitionRule(const std::string& rule) {
  forwardSetting(&AISettings::repetitionRule, &UCCIEngine::setRepetitionRule, rule);
}
void AI::setDrawRule(const std::string& rule) {
  forwardSetting(&AISettings::drawRule, &UCCIEngine::setDrawRule, rule);
}
void AI::setSixtyMoveRule(bool enabled) {
  forwardSetting(&AISettings::sixtyMoveRule, &UCCIEngine::setSixtyMoveRule, enabled);
}
void AI::setRule60MaxPly(int32_t plies) {
  forwardSetting(&AISettings::rule60MaxPly, &UCCIEngine::setRule60MaxPly, plies);
}
void AI::setScoreType(const std::string& type) {
  forwardSetting(&AISettings::scoreType, &UCCIEngine::setScoreType, type);
}
void AI::setLuOutput(bool enabled) {
  forwardSetting(&AISettings::luOutput, &UCCIEngine::setLuOutput, enabled);
}

}  // namespace Tavrune
