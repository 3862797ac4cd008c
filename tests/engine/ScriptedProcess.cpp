#include "ScriptedProcess.h"

#include <algorithm>
#include <cstring>

namespace Tavrune::Test {

void ScriptedEngineIo::setResponder(Responder newResponder) {
  std::lock_guard<std::mutex> lock(mutex);
  responder = std::move(newResponder);
}

void ScriptedEngineIo::emit(const std::string& bytes) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!bytes.empty()) chunks.push_back(bytes);
  }
  changed.notify_all();
}

void ScriptedEngineIo::emitLines(std::initializer_list<std::string> newLines) {
  std::string chunk;
  for (const std::string& line : newLines) chunk += line + "\n";
  emit(chunk);
}

void ScriptedEngineIo::emitNothing() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    chunks.push_back(std::string());
  }
  changed.notify_all();
}

void ScriptedEngineIo::endOutput() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    ended = true;
  }
  changed.notify_all();
}

std::vector<std::string> ScriptedEngineIo::written() const {
  std::lock_guard<std::mutex> lock(mutex);
  return lines;
}

size_t ScriptedEngineIo::writtenCount() const {
  std::lock_guard<std::mutex> lock(mutex);
  return lines.size();
}

bool ScriptedEngineIo::waitForWritten(const std::string& line, std::chrono::milliseconds timeout, size_t from) const {
  std::unique_lock<std::mutex> lock(mutex);
  return changed.wait_for(lock, timeout, [&] {
    return lines.size() > from && std::find(lines.begin() + static_cast<long>(from), lines.end(), line) != lines.end();
  });
}

size_t ScriptedEngineIo::countWritten(const std::string& line) const {
  std::lock_guard<std::mutex> lock(mutex);
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

void ScriptedEngineIo::setStartFails(bool fails) {
  std::lock_guard<std::mutex> lock(mutex);
  startFails = fails;
}

void ScriptedEngineIo::setWritesFail(bool fail) {
  std::lock_guard<std::mutex> lock(mutex);
  writesFail = fail;
}

void ScriptedEngineIo::setReadsIgnoreTerminate(bool ignore) {
  std::lock_guard<std::mutex> lock(mutex);
  readsIgnoreTerminate = ignore;
}

void ScriptedEngineIo::releaseReads() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    readsReleased = true;
  }
  changed.notify_all();
}

bool ScriptedEngineIo::wasStarted() const {
  std::lock_guard<std::mutex> lock(mutex);
  return started;
}

std::string ScriptedEngineIo::commandLine() const {
  std::lock_guard<std::mutex> lock(mutex);
  return commandText;
}

int ScriptedEngineIo::terminateCount() const {
  std::lock_guard<std::mutex> lock(mutex);
  return terminations;
}

int ScriptedEngineIo::rawWriteCount() const {
  std::lock_guard<std::mutex> lock(mutex);
  return rawWrites;
}

bool ScriptedProcess::start(const std::string& commandLine) {
  std::lock_guard<std::mutex> lock(io->mutex);
  io->commandText = commandLine;
  if (io->startFails) return false;
  io->started = true;
  io->terminated = false;
  io->ended = false;
  return true;
}

bool ScriptedProcess::write(const std::string& text) {
  std::vector<std::string> newLines;
  ScriptedEngineIo::Responder responder;
  {
    std::lock_guard<std::mutex> lock(io->mutex);
    ++io->rawWrites;
    if (!io->started || io->terminated || io->writesFail) return false;
    size_t start = 0;
    size_t newline;
    while ((newline = text.find('\n', start)) != std::string::npos) {
      newLines.push_back(text.substr(start, newline - start));
      start = newline + 1;
    }
    if (start < text.size()) newLines.push_back(text.substr(start));
    io->lines.insert(io->lines.end(), newLines.begin(), newLines.end());
    responder = io->responder;
  }
  io->changed.notify_all();
  if (responder) {
    for (const std::string& line : newLines) responder(line, *io);
  }
  return true;
}

int32_t ScriptedProcess::read(char* buffer, int32_t maxBytes) {
  std::unique_lock<std::mutex> lock(io->mutex);
  io->changed.wait(lock, [&] {
    if (io->readsIgnoreTerminate) return io->readsReleased;
    return !io->chunks.empty() || io->ended || io->terminated || !io->started;
  });
  if (io->readsIgnoreTerminate || io->terminated || !io->started) return -1;
  if (io->chunks.empty()) return -1;  // output ended
  std::string& chunk = io->chunks.front();
  const size_t count = std::min(chunk.size(), static_cast<size_t>(maxBytes));
  std::memcpy(buffer, chunk.data(), count);
  if (count == chunk.size()) {
    io->chunks.pop_front();
  } else {
    chunk.erase(0, count);
  }
  return static_cast<int32_t>(count);
}

bool ScriptedProcess::isRunning() {
  std::lock_guard<std::mutex> lock(io->mutex);
  return io->started && !io->terminated && !io->ended;
}

void ScriptedProcess::terminate() {
  {
    std::lock_guard<std::mutex> lock(io->mutex);
    ++io->terminations;
    io->terminated = true;
  }
  io->changed.notify_all();
}

ScriptedEngineIo::Responder uciEngine(std::vector<std::string> declaration) {
  return [declaration](const std::string& line, ScriptedEngineIo& io) {
    if (line == "uci") {
      std::string chunk;
      for (const std::string& d : declaration) chunk += d + "\n";
      io.emit(chunk + "uciok\n");
    } else if (line == "isready") {
      io.emit("readyok\n");
    } else if (line == "quit") {
      io.endOutput();
    }
  };
}

}  // namespace Tavrune::Test
