#include "engine/EngineFolder.h"

#include <filesystem>
#include <system_error>

#include "platform/PlatformBase.h"

namespace Tavrune {

namespace {

std::filesystem::path pathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

std::string EngineFolder::programFolder() {
  const std::wstring program = PlatformBase::programPath();
  if (program.empty()) return {};
  return utf8FromPath(std::filesystem::path(program).parent_path());
}

std::string EngineFolder::enginesFolder() {
  const std::string folder = programFolder();
  if (folder.empty()) return {};
  return utf8FromPath(pathFromUtf8(folder) / "engines");
}

bool EngineFolder::holdsFile(const std::string& folder, const std::string& fileName) {
  if (folder.empty() || fileName.empty()) return false;
  // A name that climbs out of the folder or names a sub-folder is not a build file.
  if (fileName.find_first_of("/\\:") != std::string::npos || fileName == "." || fileName == "..") return false;
  std::error_code error;
  return std::filesystem::is_regular_file(pathFromUtf8(folder) / pathFromUtf8(fileName), error);
}

}  // namespace Tavrune
