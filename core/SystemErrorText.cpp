#include "core/SystemErrorText.h"

#include <windows.h>

#include "core/TextConversion.h"

namespace Tavrune {

std::string SystemErrorText::fromCode(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message;
  if (length > 0 && buffer != nullptr) {
    message.assign(buffer, length);
  }
  if (buffer != nullptr) {
    LocalFree(buffer);
  }
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  if (message.empty()) {
    return "error " + std::to_string(code);
  }
  return wideToUtf8(message);
}

std::string SystemErrorText::fromErrorCode(const std::error_code& error) {
  if (error.category() == std::system_category()) {
    return fromCode(static_cast<unsigned long>(error.value()));
  }
  return error.message();
}

}  // namespace Tavrune
