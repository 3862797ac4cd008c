#include "game/OracleEngine.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace Tavrune::Test {

namespace {

constexpr int QUIT_GRACE_MS = 2000;

std::string trimmed(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

}  // namespace

OracleEngine::~OracleEngine() { stop(); }

bool OracleEngine::isInstalled(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

bool OracleEngine::start(const std::string& path) {
  // One socket for both directions: writes use MSG_NOSIGNAL, so a dead engine is an
  // error here rather than a SIGPIPE that kills the test program.
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
    lastError = std::string("socketpair: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
  const int rc = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(sockets[1]);
  if (rc != 0) {
    ::close(sockets[0]);
    pid = -1;
    lastError = "cannot start " + path + ": " + std::strerror(rc);
    return false;
  }
  channel = sockets[0];
  return send("uci") && waitFor("uciok") && send("setoption name UCI_Variant value xiangqi") &&
         send("isready") && waitFor("readyok");
}

std::optional<OracleEngine::PerftResult> OracleEngine::perft(const std::string& fen, int depth) {
  PerftResult result;
  if (!send("position fen " + fen)) return std::nullopt;
  const auto started = std::chrono::steady_clock::now();
  if (!send("go perft " + std::to_string(depth))) return std::nullopt;
  std::string line;
  while (readLine(line, ANSWER_TIMEOUT_MS)) {
    if (line.rfind("Nodes searched:", 0) == 0) {
      result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      result.nodes = std::stoull(line.substr(std::strlen("Nodes searched:")));
      return result;
    }
    const size_t colon = line.find(": ");
    if (colon != std::string::npos && colon >= 4 && colon <= 6) {
      result.divide[line.substr(0, colon)] = std::stoull(line.substr(colon + 2));
    }
  }
  return std::nullopt;
}

bool OracleEngine::send(const std::string& line) {
  const std::string text = line + "\n";
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::send(channel, text.data() + written, text.size() - written, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      lastError = "engine closed its input";
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

bool OracleEngine::readLine(std::string& line, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const size_t end = pending.find('\n');
    if (end != std::string::npos) {
      line = trimmed(pending.substr(0, end));
      pending.erase(0, end + 1);
      return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      lastError = "engine gave no answer in time";
      return false;
    }
    pollfd pfd{channel, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(channel, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      lastError = "engine closed its output";
      return false;
    }
    pending.append(buffer, static_cast<size_t>(n));
  }
}

bool OracleEngine::waitFor(const std::string& expected) {
  std::string line;
  while (readLine(line, ANSWER_TIMEOUT_MS)) {
    if (line == expected) return true;
  }
  lastError = "no \"" + expected + "\": " + lastError;
  return false;
}

void OracleEngine::stop() {
  if (pid <= 0) return;
  send("quit");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(QUIT_GRACE_MS);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    ::usleep(10000);
  }
  pid = -1;
  ::close(channel);
  channel = -1;
}

}  // namespace Tavrune::Test
