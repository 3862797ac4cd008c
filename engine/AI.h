#pragma once
// The one front end through which the program plays against the engine: it starts the
// engine with bounded restarts, carries every setting to it, answers a move request from
// the opening books, the online book or an engine search, and ponders on the reply it
// expects. Answers leave through the move-ready callback, on whatever thread found them.
//
// Threads: the owner calls from its UI thread; the engine's read thread, the online book's
// worker and the starter thread (engine start attempts) come in as well. The three owner
// callbacks may run on any of these threads (the move callback also on the caller's own,
// for a book move): they must only hand the report on (post it), never wait on the AI or
// call into it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/AISettings.h"
#include "engine/CloudBook.h"
#include "engine/EngineTimeouts.h"
#include "engine/IHttpClient.h"
#include "engine/IProcessManager.h"
#include "engine/ITurnEngine.h"
#include "engine/OpeningBookSet.h"
#include "engine/UCCIEngine.h"
#include "game/Board.h"
#include "game/ChessTypes.h"

namespace Tavrune {

class AI : public ITurnEngine {
 public:
  using ProcessManagerFactory = std::function<std::unique_ptr<IProcessManager>()>;
  using HttpClientFactory = std::function<std::shared_ptr<IHttpClient>()>;
  using MoveReadyCallback = std::function<void(const Move&)>;
  // True: the engine is idle and takes a request; false: it failed or gave up.
  using EngineReadyCallback = std::function<void(bool)>;
  using StateChangedCallback = std::function<void()>;
  // The wait between two start attempts, on the starter thread; tests replace it to stay fast.
  using RetrySleep = std::function<void(std::chrono::milliseconds)>;

  static constexpr int32_t MAX_RESTART_ATTEMPTS = 3;
  static constexpr int32_t RETRY_DELAY_MS = 500;

  AI();
  // Detaches every callback first, then ends the online query and the engine.
  ~AI() override;
  AI(const AI&) = delete;
  AI& operator=(const AI&) = delete;

  // Wiring. An empty callback detaches the previous one.
  void setProcessManagerFactory(ProcessManagerFactory factory);
  void setHttpClientFactory(HttpClientFactory factory);
  void setMoveReadyCallback(MoveReadyCallback callback);
  void setEngineReadyCallback(EngineReadyCallback callback);
  void setStateChangedCallback(StateChangedCallback callback);
  void setRetrySleep(RetrySleep sleep);
  // Given to every engine object made from now on.
  void setEngineTimeouts(const EngineTimeouts& timeouts);
  // Replaces the books' random choice (tests make it deterministic); before probing starts.
  void setBookRandomSource(OpeningBookSet::RandomSource source);

  // Engine life cycle. A round of start attempts (the first and up to three retries, with
  // growing waits) runs on a thread of its own, one round at a time; the caller never
  // waits for it. Its outcome arrives through the ready callback: true at the new engine's
  // first idle, false once, when the round gives up. `initialize` refuses after a give-up;
  // an idle engine reports ready again at once.
  bool initialize();
  // True when a round began or is under way, or the engine runs already.
  bool startEngineWithRetry();
  // True only when the engine is idle now; an engine that is not running gets a new round.
  bool ensureEngineReady();
  // Ends the engine and begins a new round (joins the one under way instead).
  bool restartEngine() override;
  bool hasGivenUp() const override;
  void clearGiveUp() override;
  void newGame();
  void clearHash();
  // Used at the next start; a running engine is not restarted.
  void setEnginePath(const std::string& utf8Path);

  // Move requests. `startThinking` answers from a book at once or starts the online query
  // or an engine search; false when it needed the engine and the engine could not take
  // the search (ask again when it reports ready).
  bool startThinking(const Board& board, PieceColor side) override;
  void stopThinking() override;
  // After the engine's move was played: ponders on the predicted reply when it is legal.
  void startPondering(const Board& board);
  bool isPonderHit(const Move& move) const override;
  void ponderHit() override;
  void stopPonder() override;
  // type 0: ElephantEye layout ("book.dat"), any other: Mrxq layout (".obk"). UTF-8 path.
  bool loadOpeningBook(const std::string& utf8Path, int32_t type);

  // Settings.
  void setDifficultyTier(int32_t tier);
  void setCustomElo(int32_t elo);
  void setCustomSkill(int32_t skill);
  void setSearchLimitMode(int32_t mode);
  void setTimeLimit(int32_t milliseconds);
  void setDepth(int32_t depth);
  void setThreads(int32_t threads);
  void setHash(int32_t megabytes);
  void setPonderEnabled(bool enabled);
  void setShowWDL(bool show);
  void setMultiPV(int32_t lines);
  void setOpeningBookMode(int32_t mode);
  void setDebugLogFile(const std::string& path);
  void setNumaPolicy(const std::string& policy);
  void setMoveOverhead(int32_t milliseconds);
  void setNodesTime(int32_t nodesTime);
  void setMateThreatDepth(int32_t depth);
  void setRepetitionRule(const std::string& rule);
  void setDrawRule(const std::string& rule);
  void setSixtyMoveRule(bool enabled);
  void setRule60MaxPly(int32_t plies);
  void setScoreType(const std::string& scoreType);
  void setLuOutput(bool enabled);

