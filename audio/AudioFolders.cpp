#include "audio/AudioFolders.h"

#include <windows.h>

#include <string>

#include "core/ConfigManager.h"
#include "core/TextConversion.h"

namespace Tavrune {

AudioFolders AudioFolders::current() {
  return {ConfigManager::getDataDirectory(), ConfigManager::getAppDirectory(), installRootFolder()};
}

std::string AudioFolders::installRootFolder() {
  // The buffer grows until the whole path fits, so deep install folders work too.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return ".";
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    if (buffer.size() >= 32768) {
      return ".";
    }
    buffer.resize(buffer.size() * 2);
  }
  const size_t separator = buffer.find_last_of(L"\\/");
  if (separator == std::wstring::npos) {
    return ".";
  }
  const std::string folder = wideToUtf8(buffer.substr(0, separator));
  return folder.empty() ? "." : folder;
}

}  // namespace Tavrune
