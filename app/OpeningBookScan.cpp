#include "app/OpeningBookScan.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "core/Log.h"
#include "core/TextConversion.h"

namespace Tavrune {

namespace {

namespace fs = std::filesystem;

// UTF-8 in and out on every platform; on Windows the path is wide underneath, so
// folders with Chinese names work.
fs::path pathFromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::vector<OpeningBookFile> OpeningBookScan::find(const std::vector<std::string>& folders) {
  std::vector<OpeningBookFile> books;
  std::set<std::string> loadedNames;
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const fs::path folderPath = pathFromUtf8(folder);
    std::error_code error;
    if (!fs::is_directory(folderPath, error)) continue;
    try {
      for (const fs::directory_entry& entry : fs::directory_iterator(folderPath)) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) continue;
        const std::string name = asciiLowerCase(utf8FromPath(entry.path().filename()));
        if (loadedNames.count(name) != 0) continue;
        int32_t type = -1;
        if (name == "book.dat") {
          type = 0;
        } else if (endsWith(name, ".obk")) {
          type = 1;
        }
        if (type < 0) continue;
        books.push_back({utf8FromPath(entry.path()), type});
        loadedNames.insert(name);
      }
    } catch (const std::exception&) {
      logWarning("MainWindow: failed to scan books directory: " + folder);
    }
  }
  return books;
}

}  // namespace Tavrune
