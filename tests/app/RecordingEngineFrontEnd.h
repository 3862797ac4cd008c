#pragma once
// An engine front end that records every call as a line of text ("setDepth(7)") and
// lets tests fire its callbacks as the engine's thread would. It plays a well-behaved
// engine: searches are accepted and marked thinking until a move is delivered or they
// are stopped, unless a test makes it busy.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/IEngineFrontEnd.h"

namespace Tavrune::Test {

class RecordingEngineFrontEnd : public IEngineFrontEnd {
 public:
  // The calls, kept apart from the front end so a test can read them after its owner
  // has destroyed it.
  struct Journal {
    std::mutex mutex;
    std::vector<std::string> calls;
  };

  RecordingEngineFrontEnd() : journal_(std::make_shared<Journal>()) {}
  std::shared_ptr<Journal> journal() const { return journal_; }

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
  void clearHash() override { record("clearHash"); }
  // The engine information rows of the settings dialog read these canned answers.
  std::string getEngineName() const override { return "Recording Engine"; }
  std::string getEngineParamsText() const override { return "Threads=1 Hash=16"; }
  std::string verifyEngineOptions() const override { return "一致"; }
  int32_t getEngineOptionCount() const override { return 7; }
  int32_t getRestartAttempts() const override { return 1; }
  bool startThinking(const Board& board, PieceColor side) override;
  void stopThinking() override;
  bool isThinking() const override;
  bool isEngineReady() const override;
  bool isPondering() const override { return false; }
  bool isPonderHit(const Move&) const override { return false; }
  void ponderHit() override { record("ponderHit"); }
  void stopPonder() override { record("stopPonder"); }
  bool isEngineRunning() const override;
  bool hasGivenUp() const override;
  void clearGiveUp() override;
  bool restartEngine() override;

  // What initialize() answers; a refused start reports nothing.
  void setInitializeResult(bool result);
  // A busy engine (starting, or finishing a stopped search) refuses new searches and is
  // not ready.
  void setBusy(bool busy);
  // The engine exited (not running), or its start attempts gave up as well.
  void setFailed(bool failed, bool givenUp);
  // Calls the installed engine-ready callback from a thread of its own; false when none
  // is installed.
  bool reportReadyFromEngineThread(bool ready);

  std::vector<std::string> calls() const;
  // The calls whose text begins with `prefix`.
  std::vector<std::string> callsStartingWith(const std::string& prefix) const;
  void clearCalls();
  // Calls the installed move-ready callback, as the engine's thread does; false when
  // none is installed.
  bool deliverMove(const Move& move);
  bool hasMoveReadyCallback() const;
  ProcessManagerFactory processManagerFactory() const;
  HttpClientFactory httpClientFactory() const;

 private:
  void record(const std::string& call);

  mutable std::mutex mutex_;
  std::shared_ptr<Journal> journal_;
  ProcessManagerFactory processManagerFactory_;
  HttpClientFactory httpClientFactory_;
  MoveReadyCallback moveReady_;
  EngineReadyCallback engineReady_;
  StateChangedCallback stateChanged_;
  bool initializeResult_ = true;
  bool busy_ = false;
  bool thinking_ = false;
  bool failed_ = false;
  bool givenUp_ = false;
};

}  // namespace Tavrune::Test
