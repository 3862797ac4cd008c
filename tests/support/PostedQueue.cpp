#include "support/PostedQueue.h"

#include <algorithm>

namespace Tavrune::Test {

void PostedQueue::post(Task task) {
  {
    std::lock_guard<std::mutex> guard(lock);
    tasks.push_back(std::move(task));
  }
  posted.notify_all();
}

bool PostedQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Task task;
    {
      // `done` may also change on other threads: look again now and then.
      std::unique_lock<std::mutex> guard(lock);
      const auto wakeUp = std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(5));
      if (!posted.wait_until(guard, wakeUp, [this] { return !tasks.empty(); })) continue;
      task = std::move(tasks.front());
      tasks.pop_front();
    }
    task();
  }
}

size_t PostedQueue::runPending() {
  size_t ran = 0;
  for (;;) {
    Task task;
    {
      std::lock_guard<std::mutex> guard(lock);
      if (tasks.empty()) return ran;
      task = std::move(tasks.front());
      tasks.pop_front();
    }
    task();
    ++ran;
  }
}

size_t PostedQueue::size() const {
  std::lock_guard<std::mutex> guard(lock);
  return tasks.size();
}

}  // namespace Tavrune::Test
