// Program entry: the library search limited, the data-folder switches, then the main
// window and its message loop.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/CommandLineOptions.h"
#include "app/MainWindow.h"
#include "core/ConfigManager.h"
#include "platform/LibraryLoader.h"

namespace {

Tavrune::DataFolderChoice readDataFolderChoice() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!words) return Tavrune::DataFolderChoice::Unspecified;
  std::vector<std::wstring> arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(words[i]);
  LocalFree(words);
  return Tavrune::CommandLineOptions::dataFolderChoice(arguments);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything loads a library by bare name; where the system cannot limit the
  // search, the program's own libraries are still loaded by their full paths.
  Tavrune::LibraryLoader::limitDefaultSearch();
  switch (readDataFolderChoice()) {
    case Tavrune::DataFolderChoice::Portable: Tavrune::ConfigManager::setPortableMode(true); break;
    case Tavrune::DataFolderChoice::Installed: Tavrune::ConfigManager::setPortableMode(false); break;
    case Tavrune::DataFolderChoice::Unspecified: break;
  }
  Tavrune::MainWindow window;
  if (!window.create(instance)) {
    MessageBoxW(nullptr, L"无法创建窗口", L"错误", MB_OK | MB_ICONERROR);
    return 1;
  }
  return window.run();
}
