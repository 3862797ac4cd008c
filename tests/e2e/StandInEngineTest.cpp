// The stand-in engine that scripts/run.sh gives a newcomer: what
// scripts/install-standin-engine.sh put into a folder (ctest runs it first, on the Linux
// side) is copied into a portable copy of the program, which is started with default engine
// settings and no relay variables, as a user would start it, and plays the opening move.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "e2e/DebugLogFile.h"
#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "e2e/WinEventWatcher.h"

namespace Tavrune::E2E {
namespace {

constexpr WPARAM kEngineGameCommand = 201;
// Starting the engine under Wine and its first search at the default three seconds.
constexpr int kEngineStartMs = 40000;

TEST(StandInEngineTest, InstalledStandInOpensTheGameWhenThePlayerTakesBlack) {
  const uintmax_t logOffset = fileSize(debugLogPath());
  PortableInstall install("standin");
  const std::filesystem::path staged = PortableInstall::buildMachinePath(TAVRUNE_STANDIN_PROGRAM) / "engines";
  for (const auto& entry : std::filesystem::directory_iterator(staged)) {
    install.copyIn(entry.path(), "engines/" + entry.path().filename().string());
  }
  // Engine settings stay at their defaults; only the debug log is switched on, for a failure.
  install.writeFile("config/config.json", "{\"System\": {\"LoggerEnabled\": true}}");
  // Only the relay's side file may tell it what to run.
  SetEnvironmentVariableW(L"TAVRUNE_RELAY_MODE", nullptr);
  SetEnvironmentVariableW(L"TAVRUNE_RELAY_ENGINE", nullptr);

  RunningProgram program(install.program(), L"--portable");
  ASSERT_TRUE(program.started());
  ASSERT_NE(program.waitForWindow(L"TavruneWindow"), nullptr);
  const std::wstring engineFound = L"Velmora - 内置Pikafish引擎加载成功";
  ASSERT_EQ(program.waitForTitle(engineFound), engineFound);
  WinEventWatcher events(program.processId());
  ASSERT_TRUE(events.hooked());

  PostMessageW(program.window(), WM_COMMAND, kEngineGameCommand, 0);
  ASSERT_TRUE(program.answerBox(L"人机对战 - 选择执棋方", IDNO)) << "no side box";
  // A move as spoken in plain notation: "红炮 2 7 到 5 7".
  const std::optional<size_t> opening = events.waitForNameFrom(
      0, [](const std::wstring& name) { return name.rfind(L"红", 0) == 0 && name.find(L" 到 ") != std::wstring::npos; },
      kEngineStartMs);
  if (!opening) {
    std::ifstream log(debugLogPath(), std::ios::binary);
    log.seekg(static_cast<std::streamoff>(logOffset));
    FAIL() << "no engine move heard; the debug log of this test:\n" << std::string(std::istreambuf_iterator<char>(log), {});
  }
}

}  // namespace
}  // namespace Tavrune::E2E
