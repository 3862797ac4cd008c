// The AI's wiring, the engine's life cycle (the start thread with its bounded retries) and
// the engine's reports. Move requests, settings and queries have files of their own.
#include "engine/AI.h"

#include <utility>

#include "core/Log.h"

namespace Tavrune {

bool AI::isRunningState(UCCIEngine::EngineState state) {
  return state != UCCIEngine::NOT_STARTED && state != UCCIEngine::ERROR_STATE;
}

AI::AI() {
  // Not started: the first start replaces it with an engine given every setting.
  engine = std::make_shared<UCCIEngine>();
}

AI::~AI() {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    closing = true;
    engineReadyCallback = nullptr;
    stateChangedCallback = nullptr;
    owedSearch.reset();
  }
  closingSignal.notify_all();
  {
    std::lock_guard<std::recursive_mutex> guard(deliveryLock);
    moveReadyCallback = nullptr;
    ++currentRequest;
  }
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) {
    current->setStateCallback(nullptr);
    current->setBestMoveCallback(nullptr);
  }
  // The online query's worker may be inside this object (a fallback search): wait for it
  // and let no later answer in.
  if (cloudBook) cloudBook->cancel();
  {
    std::lock_guard<std::mutex> gate(cloudGate->lock);
    cloudGate->open = false;
  }
  cloudBook.reset();
  {
    // A round of start attempts under way ends at its next step (its waits are cut short
    // by `closing`); no new one begins any more.
    std::lock_guard<std::mutex> guard(starterLock);
    if (starter.joinable()) starter.join();
  }
  std::shared_ptr<UCCIEngine> last;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    last = std::move(engine);
  }
  thinking = false;
  if (!last) return;
  // The last round may have made a new engine since the callbacks were cleared.
  last->setStateCallback(nullptr);
  last->setBestMoveCallback(nullptr);
  last->stopSearch();
  last->stop();
}

// ---------------------------------------------------------------------------------
// Wiring

void AI::setProcessManagerFactory(ProcessManagerFactory factory) {
  std::lock_guard<std::mutex> lock(fieldsLock);
  processManagerFactory = std::move(factory);
}

void AI::setHttpClientFactory(HttpClientFactory factory) {
  std::lock_guard<std::mutex> lock(fieldsLock);
  httpClientFactory = std::move(factory);
}

void AI::setMoveReadyCallback(MoveReadyCallback callback) {
  std::lock_guard<std::recursive_mutex> guard(deliveryLock);
  moveReadyCallback = std::move(callback);
}

void AI::setEngineReadyCallback(EngineReadyCallback callback) {
  std::lock_guard<std::mutex> lock(fieldsLock);
  engineReadyCallback = std::move(callback);
}

void AI::setStateChangedCallback(StateChangedCallback callback) {
  std::lock_guard<std::mutex> lock(fieldsLock);
  stateChangedCallback = std::move(callback);
}

void AI::setRetrySleep(RetrySleep sleep) {
  std::lock_guard<std::mutex> lock(fieldsLock);
  retrySleep = std::move(sleep);
}

void AI::setEngineTimeouts(const EngineTimeouts& timeouts) {
  std::lock_guard<std::mutex> lock(fieldsLock);
  engineTimeouts = timeouts;
}

void AI::setBookRandomSource(OpeningBookSet::RandomSource source) { books.setRandomSource(std::move(source)); }

// ---------------------------------------------------------------------------------
// Engine life cycle

std::shared_ptr<UCCIEngine> AI::currentEngine() const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return engine;
}

bool AI::isCurrentEngine(const UCCIEngine* candidate) const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return engine.get() == candidate;
}

