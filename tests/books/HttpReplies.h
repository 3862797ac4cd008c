#pragma once
// Collects an IHttpClient's callbacks: how many came, the last body and when it came.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "engine/IHttpClient.h"

namespace Tavrune::Test {

class HttpReplies {
 public:
  using Clock = std::chrono::steady_clock;

  IHttpClient::ResponseCallback callback() {
    return [this](const std::string& body) {
      std::lock_guard<std::mutex> guard(lock);
      ++calls;
      lastBody = body;
      arrivedAt = Clock::now();
      arrived.notify_all();
    };
  }

  bool waitFor(int count, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    std::unique_lock<std::mutex> guard(lock);
    return arrived.wait_for(guard, limit, [&] { return calls >= count; });
  }

  int count() {
    std::lock_guard<std::mutex> guard(lock);
    return calls;
  }
  std::string body() {
    std::lock_guard<std::mutex> guard(lock);
    return lastBody;
  }
  // Milliseconds from `start` to the last callback.
  long long msSince(Clock::time_point start) {
    std::lock_guard<std::mutex> guard(lock);
    return std::chrono::duration_cast<std::chrono::milliseconds>(arrivedAt - start).count();
  }

 private:
  std::mutex lock;
  std::condition_variable arrived;
  int calls = 0;
  std::string lastBody;
  Clock::time_point arrivedAt;
};

}  // namespace Tavrune::Test
