#pragma once
// Runs short tasks after a delay on one worker thread, each under its owner's lock, so
// delayed sounds never overlap the owner's other work. Cancelling drops what is pending
// and stops the worker, which never waits on the lock without watching for that.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Tavrune {

class DelayedTaskScheduler {
 public:
  using Task = std::function<void()>;

  explicit DelayedTaskScheduler(std::recursive_mutex& ownerLock);
  ~DelayedTaskScheduler();
  DelayedTaskScheduler(const DelayedTaskScheduler&) = delete;
  DelayedTaskScheduler& operator=(const DelayedTaskScheduler&) = delete;

  // The task runs once, no earlier than the delay, holding the owner's lock; tasks due
  // at the same time run in the order they were scheduled.
  void schedule(std::chrono::milliseconds delay, Task task);
  // Drops every pending task and stops the worker. Waits for it unless called from a
  // task, in which case the worker ends when that task returns. May be called while
  // holding the owner's lock.
  void cancelAndJoin();
  size_t pendingCount() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Entry {
    Clock::time_point due;
    uint64_t generation = 0;
    Task task;
  };

  void run();
  bool isCurrent(uint64_t generation) const;
  // False when the task was cancelled while waiting for the owner's lock.
  bool lockOwnerUnlessCancelled(uint64_t generation);

  std::recursive_mutex& ownerLock_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Entry> queue_;  // ordered by due time, then by scheduling order
  uint64_t generation_ = 0;
  bool stopping_ = false;
  bool running_ = false;
  std::thread worker_;
};

}  // namespace Tavrune
