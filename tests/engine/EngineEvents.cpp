#include "EngineEvents.h"

#include <algorithm>

namespace Tavrune::Test {

void EngineEvents::attach(UCCIEngine& engine) {
  engine.setBestMoveCallback([this](const Move& move) {
    std::function<void(const Move&)> hook;
    {
      std::lock_guard<std::mutex> lock(mutex);
      recordedMoves.push_back(move);
      hook = moveHook;
    }
    changed.notify_all();
    if (hook) hook(move);
  });
  engine.setStateCallback([this](State state) {
    std::function<void(State)> hook;
    {
      std::lock_guard<std::mutex> lock(mutex);
      recordedStates.push_back(state);
      hook = stateHook;
    }
    changed.notify_all();
    if (hook) hook(state);
  });
}

void EngineEvents::setMoveHook(std::function<void(const Move&)> hook) {
  std::lock_guard<std::mutex> lock(mutex);
  moveHook = std::move(hook);
}

void EngineEvents::setStateHook(std::function<void(State)> hook) {
  std::lock_guard<std::mutex> lock(mutex);
  stateHook = std::move(hook);
}

std::vector<Move> EngineEvents::moves() const {
  std::lock_guard<std::mutex> lock(mutex);
  return recordedMoves;
}

std::vector<EngineEvents::State> EngineEvents::states() const {
  std::lock_guard<std::mutex> lock(mutex);
  return recordedStates;
}

size_t EngineEvents::stateCount(State state) const {
  std::lock_guard<std::mutex> lock(mutex);
  return static_cast<size_t>(std::count(recordedStates.begin(), recordedStates.end(), state));
}

bool EngineEvents::waitForState(State state, std::chrono::milliseconds timeout, size_t times) const {
  std::unique_lock<std::mutex> lock(mutex);
  return changed.wait_for(lock, timeout, [&] {
    return static_cast<size_t>(std::count(recordedStates.begin(), recordedStates.end(), state)) >= times;
  });
}

bool EngineEvents::waitForMoves(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex);
  return changed.wait_for(lock, timeout, [&] { return recordedMoves.size() >= count; });
}

}  // namespace Tavrune::Test
