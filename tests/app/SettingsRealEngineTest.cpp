// Settings commits reaching a real engine (Fairy-Stockfish behind the engine tests'
// relay): what it is told when the search limits change, and what its idle state shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "ai/ProcessTaps.h"
#include "app/AIFrontEnd.h"
#include "app/ScratchFolder.h"
#include "app/SettingsMirrors.h"
#include "core/ConfigManager.h"
#include "engine/EngineLaunch.h"
#include "settings/ConfigManagerDataSource.h"
#include "settings/SettingsCatalogue.h"
#include "support/TestPaths.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit = 60s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

std::string lastLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  auto found = std::find_if(lines.rbegin(), lines.rend(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  return found == lines.rend() ? "" : *found;
}

TEST(SettingsRealEngine, SearchLimitsFollowCommitsAndTheIdleEngineTakesItsHash) {
  std::string missing;
  std::optional<Tavrune::Test::EngineLaunch> launch =
      Tavrune::Test::realEngine(Tavrune::Test::RelayMode::UciXiangqi, missing);
  if (!launch) TAVRUNE_SKIP_OR_FAIL_IN_CI(missing);
  Tavrune::Test::ScratchFolder folder("settings-引擎");
  ConfigManager::resetForTesting({folder.utf8(), folder.utf8("per-user")});
  ConfigManager::setPortableMode(true);

  auto taps = std::make_shared<Tavrune::Test::ProcessTaps>();
  AIFrontEnd engine;
  engine.setEnginePath(launch->commandLine);
  engine.setProcessManagerFactory([taps] {
    std::string reason;
    return taps->tap(std::move(Tavrune::Test::realEngine(Tavrune::Test::RelayMode::UciXiangqi, reason)->process));
  });
  EngineTimeouts timeouts;
  timeouts.handshake = 30s;
  engine.engine().setEngineTimeouts(timeouts);
  engine.setThreads(1);
  engine.setHash(16);
  std::atomic<int> moves{0};
  engine.setMoveReadyCallback([&](const Move&) { ++moves; });
  ASSERT_TRUE(engine.initialize());
  ASSERT_TRUE(waitFor([&] { return engine.getEngineStateText() == "空闲"; }));

  Tavrune::Test::SettingsMirrors mirrors;
  mirrors.enginePath = launch->commandLine;
  Settings::CallbackActionExecutor executor;
  registerSettingsAppliers(executor, mirrors.targets(&engine, nullptr, nullptr));
  Settings::Provider provider(Settings::buildSettingsSchema(),
                              Settings::makeConfigManagerDataSource(&ConfigManager::loadConfig,
                                                                    &ConfigManager::saveConfig,
                                                                    ConfigManager::getConfigFilePath()),
                              &executor);
  provider.setPlatform(Settings::Platform::WindowsDesktop);

  const auto commit = [&](std::vector<std::pair<std::string, Settings::SettingValue>> edits) {
    ASSERT_TRUE(provider.openSession(nullptr));
    for (const auto& [key, value] : edits) ASSERT_TRUE(provider.setDraftValue(key, value, nullptr)) << key;
    std::vector<std::string> errors;
    ASSERT_TRUE(provider.closeSession(true, &errors)) << (errors.empty() ? "" : errors[0]);
  };
  const auto search = [&] {
    const int before = moves;
    Board start;
    start.setupInitialPosition();
    ASSERT_TRUE(engine.startThinking(start, RED));
    ASSERT_TRUE(waitFor([&] { return moves > before; }));
    ASSERT_TRUE(waitFor([&] { return engine.getEngineStateText() == "空闲"; }));
  };

  ASSERT_TRUE(provider.openSession(nullptr));
  fillEngineInfoRows(provider, engine);
  const auto rows = provider.listPageControls("menu.settings.ai.engine");
  EXPECT_EQ(rows.at(0).value, Settings::SettingValue(std::string("空闲")));
  EXPECT_NE(rows.at(1).value, Settings::SettingValue(std::string()));  // the engine's name
  EXPECT_EQ(rows.at(5).value, Settings::SettingValue(std::to_string(engine.getEngineOptionCount()) + " 个 UCI 选项"));
  EXPECT_GT(engine.getEngineOptionCount(), 0);

  commit({{"ai.searchLimitMode", int64_t{1}}, {"ai.depthProfile", int64_t{8}}, {"ai.hashSize", int64_t{64}}});
  EXPECT_EQ(lastLineStarting(taps->written(0), "setoption name Hash"), "setoption name Hash value 64");
  search();
  EXPECT_EQ(lastLineStarting(taps->written(0), "go "), "go depth 8");

  commit({{"ai.searchLimitMode", int64_t{0}}});
  search();
  EXPECT_EQ(lastLineStarting(taps->written(0), "go "), "go movetime 3000");

  // The window's own save (the same fields it writes) keeps both limits.
  AIConfig saved;
  mirrors.engine.writeTo(saved);
  ASSERT_TRUE(ConfigManager::saveConfig(saved, mirrors.player2Scheme, mirrors.a11y, &mirrors.system, &mirrors.audio));
  AIConfig read;
  ConfigManager::loadConfig(read, mirrors.player2Scheme, mirrors.a11y, &mirrors.system, &mirrors.audio);
  EXPECT_EQ(read.timeLimit, 3000);
  EXPECT_EQ(read.depth, 8);
  ConfigManager::resetForTesting();
}

}  // namespace
}  // namespace Tavrune
