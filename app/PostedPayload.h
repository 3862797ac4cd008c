#pragma once
// Hands a heap object from any thread to the window's thread inside a posted message.
// Once posted, the message owns it and the handler takes it back; when posting fails it
// is freed here, so nothing leaks and nothing is freed twice.
#include <windows.h>

#include <memory>

namespace Tavrune {

template <typename T>
class PostedPayload {
 public:
  static bool post(HWND window, UINT message, WPARAM wParam, std::unique_ptr<T> payload) {
    if (!PostMessageW(window, message, wParam, reinterpret_cast<LPARAM>(payload.get()))) return false;
    payload.release();
    return true;
  }

  // Null for a message that carried none.
  static std::unique_ptr<T> take(LPARAM lParam) { return std::unique_ptr<T>(reinterpret_cast<T*>(lParam)); }
};

}  // namespace Tavrune
