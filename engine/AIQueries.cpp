// The AI's queries: the engine's state, limits and texts for the settings dialog.
#include "engine/AI.h"

namespace Tavrune {

bool AI::isThinking() const { return thinking.load(); }

bool AI::isEngineRunning() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && isRunningState(current->getState());
}

bool AI::isEngineReady() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->getState() == UCCIEngine::IDLE;
}

bool AI::isPondering() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->getState() == UCCIEngine::PONDERING;
}

bool AI::supportsElo() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->hasEloOptions();
}

int32_t AI::getEloMin() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->hasEloOptions() ? current->getEloMin() : 0;
}

int32_t AI::getEloMax() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->hasEloOptions() ? current->getEloMax() : 0;
}

std::string AI::getEngineStateText() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return "未启动";
  switch (current->getState()) {
    case UCCIEngine::NOT_STARTED: return "未启动";
    case UCCIEngine::INITIALIZING: return "初始化中";
    case UCCIEngine::IDLE: return "空闲";
    case UCCIEngine::THINKING: return "思考中";
    case UCCIEngine::PONDERING: return "预思考中";
    case UCCIEngine::ERROR_STATE: return "错误";
  }
  return "未知";
}

std::string AI::getEngineParamsText() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->getStatusText() : "引擎未启动";
}

std::string AI::verifyEngineOptions() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->verifyOptions() : "引擎未启动";
}

std::string AI::getEngineName() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->getEngineName() : std::string();
}

int32_t AI::getEngineOptionCount() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->getOptionCount() : 0;
}

int32_t AI::getRestartAttempts() const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return restartAttempts;
}

AISettings AI::getSettings() const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return settings;
}

}  // namespace Tavrune
