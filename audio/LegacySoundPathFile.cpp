#include "audio/LegacySoundPathFile.h"

#include <windows.h>

#include "audio/AudioConfigReader.h"
#include "audio/Utf8Path.h"
#include "core/TextConversion.h"

namespace Tavrune {

std::optional<std::string> LegacySoundPathFile::readSoundPackPathFromIni(const std::string& iniPath) {
  if (iniPath.empty() || !isExistingFile(iniPath)) {
    return std::nullopt;
  }
  // The profile functions look in the Windows folder for a bare name, so pass the full path.
  std::error_code error;
  const std::filesystem::path fullPath = std::filesystem::absolute(pathFromUtf8(iniPath), error);
  const std::wstring file = error ? utf8ToWide(iniPath) : fullPath.wstring();
  wchar_t value[260] = {};
  GetPrivateProfileStringW(L"SoundPaths", L"SoundPackPath", L"sounds/default", value, 260, file.c_str());
  return AudioConfigReader::normalizeSoundPackPath(wideToUtf8(value));
}

}  // namespace Tavrune
