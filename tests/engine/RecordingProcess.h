#pragma once
// Wraps a process interface to see what the driver writes, and when output holding
// "bestmove" came off the pipe (for the benchmark).
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IProcessManager.h"

namespace Tavrune::Test {

class ProcessRecord {
 public:
  void addWrite(const std::string& text);
  std::vector<std::string> lines() const;
  void markBestmoveRead() { lastBestmoveRead = std::chrono::steady_clock::now().time_since_epoch().count(); }
  std::chrono::steady_clock::time_point bestmoveReadAt() const {
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(lastBestmoveRead.load()));
  }

 private:
  mutable std::mutex mutex;
  std::vector<std::string> written;
  std::atomic<std::chrono::steady_clock::rep> lastBestmoveRead{0};
};

class RecordingProcess : public IProcessManager {
 public:
  RecordingProcess(std::unique_ptr<IProcessManager> inner, std::shared_ptr<ProcessRecord> record)
      : inner(std::move(inner)), record(std::move(record)) {}

  bool start(const std::string& commandLine) override { return inner->start(commandLine); }
  bool write(const std::string& text) override {
    record->addWrite(text);
    return inner->write(text);
  }
  int32_t read(char* buffer, int32_t maxBytes) override;
  bool isRunning() override { return inner->isRunning(); }
  void terminate() override { inner->terminate(); }

 private:
  std::unique_ptr<IProcessManager> inner;
  std::shared_ptr<ProcessRecord> record;
};

}  // namespace Tavrune::Test
