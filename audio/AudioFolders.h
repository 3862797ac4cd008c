#pragma once
// The three folders the audio system looks in, as UTF-8: the data folder, the program
// folder (both from the configuration; either may be empty) and the install root (the
// running program's folder, "." when unknown).
#include <string>

namespace Tavrune {

struct AudioFolders {
  std::string dataDirectory;
  std::string appDirectory;
  std::string installRoot;

  // Asks the configuration and the platform (Windows build only).
  static AudioFolders current();
  // The running program's folder; "." when it cannot be read (Windows build only).
  static std::string installRootFolder();
};

}  // namespace Tavrune
