#include "EngineLaunch.h"

#include <atomic>
#include <filesystem>
#include <fstream>

#include "support/TempFolder.h"

#ifdef _WIN32
#include "platform/WinProcessManager.h"
#else
#include "PosixProcess.h"
#endif

namespace Tavrune::Test {

namespace {

// The build embeds Unix paths; under Wine the Unix root is drive Z:.
std::string openablePath(const std::string& unixPath) {
#ifdef _WIN32
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
#else
  return unixPath;
#endif
}

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string toUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

std::string fakeEnginePath() {
  return openablePath(TAVRUNE_FAKE_ENGINE);
}

std::string freshTestFolder(const std::string& name) {
  // One folder per process, so programs running side by side never share one; removed
  // with everything in it when the program ends, however its tests went.
  static const TempFolder processFolder("engine-tests");
  static std::atomic<int> counter{0};
  const std::string leaf = name + "-" + std::to_string(counter++);
  const std::filesystem::path folder = processFolder.path() / std::u8string(leaf.begin(), leaf.end());
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return toUtf8(folder);
}

std::unique_ptr<IProcessManager> newPlatformProcess() {
#ifdef _WIN32
  return std::make_unique<WinProcessManager>();
#else
  return std::make_unique<PosixProcess>();
#endif
}

EngineLaunch fakeEngine(const std::string& script) {
  const std::filesystem::path file = std::filesystem::path(freshTestFolder("script")) / "engine.script";
  std::ofstream(file, std::ios::binary) << script;
  return {newPlatformProcess(), quoted(fakeEnginePath()) + " " + quoted(toUtf8(file))};
}

std::optional<EngineLaunch> realEngine(RelayMode mode, std::string& missingReason) {
#ifdef _WIN32
  const std::string engine = openablePath(TAVRUNE_WINDOWS_ENGINE);
  if (!std::filesystem::is_regular_file(engine)) {
    missingReason = "Fairy-Stockfish for Windows is missing: " + engine + " (run scripts/setup.sh)";
    return std::nullopt;
  }
  const std::string relay = openablePath(TAVRUNE_ENGINE_RELAY);
  return EngineLaunch{std::make_unique<WinProcessManager>(),
                      quoted(relay) + (mode == RelayMode::UcciFallback ? " ucci " : " uci ") + quoted(engine)};
#else
  const std::string engine = TAVRUNE_HOST_ENGINE;
  if (!std::filesystem::is_regular_file(engine)) {
    missingReason = "Fairy-Stockfish is missing: " + engine + " (apt-get install fairy-stockfish)";
    return std::nullopt;
  }
  return EngineLaunch{std::make_unique<PosixProcess>(mode), engine};
#endif
}

std::optional<EngineLaunch> realEngineDirect(std::string& missingReason) {
  std::optional<EngineLaunch> launch = realEngine(RelayMode::UciXiangqi, missingReason);
  if (!launch) return std::nullopt;
#ifdef _WIN32
  return EngineLaunch{newPlatformProcess(), quoted(openablePath(TAVRUNE_WINDOWS_ENGINE))};
#else
  return EngineLaunch{newPlatformProcess(), TAVRUNE_HOST_ENGINE};
#endif
}

}  // namespace Tavrune::Test
