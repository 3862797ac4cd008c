#pragma once
// A stand-in for the window's message queue: any thread posts, and the test thread runs
// the posted work in order, one item at a time, as a UI thread handles posted messages.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace Tavrune::Test {

class PostedQueue {
 public:
  using Task = std::function<void()>;

  void post(Task task);
  // Runs posted work on the calling thread until `done` holds or the time is up; true
  // when `done` held.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs what is posted now (and what that posts), without waiting.
  size_t runPending();
  size_t size() const;

 private:
  mutable std::mutex lock;
  std::condition_variable posted;
  std::deque<Task> tasks;
};

}  // namespace Tavrune::Test
