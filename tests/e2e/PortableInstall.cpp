#include "e2e/PortableInstall.h"

#include <fstream>
#include <system_error>

#include "support/TestPaths.h"

namespace Tavrune::E2E {

namespace fs = std::filesystem;

namespace {

fs::path fromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

}  // namespace

fs::path PortableInstall::buildAppFolder() { return fromUtf8(Test::binaryDir()) / "app"; }

fs::path PortableInstall::buildMachinePath(const std::string& unixPath) {
  // The build embeds Unix paths; Wine maps the Unix root to drive Z:.
  return fs::path(L"Z:\\") / fromUtf8(unixPath).relative_path().make_preferred();
}

fs::path PortableInstall::fairyStockfish() { return buildMachinePath(TAVRUNE_FAIRY_STOCKFISH); }

void PortableInstall::copyIn(const fs::path& source, const std::string& relative) const {
  const fs::path target = file(relative);
  fs::create_directories(target.parent_path());
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
}

PortableInstall::PortableInstall(const std::string& tag) : folder_("象棋-e2e-" + tag) {
  fs::create_directories(folder() / "engines");
  const fs::path app = buildAppFolder();
  fs::copy_file(app / "tavrune.exe", program(), fs::copy_options::overwrite_existing);
  fs::copy_file(app / "OpenAL32.dll", folder() / "OpenAL32.dll", fs::copy_options::overwrite_existing);
  fs::copy(app / "sounds", folder() / "sounds", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

fs::path PortableInstall::file(const std::string& relative) const {
  return (folder() / fromUtf8(relative)).make_preferred();
}

void PortableInstall::writeFile(const std::string& relative, const std::string& bytes) const {
  const fs::path path = file(relative);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

void PortableInstall::writeFileOfSize(const std::string& relative, size_t bytes) const {
  writeFile(relative, std::string(bytes, '\0'));
}

bool PortableInstall::exists(const std::string& relative) const {
  std::error_code error;
  return fs::exists(file(relative), error);
}

std::string PortableInstall::readFile(const std::string& relative) const {
  std::ifstream in(file(relative), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace Tavrune::E2E
