#include "engine/AI.h"

#include <algorithm>
#include <utility>

#include "core/Log.h"
#include "engine/EngineMoveText.h"

namespace Tavrune {

namespace {

constexpr int32_t MIN_CUSTOM_ELO = 1280;
constexpr int32_t MAX_CUSTOM_ELO = 3133;
constexpr int32_t MIN_CUSTOM_SKILL = 1;
constexpr int32_t MAX_CUSTOM_SKILL = 21;
constexpr int32_t MIN_TIME_LIMIT_MS = 100;
constexpr int32_t MAX_TIME_LIMIT_MS = 300000;
constexpr int32_t MAX_DEPTH = 245;

const char* enabledText(bool on) { return on ? "enabled" : "disabled"; }

bool isRunningState(UCCIEngine::EngineState state) {
  return state != UCCIEngine::NOT_STARTED && state != UCCIEngine::ERROR_STATE;
}

}  // namespace

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
    thinking = false;
    bool applyPending = false;
    AISettings values;
    std::optional<OwedSearch> owed;
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
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

// ---------------------------------------------------------------------------------
// Move requests

uint64_t AI::beginRequest() {
  uint64_t request = 0;
  {
    std::lock_guard<std::recursive_mutex> guard(deliveryLock);
    request = ++currentRequest;
  }
  std::lock_guard<std::mutex> lock(fieldsLock);
  owedSearch.reset();
  return request;
}

void AI::deliverMove(uint64_t request, const Move& move) {
  std::lock_guard<std::recursive_mutex> guard(deliveryLock);
  if (request != currentRequest) {
    logInfo("AI: Dropping the answer to a cancelled or superseded request");
    return;
  }
  thinking = false;
  if (moveReadyCallback) moveReadyCallback(move);
}

std::optional<Move> AI::bookMove(const Board& board) const {
  if (!books.hasAnyBook()) return std::nullopt;
  Move move = books.probeRandom(board);
  if (!move.from.isValid() || !move.to.isValid()) return std::nullopt;
  move.piece = board.getPiece(move.from);
  move.captured = board.getPiece(move.to);
  if (!board.isValidMove(move)) {
    logWarning("AI: Book move is not legal here, treated as a miss: " + EngineMoveText::format(move));
    return std::nullopt;
  }
  return move;
}

void AI::predictReplyToBookMove(const Board& board, const Move& move, const std::string& logPrefix) {
  Board after = board;
  after.movePiece(move);
  if (after.getGameState() != PLAYING) return;
  Move reply = books.probeBest(after);
  if (!reply.from.isValid() || !reply.to.isValid()) return;
  reply.piece = after.getPiece(reply.from);
  reply.captured = after.getPiece(reply.to);
  if (!after.isValidMove(reply)) return;
  const std::string text = EngineMoveText::format(reply);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove = text;
  }
  logInfo(logPrefix + text);
}

bool AI::startEngineSearch(uint64_t request, const Board& board, bool logFen) {
  if (!ensureEngineReady()) return false;
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return false;
  {
    // The engine names its own expected reply with its answer.
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();
  }
  thinking = true;
  engineSearchRequest = request;
  const std::string fen = board.toFEN();
  if (logFen) logInfo("AI::startThinking: FEN = " + fen);
  current->requestMove(board, fen);
  return true;
}