void AI::configureEngine(UCCIEngine& target, const AISettings& values) const {
  target.setMovetime(values.timeLimit);
  target.setDepth(values.searchLimitMode == SEARCH_BY_DEPTH ? values.depth : 0);
  target.setThreads(values.threads);
  target.setHash(values.hashSize);
  target.setPonder(values.ponderEnabled);
  target.setShowWDL(values.showWDL);
  target.setMultiPV(values.multiPV);
  target.setDebugLogFile(values.debugLogFile);
  target.setNumaPolicy(values.numaPolicy);
  target.setMoveOverhead(values.moveOverhead);
  target.setNodesTime(values.nodesTime);
  target.setMateThreatDepth(values.mateThreatDepth);
  target.setRepetitionRule(values.repetitionRule);
  target.setDrawRule(values.drawRule);
  target.setSixtyMoveRule(values.sixtyMoveRule);
  target.setRule60MaxPly(values.rule60MaxPly);
  target.setScoreType(values.scoreType);
  target.setLuOutput(values.luOutput);
  // Before the handshake this only records the tier; the initial options send it.
  sendDifficulty(target, values.difficultyTier, values.customElo, values.customSkill);
}

std::shared_ptr<UCCIEngine> AI::replaceEngine() {
  logInfo("AI::startEngineWithRetry: Creating UCCI engine");
  ProcessManagerFactory factory;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    factory = processManagerFactory;
  }
  auto fresh = std::make_shared<UCCIEngine>();
  UCCIEngine* raw = fresh.get();
  fresh->setStateCallback([this, raw](UCCIEngine::EngineState state) { onEngineStateChanged(raw, state); });
  fresh->setBestMoveCallback([this, raw](const Move& move) { onEngineBestMove(raw, move); });
  if (factory) fresh->setProcessManager(factory());

  std::shared_ptr<UCCIEngine> previous;
  {
    // Configured and swapped in one step, so that no setter falls between the two. The
    // engine is not started yet: none of its setters sends or calls back.
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (engineTimeouts) fresh->setTimeouts(*engineTimeouts);
    configureEngine(*fresh, settings);
    // Sent again at its first idle: the UCCI dialect takes no initial options, so only
    // then does a UCCI engine hear the level.
    pendingDifficulty = true;
    previous = std::exchange(engine, fresh);
  }
  if (previous) {
    // A failed engine may still hold its process and read thread: end them before it goes.
    previous->setStateCallback(nullptr);
    previous->setBestMoveCallback(nullptr);
    previous->stop();
  }
  return fresh;
}

bool AI::initialize() {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (gaveUp && restartAttempts >= MAX_RESTART_ATTEMPTS) {
      logError("AI::initialize: Engine crashed too many times, giving up");
      return false;
    }
  }
  return startEngineWithRetry();
}

bool AI::startEngineWithRetry() {
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) {
    const UCCIEngine::EngineState state = current->getState();
    if (isRunningState(state)) {
      // Idle answers now; otherwise the handshake or the running search ends in idle,
      // which reports readiness then.
      if (state == UCCIEngine::IDLE) reportReady(true);
      return true;
    }
  }
  return beginStartRound(false);
}

bool AI::beginStartRound(bool replaceCurrent) {
  std::lock_guard<std::mutex> guard(starterLock);
  std::shared_ptr<UCCIEngine> previous;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (closing) return false;
    if (starting) return true;  // the round under way reports its outcome
    starting = true;
    if (replaceCurrent) {
      previous = std::move(engine);
      predictedPonderMove.clear();
      restartAttempts = 0;
      gaveUp = false;
    }
  }
  if (replaceCurrent) {
    logInfo("AI::resetEngine: Resetting engine for error recovery");
    thinking = false;
    if (previous) {
      previous->setStateCallback(nullptr);
      previous->setBestMoveCallback(nullptr);
    }
  }
  // The previous round has let go of `starting`: its thread at most finishes its start
  // command or its last report.
  if (starter.joinable()) starter.join();
  starter = std::thread([this, previous = std::move(previous)]() mutable {
    // Ending a failed engine may wait for its process: that wait belongs here too.
    if (previous) previous->stop();
    previous.reset();
    runStartAttempts();
  });
  return true;
}

