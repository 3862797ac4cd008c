#include "audio/DelayedTaskScheduler.h"

#include <algorithm>

namespace Tavrune {

namespace {

// How long the worker waits between attempts at the owner's lock, looking for a
// cancellation in between.
constexpr std::chrono::milliseconds lockPollInterval{1};

}  // namespace

DelayedTaskScheduler::DelayedTaskScheduler(std::recursive_mutex& ownerLock) : ownerLock_(ownerLock) {}

DelayedTaskScheduler::~DelayedTaskScheduler() { cancelAndJoin(); }

void DelayedTaskScheduler::schedule(std::chrono::milliseconds delay, Task task) {
  std::lock_guard<std::mutex> guard(mutex_);
  stopping_ = false;
  if (!running_) {
    // A worker that stopped itself after a cancellation from inside a task has ended
    // or is about to; it needs nothing from this lock to finish.
    if (worker_.joinable()) {
      worker_.join();
    }
    running_ = true;
    worker_ = std::thread([this] { run(); });
  }
  Entry entry{Clock::now() + delay, generation_, std::move(task)};
  const auto position = std::upper_bound(queue_.begin(), queue_.end(), entry.due,
                                         [](Clock::time_point due, const Entry& e) { return due < e.due; });
  queue_.insert(position, std::move(entry));
  wake_.notify_all();
}

void DelayedTaskScheduler::cancelAndJoin() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    ++generation_;
    queue_.clear();
    stopping_ = true;
  }
  wake_.notify_all();
  if (!worker_.joinable() || worker_.get_id() == std::this_thread::get_id()) {
    return;
  }
  worker_.join();
}

size_t DelayedTaskScheduler::pendingCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return queue_.size();
}

bool DelayedTaskScheduler::isCurrent(uint64_t generation) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return generation == generation_;
}

bool DelayedTaskScheduler::lockOwnerUnlessCancelled(uint64_t generation) {
  while (!ownerLock_.try_lock()) {
    if (!isCurrent(generation)) {
      return false;
    }
    std::this_thread::sleep_for(lockPollInterval);
  }
  if (!isCurrent(generation)) {
    ownerLock_.unlock();
    return false;
  }
  return true;
}

void DelayedTaskScheduler::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (queue_.empty()) {
      wake_.wait(lock);
      continue;
    }
    if (Clock::now() < queue_.front().due) {
      wake_.wait_until(lock, queue_.front().due);
      continue;
    }
    Entry entry = std::move(queue_.front());
    queue_.erase(queue_.begin());
    lock.unlock();
    if (lockOwnerUnlessCancelled(entry.generation)) {
      try {
        entry.task();
      } catch (...) {
        // A delayed sound is an effect only; its failure must not end the worker.
      }
      ownerLock_.unlock();
    }
    lock.lock();
  }
  running_ = false;
}

}  // namespace Tavrune
