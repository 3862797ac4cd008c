#include "PosixProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

namespace Tavrune::Test {

namespace {

std::vector<std::string> splitCommandLine(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

void closeFd(int& fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

}  // namespace

PosixProcess::~PosixProcess() {
  terminate();
}

bool PosixProcess::start(const std::string& commandLine) {
  // A write to an engine that has exited must fail, not end the test program.
  ::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> words = splitCommandLine(commandLine);
  if (words.empty()) return false;
  int toChild[2];
  int fromChild[2];
  int cancel[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) return false;
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    ::close(toChild[0]);
    ::close(toChild[1]);
    return false;
  }
  if (pipe2(cancel, O_CLOEXEC) != 0) {
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) ::close(fd);
    return false;
  }
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    // Only async-signal-safe calls between fork and exec.
    dup2(toChild[0], STDIN_FILENO);
    dup2(fromChild[1], STDOUT_FILENO);
    dup2(fromChild[1], STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  ::close(toChild[0]);
  ::close(fromChild[1]);
  if (child < 0) {
    for (int fd : {toChild[1], fromChild[0], cancel[0], cancel[1]}) ::close(fd);
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex);
  pid = child;
  inputFd = toChild[1];
  outputFd = fromChild[0];
  cancelRead = cancel[0];
  cancelWrite = cancel[1];
  return true;
}

bool PosixProcess::writeRaw(const std::string& bytes) {
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex);
    fd = inputFd;
  }
  if (fd < 0) return false;
  size_t offset = 0;
  while (offset < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + offset, bytes.size() - offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    offset += static_cast<size_t>(n);
  }
  return true;
}

bool PosixProcess::write(const std::string& text) {
  std::lock_guard<std::mutex> writer(writeMutex);
  if (!filter) return writeRaw(text);
  std::vector<std::string> toEngine;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (inputFd < 0) return false;
    driverPending += text;
    size_t newline;
    while ((newline = driverPending.find('\n')) != std::string::npos) {
      RelayFilter::Routing routing = filter->fromDriver(driverPending.substr(0, newline));
      driverPending.erase(0, newline + 1);
      toEngine.insert(toEngine.end(), routing.toEngine.begin(), routing.toEngine.end());
      for (const std::string& line : routing.toDriver) relayReady += line + "\n";
    }
    // A reply of the relay itself wakes a read waiting on the engine.
    if (!relayReady.empty() && cancelWrite >= 0) {
      const char wake = 'w';
      [[maybe_unused]] ssize_t n = ::write(cancelWrite, &wake, 1);
    }
  }
  bool ok = true;
  for (const std::string& line : toEngine) ok = writeRaw(line + "\n") && ok;
  return ok;
}

int32_t PosixProcess::readRaw(char* buffer, int32_t maxBytes) {
  int fd;
  int cancel;
  {
    std::lock_guard<std::mutex> lock(mutex);
    fd = outputFd;
    cancel = cancelRead;
    if (fd < 0) return -1;
    ++activeReads;
  }
  int32_t result = -1;
  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {cancel, POLLIN, 0}};
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    if (fds[1].revents != 0) {
      char drained;
      [[maybe_unused]] ssize_t n = ::read(cancel, &drained, 1);
      result = -2;  // woken: relayed text is waiting, or the process was terminated
      break;
    }
    const ssize_t n = ::read(fd, buffer, static_cast<size_t>(maxBytes));
    if (n < 0 && errno == EINTR) continue;
    result = n <= 0 ? -1 : static_cast<int32_t>(n);
    break;
  }
  std::lock_guard<std::mutex> lock(mutex);
  --activeReads;
  return result;
}

int32_t PosixProcess::read(char* buffer, int32_t maxBytes) {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (outputFd < 0) return -1;
      if (!relayReady.empty()) {
        const size_t count = std::min(relayReady.size(), static_cast<size_t>(maxBytes));
        std::memcpy(buffer, relayReady.data(), count);
        relayReady.erase(0, count);
        return static_cast<int32_t>(count);
      }
    }
    std::vector<char> raw(static_cast<size_t>(maxBytes));
    const int32_t n = readRaw(raw.data(), maxBytes);
    if (n == -2) continue;  // check the relayed text or the terminated state again
    if (n < 0) return -1;
    if (!filter) {
      std::memcpy(buffer, raw.data(), static_cast<size_t>(n));
      return n;
    }
    std::vector<std::string> toEngine;
    {
      std::lock_guard<std::mutex> lock(mutex);
      relayPending.append(raw.data(), static_cast<size_t>(n));
      size_t newline;
      while ((newline = relayPending.find('\n')) != std::string::npos) {
        std::string line = relayPending.substr(0, newline);
        relayPending.erase(0, newline + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        RelayFilter::Routing routing = filter->fromEngine(line);
        toEngine.insert(toEngine.end(), routing.toEngine.begin(), routing.toEngine.end());
        for (const std::string& out : routing.toDriver) relayReady += out + "\n";
      }
    }
    {
      std::lock_guard<std::mutex> writer(writeMutex);
      for (const std::string& line : toEngine) writeRaw(line + "\n");
    }
  }
}

bool PosixProcess::isRunning() {
  std::lock_guard<std::mutex> lock(mutex);
  if (pid <= 0) return false;
  int status = 0;
  if (::waitpid(pid, &status, WNOHANG) == 0) return true;
  pid = -1;  // reaped: never signal a number the system may give to another process
  return false;
}

void PosixProcess::terminate() {
  std::unique_lock<std::mutex> lock(mutex);
  if (cancelWrite >= 0) {
    const char wake = 't';
    [[maybe_unused]] ssize_t n = ::write(cancelWrite, &wake, 1);
  }
  const int output = outputFd;
  outputFd = -1;  // the woken read sees this and returns -1
  lock.unlock();
  // Let a released read leave poll before its descriptors close.
  for (int i = 0; i < 200; ++i) {
    {
      std::lock_guard<std::mutex> guard(mutex);
      if (activeReads == 0) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  lock.lock();
  int fd = output;
  closeFd(fd);
  closeFd(inputFd);
  closeFd(cancelRead);
  closeFd(cancelWrite);
  if (pid > 0) {
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = -1;
  }
}

}  // namespace Tavrune::Test
