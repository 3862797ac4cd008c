// The engine driver's queries and the texts it gives the settings dialog.
#include "engine/UCCIEngine.h"

#include <vector>

namespace Tavrune {

UCCIEngine::EngineState UCCIEngine::getState() const {
  std::lock_guard<std::mutex> lock(mutex);
  return state;
}

EngineProtocol UCCIEngine::getProtocol() const {
  std::lock_guard<std::mutex> lock(mutex);
  return protocol;
}

std::string UCCIEngine::getEngineName() const {
  std::lock_guard<std::mutex> lock(mutex);
  return engineName;
}

std::string UCCIEngine::getEngineAuthor() const {
  std::lock_guard<std::mutex> lock(mutex);
  return engineAuthor;
}

std::string UCCIEngine::getPonderMove() const {
  std::lock_guard<std::mutex> lock(mutex);
  return ponderMove;
}

int UCCIEngine::getOptionCount() const {
  std::lock_guard<std::mutex> lock(mutex);
  return static_cast<int>(options.size());
}

bool UCCIEngine::hasOption(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex);
  return options.count(name) != 0;
}

bool UCCIEngine::hasEloOptions() const {
  std::lock_guard<std::mutex> lock(mutex);
  const auto elo = options.find("UCI_Elo");
  return options.count("UCI_LimitStrength") != 0 && elo != options.end() && elo->second.hasRange();
}

int UCCIEngine::getEloMin() const {
  std::lock_guard<std::mutex> lock(mutex);
  auto it = options.find("UCI_Elo");
  return it == options.end() ? 0 : it->second.min;
}

int UCCIEngine::getEloMax() const {
  std::lock_guard<std::mutex> lock(mutex);
  auto it = options.find("UCI_Elo");
  return it == options.end() ? 0 : it->second.max;
}

std::optional<EngineOption> UCCIEngine::getOption(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex);
  auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second;
}

EngineSettings UCCIEngine::getSettings() const {
  std::lock_guard<std::mutex> lock(mutex);
  return settings;
}

// ---------------------------------------------------------------------------------
// Texts for the settings dialog

std::string UCCIEngine::getStatusText() const {
  std::lock_guard<std::mutex> lock(mutex);
  // A failed engine holds no options: its numbers would only look like a weak engine's.
  if (state == NOT_STARTED || state == ERROR_STATE) return "引擎未运行";
  if (state == INITIALIZING) return "初始化中...";
  return "Threads=" + std::to_string(settings.appliedThreads) + (settings.threads < 1 ? "(自动)" : "") +
         " Hash=" + std::to_string(settings.appliedHash) + "MB" + " Ponder=" + (settings.ponder ? "开" : "关") +
         " MultiPV=" + std::to_string(settings.multiPV);
}

std::string UCCIEngine::verifyOptions() const {
  std::lock_guard<std::mutex> lock(mutex);
  if (state == ERROR_STATE) return "引擎未运行";
  if (state == NOT_STARTED || state == INITIALIZING) return "引擎未就绪";
  std::vector<std::string> items;
  if (settings.threads >= 1 && settings.appliedThreads != settings.threads) {
    items.push_back("Threads: 设置=" + std::to_string(settings.threads) +
                    " 实际=" + std::to_string(settings.appliedThreads));
  }
  if (settings.hashSize >= 1 && settings.appliedHash != settings.hashSize) {
    items.push_back("Hash: 设置=" + std::to_string(settings.hashSize) + "MB 实际=" +
                    std::to_string(settings.appliedHash) + "MB");
  }
  static const char* const checked[] = {"Ponder",          "UCI_ShowWDL",      "MultiPV",   "Debug Log File",
                                        "NumaPolicy",      "Move Overhead",    "nodestime", "Mate Threat Depth",
                                        "Repetition Rule", "Draw Rule",        "Sixty Move Rule",
                                        "Rule60MaxPly",    "ScoreType",        "LU_Output"};
  std::string missing;
  for (const char* name : checked) {
    if (options.count(name) != 0) continue;
    if (!missing.empty()) missing += ", ";
    missing += name;
  }
  if (!missing.empty()) items.push_back("不支持: " + missing);
  if (items.empty()) return "全部一致";
  std::string report;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) report += "; ";
    report += items[i];
  }
  return report;
}

}  // namespace Tavrune
