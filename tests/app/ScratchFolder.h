#pragma once
// A fresh, empty folder under the system's temporary folder, removed with its contents
// when the object goes away. Paths are UTF-8.
#include <filesystem>
#include <string>

namespace Tavrune::Test {

class ScratchFolder {
 public:
  // `tag` becomes part of the folder's name; it may hold non-ASCII text.
  explicit ScratchFolder(const std::string& tag);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string utf8() const;
  // A sub-path as UTF-8 text, with the platform's separators.
  std::string utf8(const std::string& relative) const;
  // Writes `bytes` bytes (or the text) into a file under the folder, making its folders.
  void writeFile(const std::string& relative, const std::string& text) const;
  void writeFileOfSize(const std::string& relative, size_t bytes) const;
  void makeFolder(const std::string& relative) const;

  static std::filesystem::path fromUtf8(const std::string& text);
  static std::string toUtf8(const std::filesystem::path& path);

 private:
  std::filesystem::path path_;
};

}  // namespace Tavrune::Test