bool AI::startThinking(const Board& board, PieceColor side) {
  if (thinking.exchange(false)) {
    logWarning("AI::startThinking: Already thinking, stopping previous search");
    if (cloudBook) cloudBook->cancel();
    if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->stopSearch();
  }
  if (side != board.getCurrentPlayer()) {
    logWarning("AI::startThinking: The side asked for is not the side to move; answering for the side to move");
  }
  const uint64_t request = beginRequest();

  int32_t mode = BOOK_LOCAL_FIRST;
  bool ponderEnabled = false;
  HttpClientFactory clientFactory;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    mode = settings.openingBookMode;
    ponderEnabled = settings.ponderEnabled;
    clientFactory = httpClientFactory;
  }

  if (mode == BOOK_ONLINE_FIRST) {
    if (!cloudBook) cloudBook = std::make_unique<CloudBook>();
    if (clientFactory) cloudBook->setHttpClient(clientFactory());
    thinking = true;
    abandonPonder();
    cloudBook->query(board, [this, gate = cloudGate, request, asked = board](bool hit, const Move& move) {
      std::lock_guard<std::mutex> entry(gate->lock);
      if (gate->open) onCloudBookResult(request, asked, hit, move);
    });
    return true;
  }

  if (mode == BOOK_LOCAL_FIRST) {
    if (std::optional<Move> move = bookMove(board)) {
      logInfo("AI::startThinking: Opening book hit!");
      thinking = true;
      {
        std::lock_guard<std::mutex> lock(fieldsLock);
        predictedPonderMove.clear();
        engineAnsweredLast = false;
      }
      abandonPonder();
      if (ponderEnabled) predictReplyToBookMove(board, *move, "AI::startThinking: Book ponder move = ");
      // Handed over at once: the callback only posts, so no thread of its own is needed.
      deliverMove(request, *move);
      return true;
    }
  }
  return startEngineSearch(request, board, true);
}

void AI::onCloudBookResult(uint64_t request, const Board& board, bool hit, const Move& move) {
  {
    std::lock_guard<std::recursive_mutex> guard(deliveryLock);
    if (request != currentRequest) {
      logInfo("AI: Dropping the online book's answer to a cancelled or superseded request");
      return;
    }
  }
  bool ponderEnabled = false;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    ponderEnabled = settings.ponderEnabled;
  }
  if (hit && move.from.isValid() && move.to.isValid() && board.isValidMove(move)) {
    logInfo("AI::startThinking: Cloud book hit!");
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      predictedPonderMove.clear();
      engineAnsweredLast = false;
    }
    if (ponderEnabled && books.hasAnyBook()) {
      predictReplyToBookMove(board, move, "AI::startThinking: Cloud book ponder move = ");
    }
    deliverMove(request, move);
    return;
  }
  logInfo("AI::startThinking: Cloud book miss, falling back to local book");
  if (std::optional<Move> local = bookMove(board)) {
    logInfo("AI::startThinking: Local book hit (cloud fallback)!");
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      predictedPonderMove.clear();
      engineAnsweredLast = false;
    }
    if (ponderEnabled) predictReplyToBookMove(board, *local, "AI::startThinking: Local book ponder move = ");
    deliverMove(request, *local);
    return;
  }
  logInfo("AI::startThinking: All books miss, starting engine search");
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::THINKING) {
    logInfo("AI::startThinking: Stopping previous engine search for fallback");
    current->stopSearch();
  }
  if (startEngineSearch(request, board, false)) return;
  logError("AI::startThinking: Engine not ready for fallback search");
  oweSearch(OwedSearch{request, board});
}

void AI::oweSearch(OwedSearch search) {
  // Nobody else will ask again for this request: it runs when the engine is next idle.
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    owedSearch = std::move(search);
  }
  thinking = true;
  // The engine may have become idle meanwhile, its idle report already handled: then the
  // search is taken back and run here. Whoever takes it from `owedSearch` runs it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::shared_ptr<UCCIEngine> current = currentEngine();
    if (!current || current->getState() != UCCIEngine::IDLE) return;
    std::optional<OwedSearch> mine;
    {
      std::lock_guard<std::mutex> lock(fieldsLock);
      mine = std::exchange(owedSearch, std::nullopt);
    }
    if (!mine || startEngineSearch(mine->request, mine->board, false)) return;
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (!owedSearch) owedSearch = std::move(mine);
  }
}

void AI::abandonPonder() {
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::PONDERING) {
    current->stopPonder();
  }
}

void AI::stopThinking() {
  beginRequest();  // nothing asked before now may answer any more
  if (cloudBook) cloudBook->cancel();
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->stopSearch();
  thinking = false;
}

