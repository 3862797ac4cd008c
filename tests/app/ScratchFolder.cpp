#include "app/ScratchFolder.h"

namespace Tavrune::Test {

namespace fs = std::filesystem;

fs::path ScratchFolder::fromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string ScratchFolder::toUtf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string ScratchFolder::utf8(const std::string& relative) const {
  return toUtf8((path() / fromUtf8(relative)).make_preferred());
}

void ScratchFolder::writeFileOfSize(const std::string& relative, size_t bytes) const {
  writeFile(relative, std::string(bytes, 'x'));
}

}  // namespace Tavrune::Test
