#pragma once
// A fresh temporary folder per test (removed afterwards) and whole-file helpers, all
// with UTF-8 paths as the configuration code uses them.
#include <optional>
#include <string>

#include "support/TempFolder.h"

namespace Tavrune::Test {

class ConfigTestFolder {
 public:
  ConfigTestFolder();

  const std::string& path() const { return path_; }
  // path() + "\" + relative, with the relative part's slashes as given.
  std::string at(const std::string& relative) const;

  static void writeFile(const std::string& path, const std::string& bytes);
  static std::optional<std::string> readFile(const std::string& path);
  static void makeFolder(const std::string& path);
  static bool isFile(const std::string& path);
  static bool isFolder(const std::string& path);
  static bool exists(const std::string& path);

 private:
  TempFolder folder_;
  std::string path_;
};

}  // namespace Tavrune::Test
