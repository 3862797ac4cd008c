#pragma once
// Drives one chess engine child process over UCI, falling back to UCCI when the engine
// does not know "uci": handshake, options, difficulty, searches, pondering and shutdown.
// A read thread parses the engine's output; no lock is held while a callback runs, so
// callbacks may call back into the driver (except stop, which they must not need).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/EngineSettings.h"
#include "engine/EngineTimeouts.h"
#include "engine/EngineTypes.h"
#include "engine/IProcessManager.h"
#include "game/Board.h"

namespace Tavrune {

class UCCIEngine {
 public:
  enum EngineState : int32_t {
    NOT_STARTED = 0,
    INITIALIZING = 1,
    IDLE = 2,
    THINKING = 3,
    PONDERING = 4,
    ERROR_STATE = 5,
  };

  using BestMoveCallback = std::function<void(const Move&)>;
  using StateCallback = std::function<void(EngineState)>;
  using InfoLineCallback = std::function<void(const std::string&)>;
  using InfoCallback = std::function<void(const EngineInfo&)>;

  UCCIEngine();
  ~UCCIEngine();
  UCCIEngine(const UCCIEngine&) = delete;
  UCCIEngine& operator=(const UCCIEngine&) = delete;

  // Must precede start; refused while an engine process is in use.
  void setProcessManager(std::unique_ptr<IProcessManager> manager);
  void setBestMoveCallback(BestMoveCallback callback);
  void setStateCallback(StateCallback callback);
  void setInfoLineCallback(InfoLineCallback callback);
  void setInfoCallback(InfoCallback callback);
  // Tests shorten the waits; the defaults are the product's.
  void setTimeouts(const EngineTimeouts& timeouts);

  // Starts the process and the read thread and sends "uci". True only says the process
  // runs; readiness arrives as IDLE through the state callback.
  bool start(const std::string& enginePath);
  // "quit", a bounded wait for the engine to exit, then terminate and join.
  void stop();

  // "position" and "go" with the search limit; IDLE only. The board fills the pieces of
  // the best move.
  void requestMove(const Board& board, const std::string& fen);
  // "position fen" and "go ponder"; IDLE with the Ponder setting on only.
  void startPonder(const std::string& fen, const Board& board);
  void ponderHit();
  // "stop" for a ponder search; its answer is discarded.
  void stopPonder();
  // "stop" for any search; its answer is discarded (it was asked for another position).
  void stopSearch();
  // Stops a running search first, then "ucinewgame" and waits for "readyok".
  void newGame();
  // "isready" and a bounded wait for "readyok"; a time-out stops the engine.
  bool waitForReady(int timeoutMs);
  // One command line without its line end; refused when it holds CR, LF or NUL.
  bool sendCommand(const std::string& command);

  EngineState getState() const;
  EngineProtocol getProtocol() const;
  std::string getEngineName() const;
  std::string getEngineAuthor() const;
  // The reply the engine predicted with its last best move; empty when none or invalid.
  std::string getPonderMove() const;
  int getOptionCount() const;

  // Declared options.
  bool hasOption(const std::string& name) const;
  // UCI_LimitStrength and a UCI_Elo with a readable range, as the difficulty uses them.
  bool hasEloOptions() const;
  int getEloMin() const;
  int getEloMax() const;
  std::optional<EngineOption> getOption(const std::string& name) const;

  // Texts for the settings dialog.
  std::string getStatusText() const;
  std::string verifyOptions() const;

  // Sends one declared option with its value kept inside the declared limits; anything
  // else is logged and skipped.
  bool setOption(const std::string& name, const std::string& value);
  void clearHash();
  void setDifficulty(int tier);

  void setMovetime(int ms);
  void setDepth(int depth);
  void setCustomElo(int elo);
  void setCustomSkill(int level);
  void setThreads(int count);
  void setHash(int mb);
  void setPonder(bool on);
  void setShowWDL(bool on);
  void setMultiPV(int count);
  void setEvalFile(const std::string& path);
  void setDebugLogFile(const std::string& path);
  void setNumaPolicy(const std::string& policy);
  void setMoveOverhead(int ms);
  void setNodesTime(int nodes);
  void setMateThreatDepth(int depth);
  void setRepetitionRule(const std::string& rule);
  void setDrawRule(const std::string& rule);
  void setSixtyMoveRule(bool on);
  void setRule60MaxPly(int plies);
  void setScoreType(const std::string& type);
  void setLuOutput(bool on);
  EngineSettings getSettings() const;

  // The thread count sent when the configured count is automatic (below 1).
  static int automaticThreadCount(unsigned hardwareThreads);

 private:
  struct ReadChannel;
  using OptionMap = std::map<std::string, EngineOption>;

  void readLoop(std::shared_ptr<ReadChannel> channel);
  void consumeChunk(const char* data, size_t size);
  void processLine(const std::string& line);
  void processDetectingLine(const std::string& line);
  void parseBestMove(const std::string& line);
  void parseInfo(const std::string& line);
  void onOutputEnded();
  void handshakeWatch();

  void sendInitialOptions();
  std::optional<std::string> sendOption(const std::string& name, const std::string& value);
  // A number option: the value sent, as a number; nothing when it was not sent.
  std::optional<int32_t> sendNumberOption(const std::string& name, int value);
  // An option an idle engine takes at once ("Threads", "Hash"), sent unless the engine
  // already holds that value; then the engine's readiness is awaited.
  void applyRuntimeOption(const std::string& name, int value, int32_t EngineSettings::*applied,
                          const std::string& unit);
  void setImmediateOption(const std::string& name, const std::string& value);
  std::string searchLimitLocked() const;
  // Takes the position of a new search: its board and a fresh answer; the search limit,
  // or nothing when the position text cannot be sent.
  std::optional<std::string> beginSearchLocked(const Board& board, const std::string& fen);

  // Ends the process and threads of the current session; fires no callback.
  void shutdownSession();
  void joinThreads();
  bool onEngineThread() const;
  void setStateLocked(EngineState newState);
  void notifyState(EngineState newState);
  void failAndStop(const std::string& reason);

  mutable std::mutex mutex;                 // guards every field below up to the threads
  std::condition_variable stateChanged;     // state, readyok count, session end
  std::shared_ptr<IProcessManager> process; // shared with a read thread that may outlive a stop
  std::string enginePath;
  std::string engineName;
  std::string engineAuthor;
  EngineState state = NOT_STARTED;
  EngineProtocol protocol = EngineProtocol::DETECTING;
  OptionMap options;
  EngineSettings settings;
  std::string ponderMove;
  BestMoveCallback bestMoveCallback;
  InfoLineCallback infoLineCallback;
  InfoCallback infoCallback;
  StateCallback stateCallback;
  Board searchBoard;
  EngineTimeouts timeouts;
  bool sessionActive = false;        // a process was started and not yet shut down
  bool optionLimitWarned = false;    // the flood of declarations was reported once
  bool searchResultDiscarded = false; // the running search was stopped or superseded
  uint64_t isreadySent = 0;
  uint64_t readyokReceived = 0;

  // Touched only by the read thread.
  std::string pendingLine;
  bool droppingLongLine = false;

  std::mutex lifecycleMutex;  // serialises start and stop
  std::atomic<bool> stopRequested{false};
  std::thread readThread;
  std::thread watchdogThread;
  std::shared_ptr<ReadChannel> readChannel;
  std::atomic<std::thread::id> readThreadId{};
  std::atomic<std::thread::id> watchdogThreadId{};
};

}  // namespace Tavrune
