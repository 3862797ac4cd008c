#pragma once
// How the transport's threads wait and end, shared by the connection and discovery code.
#include <thread>

namespace Tavrune::NetworkThreads {

// How soon a stop request reaches a thread waiting on a socket: every wait is cut into
// slices this long, so no thread ever has to close a handle under another.
constexpr int WAKE_SLICE_MS = 100;

inline bool isSelf(const std::thread& thread) { return thread.get_id() == std::this_thread::get_id(); }

inline void joinOrDetach(std::thread& thread) {
  if (!thread.joinable()) return;
  if (isSelf(thread)) {
    thread.detach();
  } else {
    thread.join();
  }
}

}  // namespace Tavrune::NetworkThreads
