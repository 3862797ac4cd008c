#pragma once
// GBK record texts to UTF-8 through Windows code page 936.
#include "records/IGbkDecoder.h"

namespace Tavrune {

class WinGbkDecoder : public IGbkDecoder {
 public:
  std::optional<std::string> toUtf8(std::string_view gbk) const override;
};

}  // namespace Tavrune