void AI::startPondering(const Board& board) {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  std::string text;
  bool engineAnswered = false;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    if (!settings.ponderEnabled || !current) return;
    text = predictedPonderMove;
    engineAnswered = engineAnsweredLast;
  }
  // The engine's expected reply is only about its own last answer.
  if (text.empty() && engineAnswered) text = current->getPonderMove();
  if (text.empty()) return;

  std::optional<Move> move = EngineMoveText::parse(text);
  if (move) {
    move->piece = board.getPiece(move->from);
    move->captured = board.getPiece(move->to);
  }
  // Only a legal reply gives a position the engine may be sent.
  if (!move || !board.isValidMove(*move)) {
    logWarning("AI: Predicted reply is not legal here, not pondering: " + text.substr(0, 16));
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();
    return;
  }
  Board after = board;
  after.movePiece(*move);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove = after.getGameState() == PLAYING ? text : std::string();
  }
  if (after.getGameState() != PLAYING) return;  // the reply would end the game
  current->startPonder(after.toFEN(), after);
  logInfo("AI: Started pondering on predicted move: " + text);
}

bool AI::isPonderHit(const Move& move) const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return !predictedPonderMove.empty() && EngineMoveText::format(move) == predictedPonderMove;
}

void AI::ponderHit() {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return;
  const uint64_t request = beginRequest();
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    predictedPonderMove.clear();  // the engine names the next one with its answer
  }
  thinking = true;
  engineSearchRequest = request;
  current->ponderHit();
}

void AI::stopPonder() {
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->stopPonder();
  std::lock_guard<std::mutex> lock(fieldsLock);
  predictedPonderMove.clear();
}

bool AI::loadOpeningBook(const std::string& utf8Path, int32_t type) {
  const bool loaded = books.loadBook(utf8Path, type);
  if (loaded) {
    logInfo("AI: Opening book loaded: " + utf8Path);
  } else {
    logWarning("AI: Failed to load opening book: " + utf8Path);
  }
  return loaded;
}

// ---------------------------------------------------------------------------------
// Settings

void AI::sendDifficulty(UCCIEngine& target, int32_t tier, int32_t elo, int32_t skill) {
  if (tier == TIER_CUSTOM_ELO) {
    target.setCustomElo(elo);
  } else if (tier == TIER_CUSTOM_SKILL) {
    target.setCustomSkill(skill);
  } else {
    target.setDifficulty(tier);
  }
}

bool AI::heldByInitialOptions(const UCCIEngine& target, const AISettings& values) {
  // A UCI engine was given the level it recorded with its initial options; only a
  // change since then needs sending.
  if (target.getProtocol() != EngineProtocol::UCI) return false;
  const EngineSettings held = target.getSettings();
  if (held.difficultyTier != values.difficultyTier) return false;
  if (values.difficultyTier == TIER_CUSTOM_ELO) return held.customElo == values.customElo;
  if (values.difficultyTier == TIER_CUSTOM_SKILL) return held.customSkill == values.customSkill;
  return true;
}

void AI::applyDifficulty(const std::string& pendingText) {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return;
  const UCCIEngine::EngineState state = current->getState();
  AISettings values;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    values = settings;
    pendingDifficulty = state != UCCIEngine::IDLE;
  }
  if (state == UCCIEngine::IDLE) {
    sendDifficulty(*current, values.difficultyTier, values.customElo, values.customSkill);
  } else if (isRunningState(state)) {
    logInfo(pendingText);
  }
}

void AI::setDifficultyTier(int32_t tier) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.difficultyTier = tier;
  }
  applyDifficulty("AI: Engine is thinking, difficulty will be applied after current search");
  logInfo("AI: Difficulty tier set to " + std::to_string(tier));
}

void AI::setCustomElo(int32_t elo) {
  elo = std::clamp(elo, MIN_CUSTOM_ELO, MAX_CUSTOM_ELO);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.customElo = elo;
    settings.difficultyTier = TIER_CUSTOM_ELO;
  }
  applyDifficulty("AI: Engine is thinking, custom ELO will be applied after current search");
  logInfo("AI: Custom ELO set to " + std::to_string(elo));
}