void AI::runStartAttempts() {
  bool givenUp = false;
  for (;;) {
    std::string path;
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      if (closing) break;
      path = settings.enginePath;
      roundEndedBy = nullptr;  // the thread of the round that set it is over
      failedInRound = nullptr;
    }
    std::shared_ptr<UCCIEngine> fresh = replaceEngine();
    logInfo("AI::startEngineWithRetry: Starting UCCI engine: " + path);
    bool started = fresh->start(path);
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      // An engine that reached idle before `start` returned has ended the round itself (a
      // new round may be waiting for this thread already). One that died before is this
      // round's failure: its own report was held back while `starting` was set. From here
      // on its failures report themselves.
      if (roundEndedBy == fresh.get()) return;
      started = started && fresh->getState() != UCCIEngine::ERROR_STATE;
      if (started) {
        restartAttempts = 0;
        gaveUp = false;
        starting = false;
      } else {
        failedInRound = fresh.get();  // its own report may still be on its way
      }
    }
    if (started) {
      logInfo("AI::startEngineWithRetry: UCCI engine start command sent");
      return;
    }
    logError("AI::startEngineWithRetry: Failed to start UCCI engine");
    int32_t attempt = 0;
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      if (restartAttempts < MAX_RESTART_ATTEMPTS) attempt = ++restartAttempts;
    }
    if (attempt == 0) {
      givenUp = true;
      break;
    }
    logInfo("AI::startEngineWithRetry: Retrying (attempt " + std::to_string(attempt) + "/" +
            std::to_string(MAX_RESTART_ATTEMPTS) + ")");
    sleepBeforeRetry(std::chrono::milliseconds(attempt * RETRY_DELAY_MS));
  }
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (givenUp) gaveUp = true;
    starting = false;
  }
  if (givenUp) reportReady(false);
}

void AI::sleepBeforeRetry(std::chrono::milliseconds delay) {
  RetrySleep sleep;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    sleep = retrySleep;
  }
  if (sleep) {
    sleep(delay);
    return;
  }
  // Cut short when the AI is being destroyed.
  std::unique_lock<std::mutex> lock(fieldsLock);
  closingSignal.wait_for(lock, delay, [this] { return closing; });
}

bool AI::restartEngine() {
  logInfo("AI::restartEngine: Replacing the engine after a failure");
  return beginStartRound(true);
}

bool AI::hasGivenUp() const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return gaveUp && restartAttempts >= MAX_RESTART_ATTEMPTS;
}

void AI::clearGiveUp() {
  std::lock_guard<std::mutex> lock(fieldsLock);
  // A round under way keeps its own count: it stays bounded and reports once.
  if (!starting) restartAttempts = 0;
  gaveUp = false;
}

bool AI::isStarting() const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return starting;
}

bool AI::ensureEngineReady() {
  if (hasGivenUp()) {
    // Another round now would report the same failure again.
    logError("AI::ensureEngineReady: Engine gave up after repeated failures; not restarting");
    return false;
  }
  std::shared_ptr<UCCIEngine> current = currentEngine();
  // An idle engine takes the request although its round may not have been wound up yet:
  // its ready report may have gone by already.
  if (isStarting() && !(current && current->getState() == UCCIEngine::IDLE)) {
    logInfo("AI::ensureEngineReady: Engine is starting; the request waits for its ready report");
    return false;
  }
  if (!current || !isRunningState(current->getState())) {
    // The new engine's first idle (or the round's give-up) is reported to the owner.
    logWarning("AI::ensureEngineReady: Engine not healthy, attempting recovery");
    beginStartRound(true);
    return false;
  }
  if (current->getState() == UCCIEngine::PONDERING) {
    logInfo("AI::ensureEngineReady: Stopping ponder to proceed");
    current->stopPonder();
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();
  }
  const UCCIEngine::EngineState state = current->getState();
  if (state == UCCIEngine::IDLE) return true;
  logWarning("AI::ensureEngineReady: Engine not IDLE, state = " + std::to_string(state));
  return false;
}

