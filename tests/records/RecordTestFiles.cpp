#include "RecordTestFiles.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

#include "core/TextConversion.h"

namespace Tavrune::Test {

namespace fs = std::filesystem;

namespace {

fs::path fromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

}  // namespace

RecordTestFolder::RecordTestFolder() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          fromUtf8("棋谱测试-" + std::to_string(stamp % 100000000) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

RecordTestFolder::~RecordTestFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

fs::path RecordTestFolder::file(const std::string& utf8Name) const { return path_ / fromUtf8(utf8Name); }

std::wstring RecordTestFolder::widePath(const std::string& utf8Name) const { return wideOf(file(utf8Name)); }

std::vector<std::string> RecordTestFolder::entryNames() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) {
    const std::u8string name = entry.path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  return names;
}

std::wstring wideOf(const fs::path& path) {
  const std::u8string utf8 = path.u8string();
  return utf8ToWide(std::string(utf8.begin(), utf8.end()));
}

std::string readWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeWholeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace Tavrune::Test