void AI::setCustomSkill(int32_t skill) {
  skill = std::clamp(skill, MIN_CUSTOM_SKILL, MAX_CUSTOM_SKILL);
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.customSkill = skill;
    settings.difficultyTier = TIER_CUSTOM_SKILL;
  }
  applyDifficulty("AI: Engine is thinking, custom skill will be applied after current search");
  logInfo("AI: Custom skill level set to " + std::to_string(skill));
}

void AI::setSearchLimitMode(int32_t mode) {
  const int32_t stored = mode == SEARCH_BY_DEPTH ? SEARCH_BY_DEPTH : SEARCH_BY_TIME;
  AISettings values;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.searchLimitMode = stored;
    values = settings;
  }
  // The engine searches by the limits it holds: switching the mode alone must change them.
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) {
    current->setMovetime(values.timeLimit);
    current->setDepth(stored == SEARCH_BY_DEPTH ? values.depth : 0);
  }
  logInfo("AI: Search limit mode set to " + std::to_string(stored) +
          (stored == SEARCH_BY_DEPTH ? " (depth)" : " (time)"));
}

void AI::setTimeLimit(int32_t milliseconds) {
  milliseconds = std::clamp(milliseconds, MIN_TIME_LIMIT_MS, MAX_TIME_LIMIT_MS);
  int32_t mode = SEARCH_BY_TIME;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.timeLimit = milliseconds;
    mode = settings.searchLimitMode;
  }
  const std::string ms = std::to_string(milliseconds);
  if (mode == SEARCH_BY_DEPTH) {
    logInfo("AI: Time limit saved: " + ms + "ms (ignored in depth mode)");
    return;
  }
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) {
    logInfo("AI: Time limit saved: " + ms + "ms (engine not ready)");
    return;
  }
  current->setMovetime(milliseconds);
  current->setDepth(0);
  logInfo("AI: Time limit applied to engine params: " + ms + "ms (time mode)");
}

void AI::setDepth(int32_t depth) {
  depth = std::clamp(depth, 0, MAX_DEPTH);
  int32_t mode = SEARCH_BY_TIME;
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.depth = depth;
    mode = settings.searchLimitMode;
  }
  const std::string text = std::to_string(depth);
  if (mode == SEARCH_BY_TIME) {
    logInfo("AI: Depth saved: " + text + " (ignored in time mode)");
    return;
  }
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) {
    logInfo("AI: Depth saved: " + text + " (engine not ready)");
    return;
  }
  current->setDepth(depth);
  logInfo("AI: Depth applied to engine params: " + text + " (depth mode)");
}

void AI::setThreads(int32_t count) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.threads = count;
  }
  // A busy engine gets the value at its next start.
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::IDLE) {
    current->setThreads(count);
  }
  logInfo("AI: Threads set to " + std::to_string(count));
}

void AI::setHash(int32_t megabytes) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.hashSize = megabytes;
  }
  if (std::shared_ptr<UCCIEngine> current = currentEngine(); current && current->getState() == UCCIEngine::IDLE) {
    current->setHash(megabytes);
  }
  logInfo("AI: Hash set to " + std::to_string(megabytes) + "MB");
}

void AI::setPonderEnabled(bool enabled) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.ponderEnabled = enabled;
  }
  // The driver only records it (it decides whether to ponder), whatever its state.
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->setPonder(enabled);
  logInfo(std::string("AI: Ponder ") + enabledText(enabled));
}

void AI::setShowWDL(bool show) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.showWDL = show;
  }
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->setShowWDL(show);
  logInfo(std::string("AI: ShowWDL ") + enabledText(show));
}

void AI::setMultiPV(int32_t lines) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.multiPV = lines;
  }
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) current->setMultiPV(lines);
  logInfo("AI: MultiPV set to " + std::to_string(lines));
}

void AI::setOpeningBookMode(int32_t mode) {
  if (mode < BOOK_LOCAL_FIRST || mode > BOOK_ENGINE_ONLY) {
    logWarning("AI::setOpeningBookMode: invalid mode, fallback to LOCAL");
    mode = BOOK_LOCAL_FIRST;
  }
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.openingBookMode = mode;
  }
  logInfo("AI: Opening book mode set to " + std::to_string(mode));
}

