#pragma once
// GBK to UTF-8 through iconv, for the host build (Windows uses WinGbkDecoder).
#include "records/IGbkDecoder.h"

namespace Tavrune {

class IconvGbkDecoder : public IGbkDecoder {
 public:
  std::optional<std::string> toUtf8(std::string_view gbk) const override;
};

}  // namespace Tavrune