void AI::newGame() {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();  // a reply expected in the previous game
    engineAnsweredLast = false;
  }
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return;
  // A search still running (the owner may just have stopped it) is ended by the driver
  // before the engine hears of the new game; a starting engine needs no new game.
  const UCCIEngine::EngineState state = current->getState();
  if (state != UCCIEngine::IDLE && state != UCCIEngine::THINKING && state != UCCIEngine::PONDERING) return;
  beginRequest();  // no owed search may start on the stopped one's idle report
  current->newGame();
  logInfo("AI: Sent ucinewgame");
}

void AI::clearHash() {
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->clearHash();
}

void AI::setEnginePath(const std::string& utf8Path) {
  std::lock_guard<std::mutex> lock(fieldsLock);
  settings.enginePath = utf8Path;
}

// ---------------------------------------------------------------------------------
// Engine reports

void AI::onEngineStateChanged(UCCIEngine* source, UCCIEngine::EngineState state) {
  if (!isCurrentEngine(source)) return;  // an engine being replaced
  if (state == UCCIEngine::IDLE) {
    bool applyPending = false;
    AISettings values;
    std::optional<OwedSearch> owed;
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      // Asked again under the lock that guards the round: a restart since the check above
      // has begun a round of its own, which this engine's late report must not end.
      if (engine.get() != source) return;
      thinking = false;
      applyPending = std::exchange(pendingDifficulty, false);
      values = settings;
      owed = std::exchange(owedSearch, std::nullopt);
      // The first idle ends the round of start attempts, before anyone hears of it: a
      // request made on this report must not be refused as meeting a starting engine.
      if (std::exchange(starting, false)) {
        roundEndedBy = source;
        restartAttempts = 0;
        gaveUp = false;
      }
    }
    if (applyPending && !heldByInitialOptions(*source, values)) {
      sendDifficulty(*source, values.difficultyTier, values.customElo, values.customSkill);
      logInfo("AI: Applied pending difficulty after engine became idle");
    }
    uint64_t latest = 0;
    {
      std::lock_guard<std::recursive_mutex> guard(deliveryLock);
      latest = currentRequest;
    }
    if (owed && owed->request == latest && source->getState() != UCCIEngine::IDLE) {
      std::lock_guard<std::mutex> lock(fieldsLock);
      if (!owedSearch) owedSearch = std::move(owed);  // busy again already: the next idle
      owed.reset();
    }
    if (owed && owed->request == latest) {
      // The engine goes straight back to work: it is not free for another request.
      logInfo("AI: Starting the fallback search that waited for the engine");
      {
        std::lock_guard<std::mutex> lock(fieldsLock);
        predictedPonderMove.clear();
      }
      thinking = true;
      engineSearchRequest = owed->request;
      source->requestMove(owed->board, owed->board.toFEN());
    } else {
      reportReady(true);
    }
  } else if (state == UCCIEngine::ERROR_STATE) {
    logError("AI::onEngineStateChanged: Engine error state detected");
    bool report = false;
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      if (engine.get() != source) return;  // replaced since the check above
      gaveUp = true;
      // A round's attempts report once, at its give-up, also when the failed engine's
      // own report comes after it.
      report = !starting && source != failedInRound;
    }
    thinking = false;
    if (report) reportReady(false);
  }
  StateChangedCallback callback;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    callback = stateChangedCallback;
  }
  if (callback) callback();
}

void AI::onEngineBestMove(UCCIEngine* source, const Move& move) {
  if (!isCurrentEngine(source)) return;
  logMove("UCCI Engine callback", move.from.x, move.from.y, move.to.x, move.to.y);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    engineAnsweredLast = true;
  }
  deliverMove(engineSearchRequest.load(), move);
}

void AI::reportReady(bool ready) {
  EngineReadyCallback callback;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    callback = engineReadyCallback;
  }
  if (callback) callback(ready);
}

}  // namespace Tavrune
