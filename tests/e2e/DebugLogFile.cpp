#include "e2e/DebugLogFile.h"

#include <windows.h>
#include <shlobj.h>

namespace Tavrune::E2E {

std::filesystem::path debugLogPath() {
  PWSTR folder = nullptr;
  std::filesystem::path path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) {
    path = std::filesystem::path(folder) / "Tavrune" / "logs" / "tavrune_debug.log";
  }
  CoTaskMemFree(folder);
  return path;
}

uintmax_t fileSize(const std::filesystem::path& path) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace Tavrune::E2E
