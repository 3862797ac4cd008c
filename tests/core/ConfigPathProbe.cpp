// Writes ConfigManager::getExecutableDirectory() (UTF-8) to the file named by the first
// argument; started by DataFolderTest from a deep folder.
#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>

#include "core/ConfigManager.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) {
    return 2;
  }
  std::ofstream output(std::filesystem::path(argv[1]), std::ios::binary);
  output << Tavrune::ConfigManager::getExecutableDirectory();
  LocalFree(argv);
  return output ? 0 : 1;
}
