#include "books/FakeHttpClient.h"

namespace Tavrune::Test {

FakeHttpClient::FakeHttpClient(std::string reply, bool holdReplies)
    : reply(std::move(reply)), holdReplies(holdReplies) {}

FakeHttpClient::~FakeHttpClient() {
  cancel();
  std::vector<std::thread> running;
  {
    std::lock_guard<std::mutex> guard(lock);
    running.swap(workers);
  }
  for (std::thread& worker : running) worker.join();
}

void FakeHttpClient::getAsync(const std::string& url, uint32_t timeout, ResponseCallback callback) {
  {
    std::lock_guard<std::mutex> guard(lock);
    seenUrls.push_back(url);
    timeoutMs = timeout;
    if (holdReplies) {
      held.push_back(std::move(callback));
      return;
    }
  }
  answer(std::move(callback), reply);
}

void FakeHttpClient::cancel() {
  ++cancelCount;
  std::vector<ResponseCallback> all;
  {
    std::lock_guard<std::mutex> guard(lock);
    all.swap(held);
  }
  for (ResponseCallback& callback : all) answer(std::move(callback), {});
}

void FakeHttpClient::release(const std::string& body) {
  ResponseCallback callback;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (held.empty()) return;
    callback = std::move(held.front());
    held.erase(held.begin());
  }
  answer(std::move(callback), body);
}

void FakeHttpClient::answer(ResponseCallback callback, std::string body) {
  std::lock_guard<std::mutex> guard(lock);
  workers.emplace_back([callback = std::move(callback), body = std::move(body)] { callback(body); });
}

std::vector<std::string> FakeHttpClient::urls() const {
  std::lock_guard<std::mutex> guard(lock);
  return seenUrls;
}

uint32_t FakeHttpClient::lastTimeoutMs() const {
  std::lock_guard<std::mutex> guard(lock);
  return timeoutMs;
}

}  // namespace Tavrune::Test
