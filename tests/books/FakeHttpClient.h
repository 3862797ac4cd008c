#pragma once
// An IHttpClient that answers from memory on a thread of its own, at once or when the
// test releases the reply; it records the requests and cancels it received.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/IHttpClient.h"

namespace Tavrune::Test {

class FakeHttpClient : public IHttpClient {
 public:
  // `holdReplies`: keep each request open until release() or cancel().
  explicit FakeHttpClient(std::string reply = {}, bool holdReplies = false);
  ~FakeHttpClient() override;

  void getAsync(const std::string& url, uint32_t timeoutMs, ResponseCallback callback) override;
  // Answers every held request with empty text, as a cancelled real client does.
  void cancel() override;
  // Answers the oldest held request with `body`.
  void release(const std::string& body);

  std::vector<std::string> urls() const;
  uint32_t lastTimeoutMs() const;
  int cancels() const { return cancelCount.load(); }

 private:
  void answer(ResponseCallback callback, std::string body);

  const std::string reply;
  const bool holdReplies;
  mutable std::mutex lock;
  std::vector<std::string> seenUrls;
  uint32_t timeoutMs = 0;
  std::vector<ResponseCallback> held;
  std::vector<std::thread> workers;
  std::atomic<int> cancelCount{0};
};

}  // namespace Tavrune::Test
