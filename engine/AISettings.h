#pragma once
// Every engine setting the AI keeps, with its defaults. Each new engine object (the first
// start, a restart after a failure) is given all of them, so it searches as the user chose.
#include <cstdint>
#include <string>

#include "engine/DifficultyStrategy.h"

namespace Tavrune {

enum SearchLimitMode : int32_t {
  SEARCH_BY_TIME = 0,
  SEARCH_BY_DEPTH = 1,
};

enum OpeningBookMode : int32_t {
  BOOK_LOCAL_FIRST = 0,   // local books, then the engine
  BOOK_ONLINE_FIRST = 1,  // the online book, then the local books, then the engine
  BOOK_ENGINE_ONLY = 2,
};

struct AISettings {
  std::string enginePath = "engines\\pikafish.exe";
  int32_t difficultyTier = TIER_MEDIUM;
  int32_t customElo = 0;
  int32_t customSkill = 11;
  int32_t searchLimitMode = SEARCH_BY_TIME;
  int32_t timeLimit = 3000;  // ms, in time mode
  int32_t depth = 0;         // in depth mode
  int32_t threads = 0;       // 0: the engine driver's automatic count
  int32_t hashSize = 256;    // MB
  bool ponderEnabled = false;
  int32_t openingBookMode = BOOK_LOCAL_FIRST;

  // Handed to the engine as given; the engine driver keeps them inside its limits.
  bool showWDL = true;
  int32_t multiPV = 1;
  std::string debugLogFile;
  std::string numaPolicy = "auto";
  int32_t moveOverhead = 30;
  int32_t nodesTime = 0;
  int32_t mateThreatDepth = 10;
  std::string repetitionRule = "AsianRule";
  std::string drawRule = "None";
  bool sixtyMoveRule = true;
  int32_t rule60MaxPly = 120;
  std::string scoreType = "Elo";
  bool luOutput = true;
};

}  // namespace Tavrune
