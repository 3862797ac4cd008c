#pragma once
// Stand-in for the AI until it lands: takes every setting and book the window hands
// over, starts no engine and never answers. No engine game can be started yet, so
// nothing waits for it. Replaced by the AI behind IEngineFrontEnd.
#include "app/IEngineFrontEnd.h"

namespace Tavrune {

class EngineFrontEndPlaceholder : public IEngineFrontEnd {
 public:
  void setProcessManagerFactory(ProcessManagerFactory) override {}
  void setHttpClientFactory(HttpClientFactory) override {}
  void setMoveReadyCallback(MoveReadyCallback) override {}
  void setEngineReadyCallback(EngineReadyCallback) override {}
  void setStateChangedCallback(StateChangedCallback) override {}
  void setEnginePath(const std::string&) override {}
  bool loadOpeningBook(const std::string&, int32_t) override { return false; }
  void setDifficultyTier(int32_t) override {}
  void setCustomElo(int32_t) override {}
  void setCustomSkill(int32_t) override {}
  void setSearchLimitMode(int32_t) override {}
  void setTimeLimit(int32_t) override {}
  void setDepth(int32_t) override {}
  void setThreads(int32_t) override {}
  void setHash(int32_t) override {}
  void setPonderEnabled(bool) override {}
  void setShowWDL(bool) override {}
  void setMultiPV(int32_t) override {}
  void setDebugLogFile(const std::string&) override {}
  void setNumaPolicy(const std::string&) override {}
  void setMoveOverhead(int32_t) override {}
  void setNodesTime(int32_t) override {}
  void setMateThreatDepth(int32_t) override {}
  void setRepetitionRule(const std::string&) override {}
  void setDrawRule(const std::string&) override {}
  void setSixtyMoveRule(bool) override {}
  void setRule60MaxPly(int32_t) override {}
  void setScoreType(const std::string&) override {}
  void setLuOutput(bool) override {}
  void setOpeningBookMode(int32_t) override {}
  void startPondering(const Board&) override {}
  bool isThinking() const override { return false; }
};

}  // namespace Tavrune