  // Queries.
  bool isThinking() const override;
  bool isEngineRunning() const override;
  bool isEngineReady() const override;
  bool isPondering() const override;
  bool supportsElo() const;
  int32_t getEloMin() const;
  int32_t getEloMax() const;
  std::string getEngineStateText() const;
  std::string getEngineParamsText() const;
  std::string verifyEngineOptions() const;
  std::string getEngineName() const;
  int32_t getEngineOptionCount() const;
  // Failed starts since the last successful one.
  int32_t getRestartAttempts() const;
  AISettings getSettings() const;

 private:
  // An engine search the online book's fallback could not start yet: it runs when the
  // engine next becomes idle, unless a newer request came first.
  struct OwedSearch {
    uint64_t request = 0;
    Board board;
  };
  // Lets the online book's answers in while open; closing it waits for one in progress.
  // Shared with the answers, which may outlive the AI in a client someone else still holds.
  struct CallbackGate {
    std::mutex lock;
    bool open = true;
  };

  std::shared_ptr<UCCIEngine> currentEngine() const;
  bool isCurrentEngine(const UCCIEngine* engine) const;
  // A fresh engine object with every stored setting, the callbacks and a new process;
  // the previous one is detached and stopped.
  std::shared_ptr<UCCIEngine> replaceEngine();
  void configureEngine(UCCIEngine& engine, const AISettings& values) const;
  // Begins a round on the starter thread unless one is under way; `replaceCurrent` first
  // ends the current engine (a recovery) and clears the failure counts.
  bool beginStartRound(bool replaceCurrent);
  void runStartAttempts();
  bool isStarting() const;
  void sleepBeforeRetry(std::chrono::milliseconds delay);

  void onEngineStateChanged(UCCIEngine* source, UCCIEngine::EngineState state);
  void onEngineBestMove(UCCIEngine* source, const Move& move);
  void onCloudBookResult(uint64_t request, const Board& board, bool hit, const Move& move);
  void reportReady(bool ready);

  // A new request number; answers carrying an older one are dropped.
  uint64_t beginRequest();
  void deliverMove(uint64_t request, const Move& move);
  bool startEngineSearch(uint64_t request, const Board& board, bool logFen);
  void oweSearch(OwedSearch search);
  // A weighted book move that is legal on `board`, or nothing.
  std::optional<Move> bookMove(const Board& board) const;
  void predictReplyToBookMove(const Board& board, const Move& bookMove, const std::string& logPrefix);
  // Stops a ponder search that a new request makes pointless.
  void abandonPonder();
  void applyDifficulty(const std::string& pendingText);
  // Started and not failed: the engine may still change state on its own.
  static bool isRunningState(UCCIEngine::EngineState state);
  static bool heldByInitialOptions(const UCCIEngine& target, const AISettings& values);
  static void sendDifficulty(UCCIEngine& engine, int32_t tier, int32_t elo, int32_t skill);
  template <typename Field, typename Argument>
  void forwardSetting(Field AISettings::*field, void (UCCIEngine::*setter)(Argument), const Field& value);

  std::atomic<bool> thinking{false};

  // Guards the fields below up to deliveryLock; never held while calling out, except into
  // an engine object not yet started.
  mutable std::mutex fieldsLock;
  std::shared_ptr<UCCIEngine> engine;
  AISettings settings;
  bool pendingDifficulty = false;
  std::string predictedPonderMove;
  bool engineAnsweredLast = false;  // the engine's expected reply belongs to the move played
  int32_t restartAttempts = 0;
  bool gaveUp = false;
  std::optional<OwedSearch> owedSearch;
  ProcessManagerFactory processManagerFactory;
  HttpClientFactory httpClientFactory;
  EngineReadyCallback engineReadyCallback;
  StateChangedCallback stateChangedCallback;
  RetrySleep retrySleep;
  std::optional<EngineTimeouts> engineTimeouts;
  // A round of start attempts is under way: until an engine's start command has gone out
  // (or its first idle came even before that), or the round gives up. Its failures
  // report once.
  bool starting = false;
  // The engine whose first idle ended its round while the round's thread was still in
  // its start; that thread then leaves `starting` to any round begun since.
  const UCCIEngine* roundEndedBy = nullptr;
  // The engine the round counted as failed: the round reports that failure, not it.
  const UCCIEngine* failedInRound = nullptr;
  bool closing = false;
  std::condition_variable closingSignal;

  // Held while an answer is checked against the current request and handed over, so that
  // after stopThinking or a newer request no older answer reaches the owner.
  std::recursive_mutex deliveryLock;
  uint64_t currentRequest = 0;
  MoveReadyCallback moveReadyCallback;
  std::atomic<uint64_t> engineSearchRequest{0};  // the request the engine's search answers

  // Guards `starter`, the thread of the last round of start attempts; joined before the
  // next round begins and by the destructor.
  std::mutex starterLock;
  std::thread starter;

  OpeningBookSet books;  // loaded at start-up, read-only afterwards
  std::shared_ptr<CallbackGate> cloudGate = std::make_shared<CallbackGate>();
  // Created on first use; used on the owner's thread only. Declared last so that it, and
  // with it the worker of a running query, goes first.
  std::unique_ptr<CloudBook> cloudBook;
};

}  // namespace Tavrune
