#pragma once
// The engine settings this program controls, with their defaults. The engine driver
// keeps one copy; the values survive a stop, the applied ones describe the running engine.
#include <cstdint>
#include <string>

#include "engine/DifficultyStrategy.h"

namespace Tavrune {

struct EngineSettings {
  int32_t movetime = 3000;  // ms of a search by time
  int32_t depth = 0;        // 0: search by time
  int32_t difficultyTier = TIER_MEDIUM;
  int32_t depthLimit = 0;   // cap chosen by the depth strategy; 0 none
  int32_t customElo = 0;
  int32_t customSkill = 11;
  int32_t threads = 0;      // below 1: automatic
  int32_t hashSize = 256;   // MB
  int32_t appliedThreads = 0;
  int32_t appliedHash = 0;
  bool ponder = false;
  bool showWDL = true;
  int32_t multiPV = 1;
  std::string evalFile;
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
