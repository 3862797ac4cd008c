#pragma once
// A fresh portable copy of the program in a temporary folder: tavrune.exe with its
// sound pack and OpenAL Soft, an engines folder and whatever a test adds. The folder
// name holds Chinese characters, so every path the program builds must be wide-safe.
// Removed with its contents when the object goes away.
#include <cstddef>
#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace Tavrune::E2E {

class PortableInstall {
 public:
  // `tag` names the test in the folder name.
  explicit PortableInstall(const std::string& tag);

  const std::filesystem::path& folder() const { return folder_.path(); }
  std::filesystem::path program() const { return folder() / "tavrune.exe"; }
  std::filesystem::path file(const std::string& relative) const;
  void writeFile(const std::string& relative, const std::string& bytes) const;
  void writeFileOfSize(const std::string& relative, size_t bytes) const;
  // Copies a file of the test machine into the folder, e.g. an engine into "engines/".
  void copyIn(const std::filesystem::path& source, const std::string& relative) const;
  bool exists(const std::string& relative) const;
  // The file's bytes; empty when it cannot be read.
  std::string readFile(const std::string& relative) const;

  // A path the build wrote down on the build machine, as this process opens it.
  static std::filesystem::path buildMachinePath(const std::string& unixPath);
  // Where the build put the program and its companions.
  static std::filesystem::path buildAppFolder();
  // Fairy-Stockfish built for Windows by the set-up script; engine tests put it (behind
  // the engine tests' relay) into "engines/".
  static std::filesystem::path fairyStockfish();

 private:
  Test::TempFolder folder_;
};

}  // namespace Tavrune::E2E
