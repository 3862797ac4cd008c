#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>
#include <thread>

namespace Tavrune::Test {

namespace {

std::filesystem::path fromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// Links are passed over: permissions() would change what they point to, which may lie
// outside the folder.
void makeWritable(const std::filesystem::path& folder) {
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    if (it->is_symlink(ignored)) continue;
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 ignored);
  }
}

}  // namespace

TempFolder::TempFolder(const std::string& tag) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          fromUtf8("tavrune-" + tag + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() { remove(path_); }

bool TempFolder::remove(const std::filesystem::path& folder) {
  for (int attempt = 0; attempt < 40; ++attempt) {
    if (attempt > 1) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Windows refuses to delete a read-only file, such as a copy of a read-only sample.
    if (attempt > 0) makeWritable(folder);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    if (!error) return true;
  }
  return false;
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
