#include "support/TestPaths.h"

#include <cstdlib>
#include <filesystem>

namespace Tavrune::Test {

namespace {

// Under Wine the build embeds Unix paths; Wine maps the Unix root to drive Z:.
std::string hostPath(const std::string& unixPath) {
#ifdef _WIN32
  std::string p = "Z:" + unixPath;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return p;
#else
  return unixPath;
#endif
}

}  // namespace

std::string sourceDir() { return hostPath(TAVRUNE_SOURCE_DIR); }
std::string binaryDir() { return hostPath(TAVRUNE_BINARY_DIR); }

std::string sharedDir() {
  if (const char* env = std::getenv("TAVRUNE_SHARED_DIR"); env && *env) {
    return env;
  }
  std::error_code ec;
  std::filesystem::path shared = std::filesystem::path(TAVRUNE_SOURCE_DIR).parent_path() / "shared";
  if (std::filesystem::is_directory(hostPath(shared.string()), ec)) {
    return hostPath(shared.string());
  }
  return {};
}

bool runningInCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0';
}

}  // namespace Tavrune::Test