template <typename Field, typename Argument>
void AI::forwardSetting(Field AISettings::*field, void (UCCIEngine::*setter)(Argument), const Field& value) {
  {
    std::lock_guard<std::mutex> lock(fieldsLock);
    settings.*field = value;
  }
  // The engine keeps the value inside its limits and sends it when it can.
  if (std::shared_ptr<UCCIEngine> current = currentEngine()) ((*current).*setter)(value);
}

void AI::setDebugLogFile(const std::string& path) {
  forwardSetting(&AISettings::debugLogFile, &UCCIEngine::setDebugLogFile, path);
}
void AI::setNumaPolicy(const std::string& policy) {
  forwardSetting(&AISettings::numaPolicy, &UCCIEngine::setNumaPolicy, policy);
}
void AI::setMoveOverhead(int32_t ms) {
  forwardSetting(&AISettings::moveOverhead, &UCCIEngine::setMoveOverhead, ms);
}
void AI::setNodesTime(int32_t nodes) {
  forwardSetting(&AISettings::nodesTime, &UCCIEngine::setNodesTime, nodes);
}
void AI::setMateThreatDepth(int32_t depth) {
  forwardSetting(&AISettings::mateThreatDepth, &UCCIEngine::setMateThreatDepth, depth);
}
void AI::setRepetitionRule(const std::string& rule) {
  forwardSetting(&AISettings::repetitionRule, &UCCIEngine::setRepetitionRule, rule);
}
void AI::setDrawRule(const std::string& rule) {
  forwardSetting(&AISettings::drawRule, &UCCIEngine::setDrawRule, rule);
}
void AI::setSixtyMoveRule(bool enabled) {
  forwardSetting(&AISettings::sixtyMoveRule, &UCCIEngine::setSixtyMoveRule, enabled);
}
void AI::setRule60MaxPly(int32_t plies) {
  forwardSetting(&AISettings::rule60MaxPly, &UCCIEngine::setRule60MaxPly, plies);
}
void AI::setScoreType(const std::string& type) {
  forwardSetting(&AISettings::scoreType, &UCCIEngine::setScoreType, type);
}
void AI::setLuOutput(bool enabled) {
  forwardSetting(&AISettings::luOutput, &UCCIEngine::setLuOutput, enabled);
}

// ---------------------------------------------------------------------------------
// Queries

bool AI::isThinking() const { return thinking.load(); }

bool AI::isEngineRunning() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && isRunningState(current->getState());
}

bool AI::isEngineReady() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->getState() == UCCIEngine::IDLE;
}

bool AI::isPondering() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->getState() == UCCIEngine::PONDERING;
}

bool AI::supportsElo() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->hasEloOptions();
}

int32_t AI::getEloMin() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->hasEloOptions() ? current->getEloMin() : 0;
}

int32_t AI::getEloMax() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current && current->hasEloOptions() ? current->getEloMax() : 0;
}

std::string AI::getEngineStateText() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  if (!current) return "未启动";
  switch (current->getState()) {
    case UCCIEngine::NOT_STARTED: return "未启动";
    case UCCIEngine::INITIALIZING: return "初始化中";
    case UCCIEngine::IDLE: return "空闲";
    case UCCIEngine::THINKING: return "思考中";
    case UCCIEngine::PONDERING: return "预思考中";
    case UCCIEngine::ERROR_STATE: return "错误";
  }
  return "未知";
}

std::string AI::getEngineParamsText() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->getStatusText() : "引擎未启动";
}

std::string AI::verifyEngineOptions() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->verifyOptions() : "引擎未启动";
}

std::string AI::getEngineName() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->getEngineName() : std::string();
}

int32_t AI::getEngineOptionCount() const {
  std::shared_ptr<UCCIEngine> current = currentEngine();
  return current ? current->getOptionCount() : 0;
}

int32_t AI::getRestartAttempts() const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return restartAttempts;
}

AISettings AI::getSettings() const {
  std::lock_guard<std::mutex> lock(fieldsLock);
  return settings;
}

}  // namespace Tavrune
