#pragma once
// The program's engine front end: the AI behind the interface the window speaks to. The
// AI itself stays reachable for the turn flow of a game against the engine.
#include "app/IEngineFrontEnd.h"
#include "engine/AI.h"

namespace Tavrune {

class AIFrontEnd : public IEngineFrontEnd {
 public:
  AI& engine() { return ai_; }

  void setProcessManagerFactory(ProcessManagerFactory factory) override;
  void setHttpClientFactory(HttpClientFactory factory) override;
  void setMoveReadyCallback(MoveReadyCallback callback) override;
  void setEngineReadyCallback(EngineReadyCallback callback) override;
  void setStateChangedCallback(StateChangedCallback callback) override;
  void setEnginePath(const std::string& utf8Path) override;
  bool loadOpeningBook(const std::string& utf8Path, int32_t type) override;
  void setDifficultyTier(int32_t tier) override;
  void setCustomElo(int32_t elo) override;
  void setCustomSkill(int32_t skill) override;
  void setSearchLimitMode(int32_t mode) override;
  void setTimeLimit(int32_t milliseconds) override;
  void setDepth(int32_t depth) override;
  void setThreads(int32_t threads) override;
  void setHash(int32_t megabytes) override;
  void setPonderEnabled(bool enabled) override;
  void setShowWDL(bool show) override;
  void setMultiPV(int32_t lines) override;
  void setDebugLogFile(const std::string& path) override;
  void setNumaPolicy(const std::string& policy) override;
  void setMoveOverhead(int32_t milliseconds) override;
  void setNodesTime(int32_t nodesTime) override;
  void setMateThreatDepth(int32_t depth) override;
  void setRepetitionRule(const std::string& rule) override;
  void setDrawRule(const std::string& rule) override;
  void setSixtyMoveRule(bool enabled) override;
  void setRule60MaxPly(int32_t plies) override;
  void setScoreType(const std::string& scoreType) override;
  void setLuOutput(bool enabled) override;
  void setOpeningBookMode(int32_t mode) override;
  bool initialize() override;
  void newGame() override;
  void startPondering(const Board& board) override;
  std::string getEngineStateText() const override;
  void clearHash() override;
  std::string getEngineName() const override;
  std::string getEngineParamsText() const override;
  std::string verifyEngineOptions() const override;
  int32_t getEngineOptionCount() const override;
  int32_t getRestartAttempts() const override;
  bool startThinking(const Board& board, PieceColor side) override;
  void stopThinking() override;
  bool isThinking() const override;
  bool isEngineReady() const override;
  bool isPondering() const override;
  bool isPonderHit(const Move& move) const override;
  void ponderHit() override;
  void stopPonder() override;
  bool isEngineRunning() const override;
  bool hasGivenUp() const override;
  void clearGiveUp() override;
  bool restartEngine() override;

 private:
  AI ai_;
};

}  // namespace Tavrune
