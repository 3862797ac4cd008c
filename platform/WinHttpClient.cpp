#include "platform/WinHttpClient.h"

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <string>
#include <system_error>

#include "core/Log.h"

namespace Tavrune {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* USER_AGENT = "TavruneCloudBook";
constexpr DWORD READ_STEP_BYTES = 4095;
constexpr DWORD OPEN_URL_FLAGS =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES;

}  // namespace

// One GET. The blocking WinINet calls run on a detached thread that owns a reference to
// this record; the client's worker waits for them until the deadline or a cancel and
// then delivers the result, exactly once. A call still blocked after that is cut off by
// closing its handles and touches nothing but this record when it finally returns.
class WinHttpClient::Request : public std::enable_shared_from_this<Request> {
 public:
  Request(std::string url, uint32_t timeoutMs, ResponseCallback callback)
      : url(std::move(url)),
        timeoutMs(timeoutMs),
        deadline(Clock::now() + std::chrono::milliseconds(timeoutMs)),
        callback(std::move(callback)) {}

  // The client's worker thread.
  void supervise() {
    try {
      std::thread(&Request::perform, shared_from_this()).detach();
      release(performerDetached);
    } catch (const std::system_error&) {
      logError("WinHttpClient: cannot start the request thread");
      awaitRelease(handedOver);
      deliver({});
      return;
    }
    std::string result;
    bool overran = false;
    {
      std::unique_lock<std::mutex> guard(mutex);
      changed.wait_until(guard, deadline, [this] { return finished || cancelled; });
      if (!finished) {
        overran = !cancelled;
        cancelled = true;
        closeHandlesLocked();
      }
      if (succeeded && !cancelled) result = std::move(body);
    }
    if (overran) {
      logWarning("WinHttpClient: request exceeded its deadline of " + std::to_string(timeoutMs) +
                 " ms");
    }
    awaitRelease(handedOver);
    deliver(result);
  }

  // getAsync keeps this thread's handle only after the thread has started; a callback that
  // reuses or releases the client must not find it still half-way through getAsync.
  void handOver() { release(handedOver); }

  void cancel() {
    std::lock_guard<std::mutex> guard(mutex);
    cancelled = true;
    closeHandlesLocked();
    changed.notify_all();
  }

  void deliver(const std::string& text) {
    try {
      if (callback) callback(text);
    } catch (...) {
      logError("WinHttpClient: response callback failed");
    }
  }

 private:
  void perform() {
    try {
      performGet();
    } catch (...) {
      finish(false, {});
    }
    // The thread library mixes up its thread records when a thread is detached after it
    // has ended, so this one ends only once supervise has detached it.
    awaitRelease(performerDetached);
  }

  void release(bool& gate) {
    std::lock_guard<std::mutex> guard(mutex);
    gate = true;
    changed.notify_all();
  }

  void awaitRelease(const bool& gate) {
    std::unique_lock<std::mutex> guard(mutex);
    changed.wait(guard, [&gate] { return gate; });
  }

  void performGet() {
    HINTERNET opened = InternetOpenA(USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (opened == nullptr) {
      logError("WinHttpClient: InternetOpen failed");
      finish(false, {});
      return;
    }
    DWORD timeout = timeoutMs;
    InternetSetOptionA(opened, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(opened, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(opened, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
    if (!adopt(opened, session)) return;

    HINTERNET connection = InternetOpenUrlA(opened, url.c_str(), nullptr, 0, OPEN_URL_FLAGS, 0);
    if (connection == nullptr) {
      const DWORD error = GetLastError();
      if (!stopped()) {
        logError("WinHttpClient: InternetOpenUrl failed, error: " + std::to_string(error));
      }
      finish(false, {});
      return;
    }
    if (!adopt(connection, urlHandle)) return;

    std::string received;
    char buffer[READ_STEP_BYTES + 1];
    bool ok = true;
    for (;;) {
      // Checked between reads: a server that trickles bytes never trips the receive
      // time-out, but it cannot outrun the deadline.
      if (stopped()) {
        ok = false;
        break;
      }
      DWORD count = 0;
      if (!InternetReadFile(connection, buffer, READ_STEP_BYTES, &count)) {
        ok = false;
        break;
      }
      if (count == 0) break;
      const void* nul = std::memchr(buffer, 0, count);
      const size_t usable = nul ? static_cast<size_t>(static_cast<const char*>(nul) - buffer) : count;
      if (received.size() + usable > MAX_BODY_BYTES) {
        logWarning("WinHttpClient: response body larger than " + std::to_string(MAX_BODY_BYTES) +
                   " bytes");
        ok = false;
        break;
      }
      received.append(buffer, usable);
      if (nul != nullptr) break;  // the body is text: it ends at its first NUL
    }
    finish(ok, std::move(received));
  }

  // Keeps a fresh handle for closing; a request already cancelled closes it at once.
  bool adopt(HINTERNET handle, HINTERNET& slot) {
    std::lock_guard<std::mutex> guard(mutex);
    if (cancelled) {
      InternetCloseHandle(handle);
      finished = true;
      changed.notify_all();
      return false;
    }
    slot = handle;
    return true;
  }

  bool stopped() {
    std::lock_guard<std::mutex> guard(mutex);
    return cancelled || Clock::now() >= deadline;
  }

  void finish(bool ok, std::string text) {
    std::lock_guard<std::mutex> guard(mutex);
    closeHandlesLocked();
    finished = true;
    succeeded = ok;
    body = std::move(text);
    changed.notify_all();
  }

  // Closing a handle also aborts a call blocked on it in another thread.
  void closeHandlesLocked() {
    if (urlHandle != nullptr) InternetCloseHandle(urlHandle);
    if (session != nullptr) InternetCloseHandle(session);
    urlHandle = nullptr;
    session = nullptr;
  }

  const std::string url;
  const uint32_t timeoutMs;
  const Clock::time_point deadline;
  const ResponseCallback callback;

  std::mutex mutex;
  std::condition_variable changed;
  bool handedOver = false;
  bool performerDetached = false;
  bool cancelled = false;
  bool finished = false;
  bool succeeded = false;
  std::string body;
  HINTERNET session = nullptr;
  HINTERNET urlHandle = nullptr;
};

WinHttpClient::WinHttpClient() = default;

WinHttpClient::~WinHttpClient() {
  cancel();
  waitForWorker();
}

void WinHttpClient::waitForWorker() {
  if (!worker.joinable()) return;
  // Reached from this client's own response callback, the worker cannot be joined; it
  // touches nothing of the client after the callback, so it may run out on its own.
  if (worker.get_id() == std::this_thread::get_id()) {
    worker.detach();
  } else {
    worker.join();
  }
}

void WinHttpClient::getAsync(const std::string& url, uint32_t timeoutMs, ResponseCallback callback) {
  waitForWorker();
  auto request = std::make_shared<Request>(url, timeoutMs, std::move(callback));
  {
    std::lock_guard<std::mutex> guard(currentLock);
    current = request;
  }
  try {
    worker = std::thread(&Request::supervise, request);
  } catch (const std::system_error&) {
    logError("WinHttpClient: cannot start the worker thread");
    request->deliver({});
    return;
  }
  // The last touch of this client here: from now on the callback may reuse or release it.
  request->handOver();
}

void WinHttpClient::cancel() {
  std::shared_ptr<Request> request;
  {
    std::lock_guard<std::mutex> guard(currentLock);
    request = current;
  }
  if (request) request->cancel();
}

}  // namespace Tavrune
