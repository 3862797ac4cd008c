#include "records/IconvGbkDecoder.h"

#include <iconv.h>

#include <cerrno>

#include "records/SystemGbkDecoder.h"

namespace Tavrune {

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

}  // namespace

std::optional<std::string> IconvGbkDecoder::toUtf8(std::string_view gbk) const {
  // CP936 is GBK as Windows defines it (0x80 is the euro sign there).
  iconv_t converter = iconv_open("UTF-8", "CP936");
  if (converter == reinterpret_cast<iconv_t>(-1)) converter = iconv_open("UTF-8", "GBK");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;

  std::string input(gbk);
  std::string result;
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[256];
  while (inLeft > 0) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    result.append(buffer, sizeof buffer - outLeft);
    if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // A byte that starts no GBK character (or a character cut off at the end) becomes
    // U+FFFD and reading goes on after it.
    result += replacementCharacter;
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return result;
}

std::shared_ptr<const IGbkDecoder> makeSystemGbkDecoder() { return std::make_shared<IconvGbkDecoder>(); }

}  // namespace Tavrune
