// The engine driver's options: each value kept within what the engine declared, the
// options sent at start, difficulty and the setters of every engine setting.
#include "engine/UCCIEngine.h"

#include <algorithm>
#include <limits>

#include "core/Log.h"
#include "engine/EngineLineParser.h"

namespace Tavrune {

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

const char* boolText(bool value) { return value ? "true" : "false"; }

}  // namespace

std::optional<std::string> UCCIEngine::sendOption(const std::string& name, const std::string& value) {
  std::optional<EngineOption> declared = getOption(name);
  if (!declared) {
    logWarning("UCCIEngine: Engine does not support option: " + name + ", skipping");
    return std::nullopt;
  }
  std::string sent = value;
  switch (declared->type) {
    case OPTION_SPIN: {
      int64_t number = 0;
      if (!EngineLineParser::parseInteger(value, number)) {
        logWarning("UCCIEngine: Option " + name + " takes a number, not " + loggedLine(value) + ", skipping");
        return std::nullopt;
      }
      // Only the limits the engine declared readably hold; crossed ones are no range.
      const int64_t low = declared->hasMin ? declared->min : std::numeric_limits<int64_t>::min();
      const int64_t high = declared->hasMax ? declared->max : std::numeric_limits<int64_t>::max();
      if (low <= high) {
        const int64_t clamped = std::clamp<int64_t>(number, low, high);
        if (clamped != number) {
          logWarning("UCCIEngine: Option " + name + " value " + value + " kept inside " +
                     (declared->hasMin ? std::to_string(low) : "") + ".." +
                     (declared->hasMax ? std::to_string(high) : "") + ": " + std::to_string(clamped));
        }
        number = clamped;
      }
      sent = std::to_string(number);
      break;
    }
    case OPTION_CHECK:
      if (value != "true" && value != "false") {
        logWarning("UCCIEngine: Option " + name + " takes true or false, not " + loggedLine(value) + ", skipping");
        return std::nullopt;
      }
      break;
    case OPTION_COMBO:
      if (!declared->choices.empty()) {
        auto choice = std::find_if(declared->choices.begin(), declared->choices.end(),
                                   [&](const std::string& c) { return equalsIgnoringCase(c, value); });
        if (choice == declared->choices.end()) {
          logWarning("UCCIEngine: Option " + name + " does not offer " + loggedLine(value) + ", skipping");
          return std::nullopt;
        }
        sent = *choice;
      }
      break;
    case OPTION_BUTTON:
      // A button takes no value: the engine meant something else by this name.
      logWarning("UCCIEngine: Option " + name + " is declared as a button, not a value; not used");
      return std::nullopt;
    default:
      break;
  }
  if (!sendCommand("setoption name " + name + " value " + sent)) return std::nullopt;
  return sent;
}

std::optional<int32_t> UCCIEngine::sendNumberOption(const std::string& name, int value) {
  std::optional<std::string> sent = sendOption(name, std::to_string(value));
  if (!sent) return std::nullopt;
  // The value as the engine took it, kept inside its declared range.
  int64_t number = 0;
  if (!EngineLineParser::parseInteger(*sent, number) || number < INT32_MIN || number > INT32_MAX) {
    logWarning("UCCIEngine: Option " + name + " took " + loggedLine(*sent) + ", not a number");
    return std::nullopt;
  }
  return static_cast<int32_t>(number);
}

bool UCCIEngine::setOption(const std::string& name, const std::string& value) {
  return sendOption(name, value).has_value();
}

