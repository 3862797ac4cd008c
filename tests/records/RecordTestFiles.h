#pragma once
// A temporary folder with a Chinese name for record files, removed with everything in it,
// and whole-file reads and writes for the tests.
#include <filesystem>
#include <string>
#include <vector>

namespace Tavrune::Test {

class RecordTestFolder {
 public:
  RecordTestFolder();
  ~RecordTestFolder();
  RecordTestFolder(const RecordTestFolder&) = delete;
  RecordTestFolder& operator=(const RecordTestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A file in the folder, as the file path and as the wide text a file dialog would give.
  std::filesystem::path file(const std::string& utf8Name) const;
  std::wstring widePath(const std::string& utf8Name) const;
  // Names of the entries in the folder (to find left-over temporary files).
  std::vector<std::string> entryNames() const;

 private:
  std::filesystem::path path_;
};

std::wstring wideOf(const std::filesystem::path& path);
std::string readWholeFile(const std::filesystem::path& path);
void writeWholeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace Tavrune::Test
