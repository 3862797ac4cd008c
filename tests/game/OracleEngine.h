#pragma once
// fairy-stockfish as an independent rules oracle: a child process spoken to over UCI,
// asked for xiangqi perft counts. Host only (POSIX process calls).
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace Tavrune::Test {

class OracleEngine {
 public:
  // Where Debian's package installs it (not on root's PATH).
  static constexpr const char* DEFAULT_PATH = "/usr/games/fairy-stockfish";
  // Each answer must come within this time; a silent engine fails the request.
  static constexpr int ANSWER_TIMEOUT_MS = 60000;

  struct PerftResult {
    uint64_t nodes = 0;
    std::map<std::string, uint64_t> divide;  // per first move, in the engine's text
    double seconds = 0;                      // from sending "go perft" to the total
  };

  OracleEngine() = default;
  ~OracleEngine();
  OracleEngine(const OracleEngine&) = delete;
  OracleEngine& operator=(const OracleEngine&) = delete;

  static bool isInstalled(const std::string& path = DEFAULT_PATH);

  // Starts the engine and switches it to xiangqi; false (with error()) when it fails.
  bool start(const std::string& path = DEFAULT_PATH);
  std::optional<PerftResult> perft(const std::string& fen, int depth);
  const std::string& error() const { return lastError; }

 private:
  bool send(const std::string& line);
  bool readLine(std::string& line, int timeoutMs);
  bool waitFor(const std::string& expected);
  void stop();

  pid_t pid = -1;
  int channel = -1;
  std::string pending;
  std::string lastError;
};

}  // namespace Tavrune::Test
