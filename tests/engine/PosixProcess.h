#pragma once
// A POSIX child process behind IProcessManager, for the host build (ThreadSanitizer)
// only: fork and exec with pipes, standard error joined to standard output, and reads
// that terminate() releases. With a relay mode it also does the relay's work on the
// lines passing through (see RelayFilter.h).
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>

#include "RelayFilter.h"
#include "engine/IProcessManager.h"

namespace Tavrune::Test {

class PosixProcess : public IProcessManager {
 public:
  PosixProcess() = default;
  explicit PosixProcess(RelayMode relay) : filter(std::in_place, relay) {}
  ~PosixProcess() override;

  // The command line is split at spaces; double quotes group words.
  bool start(const std::string& commandLine) override;
  bool write(const std::string& text) override;
  int32_t read(char* buffer, int32_t maxBytes) override;
  bool isRunning() override;
  void terminate() override;

 private:
  bool writeRaw(const std::string& bytes);
  int32_t readRaw(char* buffer, int32_t maxBytes);

  std::mutex mutex;       // guards the descriptors, pid and the relay state
  std::mutex writeMutex;  // one line at a time on the child's input
  pid_t pid = -1;
  int inputFd = -1;
  int outputFd = -1;
  int cancelRead = -1;    // a byte here releases a blocked read
  int cancelWrite = -1;
  int activeReads = 0;
  std::optional<RelayFilter> filter;
  std::string relayPending;  // engine output not yet ended by a line break
  std::string relayReady;    // relayed output waiting to be read
  std::string driverPending; // driver input not yet ended by a line break
};

}  // namespace Tavrune::Test
