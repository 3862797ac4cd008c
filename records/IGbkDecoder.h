#pragma once
// Turns GBK (code page 936) bytes into UTF-8. Records stay free of platform calls, so
// the conversion is supplied from outside: the Windows code page on Windows, iconv on
// the host.
#include <optional>
#include <string>
#include <string_view>

namespace Tavrune {

class IGbkDecoder {
 public:
  virtual ~IGbkDecoder() = default;
  // Nothing when the bytes cannot be converted.
  virtual std::optional<std::string> toUtf8(std::string_view gbk) const = 0;
};

}  // namespace Tavrune
