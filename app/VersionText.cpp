#include "app/VersionText.h"

#include <cstdio>

#include "app/AppVersion.h"
#include "core/TextConversion.h"
#include "platform/ProgramVersionInfo.h"

namespace Tavrune {

namespace {

std::wstring builtInVersion() {
  const std::wstring version = utf8ToWide(TAVRUNE_VERSION_TEXT);
  return version.empty() ? L"Unknown" : version;
}

}  // namespace

std::wstring getBuildText() {
  return L"Build " + std::to_wstring(TAVRUNE_BUILD_NUMBER) + L" (" + utf8ToWide(TAVRUNE_SOURCE_REVISION) + L")";
}

std::wstring composeProductVersionText(bool resourceRead, const std::optional<std::wstring>& productVersion,
                                       const std::optional<std::array<uint32_t, 4>>& fixedVersion) {
  if (!resourceRead) return builtInVersion();
  std::wstring version;
  if (productVersion) {
    version = *productVersion;
  } else if (fixedVersion) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%d.%d.%d.%d", static_cast<int>((*fixedVersion)[0]), static_cast<int>((*fixedVersion)[1]),
                  static_cast<int>((*fixedVersion)[2]), static_cast<int>((*fixedVersion)[3]));
    version = text;
  } else {
    version = builtInVersion();
  }
  return version + L" (" + getBuildText() + L")";
}

std::wstring getProductVersionText() {
  const ProgramVersionInfo info = ProgramVersionInfo::ofThisProgram();
  return composeProductVersionText(info.isLoaded(), info.string(L"\\StringFileInfo\\040904b0\\ProductVersion"),
                                   info.fixedProductVersion());
}

}  // namespace Tavrune
