#pragma once
// Collects the online book's results, with the thread each arrived on.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/CloudBook.h"

namespace Tavrune::Test {

struct CloudResult {
  bool hit = false;
  Move move;
  std::thread::id thread;
};

class CloudResults {
 public:
  CloudBook::ResultCallback callback() {
    return [this](bool hit, const Move& move) {
      std::lock_guard<std::mutex> guard(lock);
      results.push_back({hit, move, std::this_thread::get_id()});
      arrived.notify_all();
    };
  }

  // True when at least `count` results arrived within `limit`.
  bool waitFor(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock<std::mutex> guard(lock);
    return arrived.wait_for(guard, limit, [&] { return results.size() >= count; });
  }

  std::vector<CloudResult> all() {
    std::lock_guard<std::mutex> guard(lock);
    return results;
  }

 private:
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<CloudResult> results;
};

}  // namespace Tavrune::Test
