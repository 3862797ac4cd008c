#pragma once
// What the main window asks of the engine front end (the AI): its engine process
// factory and callbacks, the engine path, opening books and every engine setting at
// start-up, starting the engine and a new game against it, the turn flow's searches,
// and pondering once the engine's reply has been played. The window and its tests
// depend on this much only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/IHttpClient.h"
#include "engine/IProcessManager.h"
#include "engine/ITurnEngine.h"
#include "game/Board.h"
#include "game/ChessTypes.h"

namespace Tavrune {

class IEngineFrontEnd : public ITurnEngine {
 public:
  using ProcessManagerFactory = std::function<std::unique_ptr<IProcessManager>()>;
  // Asked before every online-book query.
  using HttpClientFactory = std::function<std::shared_ptr<IHttpClient>()>;
  // Called on the engine's, a book's or the online book's thread.
  using MoveReadyCallback = std::function<void(const Move&)>;
  // True when the engine reached IDLE, false when it gave up; any thread.
  using EngineReadyCallback = std::function<void(bool)>;
  using StateChangedCallback = std::function<void()>;

  ~IEngineFrontEnd() override = default;

  virtual void setProcessManagerFactory(ProcessManagerFactory factory) = 0;
  virtual void setHttpClientFactory(HttpClientFactory factory) = 0;
  // An empty callback detaches the previous one.
  virtual void setMoveReadyCallback(MoveReadyCallback callback) = 0;
  virtual void setEngineReadyCallback(EngineReadyCallback callback) = 0;
  virtual void setStateChangedCallback(StateChangedCallback callback) = 0;

  // Used the next time the engine starts; a running engine is not restarted.
  virtual void setEnginePath(const std::string& utf8Path) = 0;
  // type 0: ElephantEye "book.dat" layout, 1: Mrxq ".obk" layout. The front end logs
  // the outcome; start-up does not look at it.
  virtual bool loadOpeningBook(const std::string& utf8Path, int32_t type) = 0;

  virtual void setDifficultyTier(int32_t tier) = 0;
  virtual void setCustomElo(int32_t elo) = 0;
  virtual void setCustomSkill(int32_t skill) = 0;
  virtual void setSearchLimitMode(int32_t mode) = 0;
  virtual void setTimeLimit(int32_t milliseconds) = 0;
  virtual void setDepth(int32_t depth) = 0;
  virtual void setThreads(int32_t threads) = 0;
  virtual void setHash(int32_t megabytes) = 0;
  virtual void setPonderEnabled(bool enabled) = 0;
  virtual void setShowWDL(bool show) = 0;
  virtual void setMultiPV(int32_t lines) = 0;
  virtual void setDebugLogFile(const std::string& path) = 0;
  virtual void setNumaPolicy(const std::string& policy) = 0;
  virtual void setMoveOverhead(int32_t milliseconds) = 0;
  virtual void setNodesTime(int32_t nodesTime) = 0;
  virtual void setMateThreatDepth(int32_t depth) = 0;
  virtual void setRepetitionRule(const std::string& rule) = 0;
  virtual void setDrawRule(const std::string& rule) = 0;
  virtual void setSixtyMoveRule(bool enabled) = 0;
  virtual void setRule60MaxPly(int32_t plies) = 0;
  virtual void setScoreType(const std::string& scoreType) = 0;
  virtual void setLuOutput(bool enabled) = 0;
  virtual void setOpeningBookMode(int32_t mode) = 0;

  // Starts the engine unless it gave up after repeated crashes (false then, at once);
  // the outcome of a start arrives through the engine-ready callback. A running engine
  // that is idle reports ready again.
  virtual bool initialize() = 0;
  // "ucinewgame" to an idle engine; forgets the reply predicted for pondering.
  virtual void newGame() = 0;
  // Ponders on the reply predicted with the last engine move, on a copy of the board.
  virtual void startPondering(const Board& board) = 0;
  // The engine's state in words ("空闲", "思考中", ...), UTF-8.
  virtual std::string getEngineStateText() const = 0;

  // Asks a running engine to empty its hash table; nothing without one.
  virtual void clearHash() = 0;
  // What the settings dialog shows of the engine: its "id name" (empty without an
  // engine), the options in effect and how they compare with the settings, UTF-8.
  virtual std::string getEngineName() const = 0;
  virtual std::string getEngineParamsText() const = 0;
  virtual std::string verifyEngineOptions() const = 0;
  virtual int32_t getEngineOptionCount() const = 0;
  // Failed starts since the last good one (the front end gives up at 3).
  virtual int32_t getRestartAttempts() const = 0;
};

}  // namespace Tavrune
