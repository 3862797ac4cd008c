#include "app/EngineSettingsMirror.h"

#include "app/IEngineFrontEnd.h"

namespace Tavrune {

EngineSettingsMirror EngineSettingsMirror::fromConfig(const AIConfig& config) {
  EngineSettingsMirror mirror;
  mirror.difficultyTier = config.difficultyTier;
  mirror.customElo = config.customElo;
  mirror.customSkill = config.customSkill;
  mirror.searchLimitMode = config.searchLimitMode == 1 ? 1 : 0;
  mirror.timeLimit = config.timeLimit;
  mirror.depth = config.depth;
  mirror.threads = config.threads;
  mirror.hashSize = config.hashSize;
  mirror.showWDL = config.showWDL;
  mirror.ponderEnabled = config.ponderEnabled;
  mirror.multiPV = config.multiPV;
  mirror.debugLogFile = config.debugLogFile;
  mirror.numaPolicy = config.numaPolicy;
  mirror.moveOverhead = config.moveOverhead;
  mirror.nodesTime = config.nodesTime;
  mirror.mateThreatDepth = config.mateThreatDepth;
  mirror.repetitionRule = config.repetitionRule;
  mirror.drawRule = config.drawRule;
  mirror.sixtyMoveRule = config.sixtyMoveRule;
  mirror.rule60MaxPly = config.rule60MaxPly;
  mirror.scoreType = config.scoreType;
  mirror.luOutput = config.luOutput;
  mirror.openingBookMode = config.openingBookMode;
  return mirror;
}

void EngineSettingsMirror::writeTo(AIConfig& config) const {
  config.difficultyTier = difficultyTier;
  config.customElo = customElo;
  config.customSkill = customSkill;
  config.searchLimitMode = searchLimitMode;
  config.timeLimit = timeLimit;
  config.depth = depth;
  config.threads = threads;
  config.hashSize = hashSize;
  config.showWDL = showWDL;
  config.ponderEnabled = ponderEnabled;
  config.multiPV = multiPV;
  config.debugLogFile = debugLogFile;
  config.numaPolicy = numaPolicy;
  config.moveOverhead = moveOverhead;
  config.nodesTime = nodesTime;
  config.mateThreatDepth = mateThreatDepth;
  config.repetitionRule = repetitionRule;
  config.drawRule = drawRule;
  config.sixtyMoveRule = sixtyMoveRule;
  config.rule60MaxPly = rule60MaxPly;
  config.scoreType = scoreType;
  config.luOutput = luOutput;
  config.openingBookMode = openingBookMode;
}

void EngineSettingsMirror::applyTo(IEngineFrontEnd& engine) const {
  if (difficultyTier == 5 && customElo > 0) {
    engine.setCustomElo(customElo);
  } else if (difficultyTier == 6) {
    engine.setCustomSkill(customSkill);
  } else {
    engine.setDifficultyTier(difficultyTier);
  }
  engine.setSearchLimitMode(searchLimitMode);
  engine.setTimeLimit(timeLimit);
  engine.setDepth(depth);
  engine.setThreads(threads);
  engine.setHash(hashSize);
  engine.setPonderEnabled(ponderEnabled);
  engine.setShowWDL(showWDL);
  engine.setMultiPV(multiPV);
  engine.setDebugLogFile(debugLogFile);
  engine.setNumaPolicy(numaPolicy);
  engine.setMoveOverhead(moveOverhead);
  engine.setNodesTime(nodesTime);
  engine.setMateThreatDepth(mateThreatDepth);
  engine.setRepetitionRule(repetitionRule);
  engine.setDrawRule(drawRule);
  engine.setSixtyMoveRule(sixtyMoveRule);
  engine.setRule60MaxPly(rule60MaxPly);
  engine.setScoreType(scoreType);
  engine.setLuOutput(luOutput);
  engine.setOpeningBookMode(openingBookMode);
}

}  // namespace Tavrune
