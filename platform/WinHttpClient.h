#pragma once
// IHttpClient over WinINet. Each GET runs on a worker thread of its own and ends by its
// overall deadline at the latest; cancel closes the request's handles, so a blocked read
// is abandoned at once instead of running into WinINet's own time-outs. getAsync, cancel
// and the destructor are called from one thread at a time (the UI thread), or from the
// client's own callback.
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/IHttpClient.h"

namespace Tavrune {

class WinHttpClient : public IHttpClient {
 public:
  // Longer bodies are not answers of the online book: the request fails.
  static constexpr size_t MAX_BODY_BYTES = 64 * 1024;

  WinHttpClient();
  // Cancels the running request and waits for its worker, which the cancel cuts short.
  ~WinHttpClient() override;
  WinHttpClient(const WinHttpClient&) = delete;
  WinHttpClient& operator=(const WinHttpClient&) = delete;

  // Waits for the previous request's worker first: one request at a time.
  void getAsync(const std::string& url, uint32_t timeoutMs, ResponseCallback callback) override;
  void cancel() override;

 private:
  class Request;

  void waitForWorker();

  std::mutex currentLock;
  std::shared_ptr<Request> current;
  std::thread worker;
};

}  // namespace Tavrune
