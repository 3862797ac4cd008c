#pragma once
// Records what the engine driver reports through its callbacks and lets a test wait
// for it with a bound.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "engine/UCCIEngine.h"

namespace Tavrune::Test {

class EngineEvents {
 public:
  using State = UCCIEngine::EngineState;

  // Installs the best-move and state callbacks; hooks run inside them when set.
  void attach(UCCIEngine& engine);
  void setMoveHook(std::function<void(const Move&)> hook);
  void setStateHook(std::function<void(State)> hook);

  std::vector<Move> moves() const;
  std::vector<State> states() const;
  size_t stateCount(State state) const;

  // Waits until `state` has been reported `times` times in all.
  bool waitForState(State state, std::chrono::milliseconds timeout, size_t times = 1) const;
  bool waitForMoves(size_t count, std::chrono::milliseconds timeout) const;

 private:
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::vector<Move> recordedMoves;
  std::vector<State> recordedStates;
  std::function<void(const Move&)> moveHook;
  std::function<void(State)> stateHook;
};

}  // namespace Tavrune::Test
