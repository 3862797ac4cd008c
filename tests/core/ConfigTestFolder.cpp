#include "core/ConfigTestFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/TextConversion.h"

namespace Tavrune::Test {

namespace fs = std::filesystem;

namespace {

fs::path toFsPath(const std::string& utf8) {
#ifdef _WIN32
  return fs::path(utf8ToWide(utf8));
#else
  return fs::path(utf8);
#endif
}

std::string fromFsPath(const fs::path& path) {
#ifdef _WIN32
  return wideToUtf8(path.wstring());
#else
  return path.string();
#endif
}

}  // namespace

ConfigTestFolder::ConfigTestFolder() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path folder =
      fs::temp_directory_path() / ("tavrune-config-tests-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(folder);
  path_ = fromFsPath(folder);
}

ConfigTestFolder::~ConfigTestFolder() {
  std::error_code error;
  fs::remove_all(toFsPath(path_), error);
}

std::string ConfigTestFolder::at(const std::string& relative) const { return path_ + "\\" + relative; }

void ConfigTestFolder::writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream output(toFsPath(path), std::ios::binary | std::ios::trunc);
  output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> ConfigTestFolder::readFile(const std::string& path) {
  std::ifstream input(toFsPath(path), std::ios::binary);
  if (!input) {
    return std::nullopt;
  }
  return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

void ConfigTestFolder::makeFolder(const std::string& path) { fs::create_directories(toFsPath(path)); }

bool ConfigTestFolder::isFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(toFsPath(path), error);
}

bool ConfigTestFolder::isFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(toFsPath(path), error);
}

bool ConfigTestFolder::exists(const std::string& path) {
  std::error_code error;
  return fs::exists(toFsPath(path), error);
}

}  // namespace Tavrune::Test
