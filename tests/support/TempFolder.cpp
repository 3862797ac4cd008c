#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

namespace Tavrune::Test {

namespace {

std::filesystem::path fromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace

TempFolder::TempFolder(const std::string& tag) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          fromUtf8("tavrune-" + tag + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempFolder::utf8(const std::string& relative) const {
  const std::u8string text = (relative.empty() ? path_ : path_ / fromUtf8(relative)).u8string();
  return std::string(text.begin(), text.end());
}

std::string TempFolder::makeFolder(const std::string& relative) const {
  std::filesystem::create_directories(path_ / fromUtf8(relative));
  return utf8(relative);
}

std::string TempFolder::writeFile(const std::string& relative, const std::string& bytes) const {
  const std::filesystem::path file = path_ / fromUtf8(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream output(file, std::ios::binary | std::ios::trunc);
  output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return utf8(relative);
}

}  // namespace Tavrune::Test