void UCCIEngine::sendInitialOptions() {
  EngineSettings s = getSettings();
  if (!s.evalFile.empty() && hasOption("EvalFile") && sendOption("EvalFile", s.evalFile)) {
    logInfo("UCCIEngine: Applied EvalFile = " + s.evalFile);
  }
  if (!s.debugLogFile.empty() && hasOption("Debug Log File")) sendOption("Debug Log File", s.debugLogFile);
  if (!s.numaPolicy.empty() && hasOption("NumaPolicy")) sendOption("NumaPolicy", s.numaPolicy);

  const int threads = s.threads >= 1 ? s.threads : automaticThreadCount(std::thread::hardware_concurrency());
  if (std::optional<int32_t> sent = sendNumberOption("Threads", threads)) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      settings.appliedThreads = *sent;
    }
    logInfo("UCCIEngine: Applied Threads = " + std::to_string(*sent));
  }
  if (s.hashSize >= 1) {
    if (std::optional<int32_t> sent = sendNumberOption("Hash", s.hashSize)) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        settings.appliedHash = *sent;
      }
      logInfo("UCCIEngine: Applied Hash = " + std::to_string(*sent) + "MB");
    }
  }
  sendOption("Ponder", boolText(s.ponder));

  const std::pair<const char*, std::string> ruleOptions[] = {
      {"Move Overhead", std::to_string(s.moveOverhead)},
      {"nodestime", std::to_string(s.nodesTime)},
      {"Mate Threat Depth", std::to_string(s.mateThreatDepth)},
      {"Repetition Rule", s.repetitionRule},
      {"Draw Rule", s.drawRule},
      {"Sixty Move Rule", boolText(s.sixtyMoveRule)},
      {"Rule60MaxPly", std::to_string(s.rule60MaxPly)},
      {"ScoreType", s.scoreType},
      {"LU_Output", boolText(s.luOutput)},
      {"UCI_ShowWDL", boolText(s.showWDL)},
  };
  for (const auto& [name, value] : ruleOptions) {
    if (hasOption(name)) sendOption(name, value);
  }
  setDifficulty(s.difficultyTier);
  if (s.multiPV >= 2) sendOption("MultiPV", std::to_string(s.multiPV));
}

void UCCIEngine::setImmediateOption(const std::string& name, const std::string& value) {
  int readyMs = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE || options.count(name) == 0) return;
    readyMs = static_cast<int>(timeouts.ready.count());
  }
  if (sendOption(name, value)) waitForReady(readyMs);
}

void UCCIEngine::clearHash() {
  int readyMs = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE || options.count("Clear Hash") == 0) return;
    readyMs = static_cast<int>(timeouts.ready.count());
  }
  if (sendCommand("setoption name Clear Hash")) waitForReady(readyMs);
}

void UCCIEngine::setDifficulty(int tier) {
  DifficultyPlan plan;
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.difficultyTier = tier;
    plan = DifficultyStrategy::plan(protocol, options, tier, settings.customElo, settings.customSkill);
    if (plan.depthLimit) settings.depthLimit = *plan.depthLimit;
  }
  logInfo("UCCIEngine::setDifficulty called with tier=" + std::to_string(tier));
  if (!plan.command.empty()) sendCommand(plan.command);
  for (const DifficultyPlan::OptionValue& option : plan.options) sendOption(option.name, option.value);
  for (const std::string& line : plan.logLines) logInfo(line);
}

int UCCIEngine::automaticThreadCount(unsigned hardwareThreads) {
  if (hardwareThreads < 4) return 1;
  return static_cast<int>(std::min(hardwareThreads / 4, 4u));
}

void UCCIEngine::setMovetime(int ms) {
  std::lock_guard<std::mutex> lock(mutex);
  settings.movetime = ms;
}

void UCCIEngine::setDepth(int depth) {
  std::lock_guard<std::mutex> lock(mutex);
  settings.depth = depth;
}

void UCCIEngine::setCustomElo(int elo) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.customElo = elo;
  }
  setDifficulty(TIER_CUSTOM_ELO);
}

void UCCIEngine::setCustomSkill(int level) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.customSkill = DifficultyStrategy::clampCustomSkill(level);
  }
  setDifficulty(TIER_CUSTOM_SKILL);
}

