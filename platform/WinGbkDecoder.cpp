#include "platform/WinGbkDecoder.h"

#include <windows.h>

#include <climits>

#include "core/TextConversion.h"
#include "records/SystemGbkDecoder.h"

namespace Tavrune {

namespace {

constexpr UINT gbkCodePage = 936;

}  // namespace

std::optional<std::string> WinGbkDecoder::toUtf8(std::string_view gbk) const {
  if (gbk.empty()) return std::string();
  if (gbk.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
  const int inputLength = static_cast<int>(gbk.size());
  // Without MB_ERR_INVALID_CHARS a stray byte becomes a default character instead of
  // failing the whole text: a name cut in the middle of a character still reads.
  const int wideLength = MultiByteToWideChar(gbkCodePage, 0, gbk.data(), inputLength, nullptr, 0);
  if (wideLength <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  if (MultiByteToWideChar(gbkCodePage, 0, gbk.data(), inputLength, wide.data(), wideLength) != wideLength) {
    return std::nullopt;
  }
  return wideToUtf8(wide);
}

std::shared_ptr<const IGbkDecoder> makeSystemGbkDecoder() { return std::make_shared<WinGbkDecoder>(); }

}  // namespace Tavrune
