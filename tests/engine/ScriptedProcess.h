#pragma once
// An in-process engine for protocol tests: the test scripts what the engine prints
// (chunk by chunk, split wherever it likes) and sees every line the driver wrote.
// The driver owns the ScriptedProcess; the test keeps the shared ScriptedEngineIo.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IProcessManager.h"

namespace Tavrune::Test {

class ScriptedEngineIo {
 public:
  // Called on the writing thread for each line the driver writes.
  using Responder = std::function<void(const std::string& line, ScriptedEngineIo& io)>;

  void setResponder(Responder responder);
  // One chunk: a read returns at most this (the rest on the next read).
  void emit(const std::string& bytes);
  // Each line with "\n", all in one chunk.
  void emitLines(std::initializer_list<std::string> lines);
  // A read that returns 0 bytes.
  void emitNothing();
  // The output ends: reads return -1 once the queued chunks are read.
  void endOutput();

  std::vector<std::string> written() const;
  size_t writtenCount() const;
  // Waits until a line equal to `line` was written at index `from` or later.
  bool waitForWritten(const std::string& line, std::chrono::milliseconds timeout, size_t from = 0) const;
  // Number of lines equal to `line`.
  size_t countWritten(const std::string& line) const;

  void setStartFails(bool fails);
  void setWritesFail(bool fail);
  // Reads ignore terminate (a broken process interface) until releaseReads().
  void setReadsIgnoreTerminate(bool ignore);
  void releaseReads();

  bool wasStarted() const;
  std::string commandLine() const;
  int terminateCount() const;
  int rawWriteCount() const;

 private:
  friend class ScriptedProcess;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  Responder responder;
  std::deque<std::string> chunks;
  std::vector<std::string> lines;
  std::string commandText;
  bool started = false;
  bool ended = false;
  bool terminated = false;
  bool startFails = false;
  bool writesFail = false;
  bool readsIgnoreTerminate = false;
  bool readsReleased = false;
  int terminations = 0;
  int rawWrites = 0;
};

class ScriptedProcess : public IProcessManager {
 public:
  explicit ScriptedProcess(std::shared_ptr<ScriptedEngineIo> io) : io(std::move(io)) {}

  bool start(const std::string& commandLine) override;
  bool write(const std::string& text) override;
  int32_t read(char* buffer, int32_t maxBytes) override;
  bool isRunning() override;
  void terminate() override;

 private:
  std::shared_ptr<ScriptedEngineIo> io;
};

// A responder that plays a UCI engine: on "uci" the given declaration lines and
// "uciok", on "isready" "readyok", on "quit" the end of output.
ScriptedEngineIo::Responder uciEngine(std::vector<std::string> declaration);

}  // namespace Tavrune::Test
