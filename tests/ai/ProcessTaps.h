#pragma once
// Taps the engine processes the AI is given, so that a test sees each session's commands
// and can kill the newest session's process from outside, as a crash would.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IProcessManager.h"

namespace Tavrune::Test {

class ProcessTaps : public std::enable_shared_from_this<ProcessTaps> {
 public:
  // `inner` wrapped for a new session.
  std::unique_ptr<IProcessManager> tap(std::unique_ptr<IProcessManager> inner);
  size_t sessionCount() const;
  std::vector<std::string> written(size_t session) const;
  // Ends the newest session's process; false when that process object is gone.
  bool killNewest();

 private:
  class Tap;
  struct Session {
    std::vector<std::string> lines;
    IProcessManager* process = nullptr;  // null once the tap is destroyed
  };

  mutable std::mutex lock;
  std::vector<Session> sessions;
};

}  // namespace Tavrune::Test
