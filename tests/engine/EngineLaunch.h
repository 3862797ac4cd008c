#pragma once
// Starting real child processes in tests: the scripted fake engine and Fairy-Stockfish
// behind the relay. Windows uses WinProcessManager with PE programs (Wine can give pipes
// only to Windows programs); the host build uses PosixProcess.
#include <memory>
#include <optional>
#include <string>

#include "RelayFilter.h"
#include "engine/IProcessManager.h"

namespace Tavrune::Test {

struct EngineLaunch {
  std::unique_ptr<IProcessManager> process;
  std::string commandLine;
};

// A new empty folder for this test's files (scripts, records); gone when the process ends.
std::string freshTestFolder(const std::string& name);
// Writes a fake-engine script and returns how to start the fake with it.
EngineLaunch fakeEngine(const std::string& script);
// Fairy-Stockfish speaking the dialect of `mode`; nullopt (with the reason) when the
// engine is not installed.
std::optional<EngineLaunch> realEngine(RelayMode mode, std::string& missingReason);
// Fairy-Stockfish started directly, without the relay (it then plays chess, which is
// enough to time "isready").
std::optional<EngineLaunch> realEngineDirect(std::string& missingReason);
// A process interface of this platform, not yet started.
std::unique_ptr<IProcessManager> newPlatformProcess();
// The path of the fake engine program, as this process opens it.
std::string fakeEnginePath();

}  // namespace Tavrune::Test
