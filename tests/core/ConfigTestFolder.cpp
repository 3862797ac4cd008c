#include "core/ConfigTestFolder.h"

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

}  // namespace

ConfigTestFolder::ConfigTestFolder() : folder_("config-tests"), path_(folder_.utf8()) {}

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
