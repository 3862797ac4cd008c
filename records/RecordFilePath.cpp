#include "records/RecordFilePath.h"

#include "core/TextConversion.h"

namespace Tavrune {

std::filesystem::path recordFilePath(const std::wstring& path) {
  if constexpr (sizeof(wchar_t) == 2) {
    // UTF-16 is the native form: no conversion, so any name the file dialog gives works.
    return std::filesystem::path(path);
  } else {
    // libstdc++ converts 32-bit wide text through the "C" locale, which refuses Chinese;
    // UTF-8 bytes are the host's own form.
    const std::string utf8 = wideToUtf8Path(path);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
  }
}

}  // namespace Tavrune
