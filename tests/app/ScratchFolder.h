#pragma once
// A fresh, empty folder under the system's temporary folder, removed with its contents
// when the object goes away. Paths are UTF-8; sub-paths come with the platform's
// separators, as the program writes them.
#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace Tavrune::Test {

class ScratchFolder : public TempFolder {
 public:
  // `tag` becomes part of the folder's name; it may hold non-ASCII text.
  explicit ScratchFolder(const std::string& tag) : TempFolder("app-" + tag) {}

  std::string utf8() const { return toUtf8(path()); }
  // A sub-path as UTF-8 text, with the platform's separators.
  std::string utf8(const std::string& relative) const;
  void writeFileOfSize(const std::string& relative, size_t bytes) const;

  static std::filesystem::path fromUtf8(const std::string& text);
  static std::string toUtf8(const std::filesystem::path& path);
};

}  // namespace Tavrune::Test
