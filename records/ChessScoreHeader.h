#pragma once
// The fourteen header texts of a game record, named after the PGN tags that fill them.
#include <string>

namespace Tavrune {

struct ChessScoreHeader {
  std::string event;
  std::string site;
  std::string date;
  std::string round;
  std::string red;
  std::string black;
  std::string redElo;
  std::string blackElo;
  std::string result;
  std::string ecco;
  std::string opening;
  std::string variation;
  std::string annotator;
  std::string reserved;  // only ever emptied

  void clear() { *this = ChessScoreHeader(); }
  friend bool operator==(const ChessScoreHeader&, const ChessScoreHeader&) = default;
};

}  // namespace Tavrune
