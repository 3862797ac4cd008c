#include "app/ScratchFolder.h"

#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

namespace Tavrune::Test {

namespace fs = std::filesystem;

fs::path ScratchFolder::fromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string ScratchFolder::toUtf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

ScratchFolder::ScratchFolder(const std::string& tag) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          fromUtf8("tavrune-app-" + tag + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() { TempFolder::remove(path_); }

std::string ScratchFolder::utf8() const { return toUtf8(path_); }

std::string ScratchFolder::utf8(const std::string& relative) const {
  return toUtf8((path_ / fromUtf8(relative)).make_preferred());
}

void ScratchFolder::writeFile(const std::string& relative, const std::string& text) const {
  const fs::path file = path_ / fromUtf8(relative);
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << text;
}

void ScratchFolder::writeFileOfSize(const std::string& relative, size_t bytes) const {
  writeFile(relative, std::string(bytes, 'x'));
}

void ScratchFolder::makeFolder(const std::string& relative) const { fs::create_directories(path_ / fromUtf8(relative)); }

}  // namespace Tavrune::Test