void UCCIEngine::setThreads(int count) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.threads = count;
  }
  logInfo("UCCIEngine: Threads set to " + std::to_string(count) + (count < 1 ? " (auto)" : ""));
  const int value = count >= 1 ? count : automaticThreadCount(std::thread::hardware_concurrency());
  applyRuntimeOption("Threads", value, &EngineSettings::appliedThreads, "");
}

void UCCIEngine::setHash(int mb) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.hashSize = mb;
  }
  logInfo("UCCIEngine: Hash set to " + std::to_string(mb) + "MB");
  if (mb >= 1) applyRuntimeOption("Hash", mb, &EngineSettings::appliedHash, "MB");
}

void UCCIEngine::applyRuntimeOption(const std::string& name, int value, int32_t EngineSettings::*applied,
                                    const std::string& unit) {
  int readyMs = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE) return;
    if (value == settings.*applied) {
      logInfo("UCCIEngine: " + name + " unchanged (" + std::to_string(value) + unit + "), skipping");
      return;
    }
    readyMs = static_cast<int>(timeouts.ready.count());
  }
  if (std::optional<int32_t> sent = sendNumberOption(name, value)) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      settings.*applied = *sent;
    }
    logInfo("UCCIEngine: Applied " + name + " = " + std::to_string(*sent) + unit + " (runtime)");
    waitForReady(readyMs);
  }
}

void UCCIEngine::setPonder(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.ponder = on;
  }
  logInfo(std::string("UCCIEngine: Ponder ") + (on ? "enabled" : "disabled"));
}

void UCCIEngine::setShowWDL(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.showWDL = on;
  }
  logInfo(std::string("UCCIEngine: ShowWDL ") + (on ? "enabled" : "disabled"));
}

void UCCIEngine::setMultiPV(int count) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.multiPV = count;
  }
  logInfo("UCCIEngine: MultiPV set to " + std::to_string(count));
}

void UCCIEngine::setEvalFile(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.evalFile = path;
  }
  logInfo("UCCIEngine: EvalFile path set to " + path);
}

void UCCIEngine::setDebugLogFile(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.debugLogFile = path;
  }
  setImmediateOption("Debug Log File", path);
}

void UCCIEngine::setNumaPolicy(const std::string& policy) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.numaPolicy = policy;
  }
  setImmediateOption("NumaPolicy", policy);
}

void UCCIEngine::setMoveOverhead(int ms) {
  const int value = std::clamp(ms, 0, 5000);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.moveOverhead = value;
  }
  setImmediateOption("Move Overhead", std::to_string(value));
}

void UCCIEngine::setNodesTime(int nodes) {
  const int value = std::clamp(nodes, 0, 10000);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.nodesTime = value;
  }
  setImmediateOption("nodestime", std::to_string(value));
}

void UCCIEngine::setMateThreatDepth(int depth) {
  const int value = std::clamp(depth, 0, 10);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.mateThreatDepth = value;
  }
  setImmediateOption("Mate Threat Depth", std::to_string(value));
}

void UCCIEngine::setRepetitionRule(const std::string& rule) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.repetitionRule = rule;
  }
  setImmediateOption("Repetition Rule", rule);
}

void UCCIEngine::setDrawRule(const std::string& rule) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.drawRule = rule;
  }
  setImmediateOption("Draw Rule", rule);
}

void UCCIEngine::setSixtyMoveRule(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.sixtyMoveRule = on;
  }
  setImmediateOption("Sixty Move Rule", boolText(on));
}

void UCCIEngine::setRule60MaxPly(int plies) {
  const int value = std::clamp(plies, 1, 150);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.rule60MaxPly = value;
  }
  setImmediateOption("Rule60MaxPly", std::to_string(value));
}

void UCCIEngine::setScoreType(const std::string& type) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.scoreType = type;
  }
  setImmediateOption("ScoreType", type);
}

void UCCIEngine::setLuOutput(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.luOutput = on;
  }
  setImmediateOption("LU_Output", boolText(on));
}

}  // namespace Tavrune
