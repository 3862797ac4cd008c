#pragma once
// Windows error messages as UTF-8 for the log and the migration record. The C library's
// own messages for system errors come in the ANSI code page, which is not UTF-8.
#include <string>
#include <system_error>

namespace Tavrune {

class SystemErrorText {
 public:
  // The system's message for a Windows error code, without the trailing line break.
  static std::string fromCode(unsigned long code);
  // The same for system errors; other categories keep their own message.
  static std::string fromErrorCode(const std::error_code& error);
};

}  // namespace Tavrune
