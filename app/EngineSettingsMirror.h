#pragma once
// The main window's copy of the engine settings: read from the configuration at
// start-up, pushed into the engine front end in one fixed order, changed by commands
// and the settings dialog, and written back by the window's own save.
#include <cstdint>
#include <string>

#include "core/AIConfig.h"

namespace Tavrune {

class IEngineFrontEnd;

struct EngineSettingsMirror {
  int32_t difficultyTier = 2;
  int32_t customElo = 0;
  int32_t customSkill = 11;
  int32_t searchLimitMode = 0;  // 0 by time, 1 by depth
  int32_t timeLimit = 3000;
  int32_t depth = 0;
  int32_t threads = 0;
  int32_t hashSize = 256;
  bool showWDL = true;
  bool ponderEnabled = false;
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
  int32_t openingBookMode = 0;

  // Any search-limit mode other than 1 (depth) reads as 0 (time).
  static EngineSettingsMirror fromConfig(const AIConfig& config);
  // Writes every mirrored value into the configuration's fields of the same meaning;
  // the engine path, variant, auto-selection and player colour are left alone.
  void writeTo(AIConfig& config) const;
  // Every setting, one call each, difficulty first: a custom Elo only for tier 5 with
  // an Elo above 0, a custom skill for tier 6, else the tier itself.
  void applyTo(IEngineFrontEnd& engine) const;

  bool operator==(const EngineSettingsMirror&) const = default;
};

}  // namespace Tavrune
