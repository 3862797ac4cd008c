#pragma once
// The engine child process on Windows: its standard input and output (with standard
// error joined to it) are pipes, it has no console window. Reads and writes wait on the
// pipe and on a cancel event, so terminate() releases a read blocked on another thread.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "engine/EngineTimeouts.h"
#include "engine/IProcessManager.h"

namespace Tavrune {

class WinProcessManager : public IProcessManager {
 public:
  WinProcessManager();
  ~WinProcessManager() override;
  WinProcessManager(const WinProcessManager&) = delete;
  WinProcessManager& operator=(const WinProcessManager&) = delete;

  // An existing file (a relative path is taken from the program folder) is started as
  // the application itself with a quoted command line, so a path with spaces can never
  // start another program; any other text is passed on as a command line.
  bool start(const std::string& commandLine) override;
  bool write(const std::string& text) override;
  int32_t read(char* buffer, int32_t maxBytes) override;
  bool isRunning() override;
  void terminate() override;

 private:
  // Windows handles, kept as void* so that this header needs no <windows.h>.
  using Handle = void*;

  void closeHandles();

  std::mutex ioMutex;                // guards the handles and activeIo
  std::condition_variable ioIdle;    // activeIo dropped to zero
  int activeIo = 0;                  // reads and writes under way
  std::mutex writeMutex;             // one command at a time on the input pipe
  Handle processHandle = nullptr;
  Handle inputWrite = nullptr;       // our end of the child's standard input
  Handle outputRead = nullptr;       // our end of the child's standard output
  Handle readEvent = nullptr;
  Handle writeEvent = nullptr;
  Handle cancelEvent = nullptr;      // set by terminate; releases waiting reads and writes
  EngineTimeouts timeouts;
};

}  // namespace Tavrune
