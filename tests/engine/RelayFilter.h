#pragma once
// What the test relay does between the engine driver and Fairy-Stockfish, line by line,
// so that one real engine can play both dialects Pikafish-like builds speak:
// - UCCI fallback: the first "uci" is answered "Unknown command: uci" and never reaches
//   the engine, so the driver falls back to "ucci".
// - UCI xiangqi: the xiangqi variant is set after "uciok", and the engine's 1-based
//   ranks ("h1g3", "a10a9") become the 0-based ones Pikafish writes ("h0g2", "a9a8").
#include <string>
#include <vector>

namespace Tavrune::Test {

enum class RelayMode { UcciFallback, UciXiangqi };

class RelayFilter {
 public:
  struct Routing {
    std::vector<std::string> toEngine;
    std::vector<std::string> toDriver;
  };

  explicit RelayFilter(RelayMode mode) : mode(mode) {}

  // A line the driver wrote (without its line end).
  Routing fromDriver(const std::string& line);
  // A line the engine printed (without its line end).
  Routing fromEngine(const std::string& line);

  // "h1g3" -> "h0g2"; other words unchanged.
  static std::string toZeroBasedRanks(const std::string& line);
  // A mode name on a command line: "ucci" or "uci".
  static bool parseMode(const std::string& text, RelayMode& mode);

 private:
  RelayMode mode;
  bool answeredUci = false;
};

}  // namespace Tavrune::Test
