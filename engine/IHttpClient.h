#pragma once
// An asynchronous HTTP GET, one request at a time. Implemented over WinINet by
// WinHttpClient; tests use their own.
#include <cstdint>
#include <functional>
#include <string>

namespace Tavrune {

class IHttpClient {
 public:
  // Receives the response body, or an empty text on any failure or cancellation.
  using ResponseCallback = std::function<void(const std::string& body)>;

  virtual ~IHttpClient() = default;
  // Starts one GET that ends within `timeoutMs`. The callback runs exactly once, on
  // another thread.
  virtual void getAsync(const std::string& url, uint32_t timeoutMs, ResponseCallback callback) = 0;
  // Stops the running request; its callback then receives an empty text.
  virtual void cancel() = 0;
};

}  // namespace Tavrune
