#pragma once
// A fresh folder under the system temporary folder, removed with everything in it when
// the object goes away, also when the test that made it fails. Paths are UTF-8; `tag`
// becomes part of the name and may hold non-ASCII text.
#include <filesystem>
#include <string>

namespace Tavrune::Test {

class TempFolder {
 public:
  explicit TempFolder(const std::string& tag);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // UTF-8 text of path() / relative.
  std::string utf8(const std::string& relative = {}) const;
  // Creates the folder (and parents) and returns its UTF-8 path.
  std::string makeFolder(const std::string& relative) const;
  // Writes bytes into a file, creating parent folders; returns its UTF-8 path.
  std::string writeFile(const std::string& relative, const std::string& bytes) const;

  // Removes a folder with everything in it, read-only files too, waiting a while for a
  // program or watcher that still holds something in it to let go; false if it stays.
  static bool remove(const std::filesystem::path& folder);

 private:
  std::filesystem::path path_;
};

}  // namespace Tavrune::Test
