#pragma once
// The side file that lets the relay stand in for the program's engine with no help from
// its caller: installed as "engines/pikafish.exe", the relay reads "pikafish.relay"
// beside itself, which names its mode and the engine it fronts, for example
//   mode=uci
//   engine=fairy-stockfish.exe
// One "key=value" per line; blank lines, lines starting with '#', unknown keys, a UTF-8
// byte-order mark, CR line ends and spaces around keys and values are ignored, so a file
// edited in Notepad still reads. A relative engine path is taken from the relay's folder.
#include <string>

namespace Tavrune::Test {

struct RelaySettings {
  std::string mode;    // "ucci" or "uci"; empty when the file does not say
  std::string engine;  // UTF-8; empty when the file does not say

  static RelaySettings parse(const std::string& text);
};

}  // namespace Tavrune::Test
