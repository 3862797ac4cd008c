#pragma once
// Engine and difficulty settings: the "AI" section of "config.json".
#include <string>

namespace Tavrune {

struct AIConfig {
  std::string enginePath = "engines\\pikafish.exe";  // relative to the program folder or absolute
  std::string engineVariant = "auto";                // "auto" lets the CPU-feature choice decide
  bool autoSelectEngine = true;
  int difficultyTier = 2;   // 0..4 graded levels, 5 custom Elo, 6 custom skill level
  int searchLimitMode = 0;  // 0 by time, 1 by depth
  int timeLimit = 3000;     // milliseconds per move
  int depth = 0;            // 0: no depth limit
  int playerColor = 1;      // the human's side as a PieceColor: 1 Red, 2 Black
  int threads = 0;          // 0: the engine's own choice
  int hashSize = 256;       // megabytes
  bool showWDL = true;
  bool ponderEnabled = false;
  int multiPV = 1;
  std::string debugLogFile;  // the engine's own log; empty for none
  std::string numaPolicy = "auto";
  int moveOverhead = 30;  // milliseconds
  int nodesTime = 0;
  int mateThreatDepth = 10;
  std::string repetitionRule = "AsianRule";
  std::string drawRule = "None";
  bool sixtyMoveRule = true;
  int rule60MaxPly = 120;
  std::string scoreType = "Elo";
  bool luOutput = true;
  int customElo = 0;  // Elo for tier 5; 0 means not set
  int customSkill = 11;  // skill level for tier 6
  int openingBookMode = 0;  // 0 local books, 1 online book, 2 no books

  bool operator==(const AIConfig&) const = default;
};

}  // namespace Tavrune
