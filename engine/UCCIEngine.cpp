#include "engine/UCCIEngine.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "core/Log.h"
#include "engine/EngineLineParser.h"
#include "engine/EngineMoveText.h"

namespace Tavrune {

namespace {

constexpr int32_t READ_CHUNK_BYTES = 4095;
// Engine lines are logged up to this length; a flood of huge lines must not bloat the log.
constexpr size_t LOGGED_LINE_LIMIT = 1024;
constexpr const char START_PLACEMENT[] = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR";

bool startsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool hasLineBreakOrNul(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string loggedLine(const std::string& line) {
  if (line.size() <= LOGGED_LINE_LIMIT) return line;
  return line.substr(0, LOGGED_LINE_LIMIT) + "... (" + std::to_string(line.size()) + " bytes)";
}

// "position startpos" only stands for the standard placement with Red to move and a
// fresh halfmove clock; anything else is sent as its FEN.
bool isStartPosition(const std::string& fen) {
  std::vector<std::string> fields = EngineLineParser::splitWords(fen);
  if (fields.size() < 2 || fields[0] != START_PLACEMENT || fields[1] != "w") return false;
  return fields.size() < 5 || fields[4] == "0";
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

const char* boolText(bool value) { return value ? "true" : "false"; }

}  // namespace

// What the read thread shares with the engine object. The thread keeps it alive, so an
// abandoned thread that wakes late touches only this, never the engine object.
struct UCCIEngine::ReadChannel {
  explicit ReadChannel(std::shared_ptr<IProcessManager> p) : process(std::move(p)) {}

  bool waitDone(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(doneMutex);
    return doneCondition.wait_for(lock, timeout, [this] { return done; });
  }
  void markDone() {
    {
      std::lock_guard<std::mutex> lock(doneMutex);
      done = true;
    }
    doneCondition.notify_all();
  }

  std::shared_ptr<IProcessManager> process;
  std::mutex dispatchMutex;  // held while output is handed to the engine object
  bool abandoned = false;    // guarded by dispatchMutex
  std::mutex doneMutex;
  std::condition_variable doneCondition;
  bool done = false;
};

UCCIEngine::UCCIEngine() = default;

UCCIEngine::~UCCIEngine() {
  stop();
  std::lock_guard<std::mutex> life(lifecycleMutex);
  joinThreads();
}

void UCCIEngine::setProcessManager(std::unique_ptr<IProcessManager> manager) {
  if (onEngineThread()) {
    logError("UCCIEngine: Cannot replace the process manager from the engine's own thread");
    return;
  }
  std::lock_guard<std::mutex> life(lifecycleMutex);
  std::lock_guard<std::mutex> lock(mutex);
  if (sessionActive || readThread.joinable()) {
    logError("UCCIEngine: Cannot replace the process manager while the engine runs");
    return;
  }
  process = std::move(manager);
}

void UCCIEngine::setBestMoveCallback(BestMoveCallback callback) {
  std::lock_guard<std::mutex> lock(mutex);
  bestMoveCallback = std::move(callback);
}

void UCCIEngine::setStateCallback(StateCallback callback) {
  std::lock_guard<std::mutex> lock(mutex);
  stateCallback = std::move(callback);
}

void UCCIEngine::setInfoLineCallback(InfoLineCallback callback) {
  std::lock_guard<std::mutex> lock(mutex);
  infoLineCallback = std::move(callback);
}

void UCCIEngine::setInfoCallback(InfoCallback callback) {
  std::lock_guard<std::mutex> lock(mutex);
  infoCallback = std::move(callback);
}

void UCCIEngine::setTimeouts(const EngineTimeouts& newTimeouts) {
  std::lock_guard<std::mutex> lock(mutex);
  timeouts = newTimeouts;
}

// ---------------------------------------------------------------------------------
// Life cycle

bool UCCIEngine::start(const std::string& path) {
  if (onEngineThread()) {
    logError("UCCIEngine: Cannot start the engine from its own thread");
    return false;
  }
  std::unique_lock<std::mutex> life(lifecycleMutex);
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != NOT_STARTED && state != ERROR_STATE) {
      logError("UCCIEngine: Engine already running");
      return false;
    }
  }
  // After an engine "error" line or a handshake time-out the old process may still run.
  shutdownSession();

  std::shared_ptr<IProcessManager> proc;
  {
    std::lock_guard<std::mutex> lock(mutex);
    proc = process;
    if (proc) enginePath = path;
  }
  if (!proc) {
    logError("UCCIEngine: No process manager set. Call setProcessManager() first.");
    {
      std::lock_guard<std::mutex> lock(mutex);
      setStateLocked(ERROR_STATE);
    }
    life.unlock();
    notifyState(ERROR_STATE);
    return false;
  }
  logInfo("UCCIEngine: Starting engine: " + path);
  if (!proc->start(path)) {
    logError("UCCIEngine: Failed to start engine process");
    {
      std::lock_guard<std::mutex> lock(mutex);
      setStateLocked(ERROR_STATE);
    }
    life.unlock();
    notifyState(ERROR_STATE);
    return false;
  }

  std::shared_ptr<ReadChannel> channel = std::make_shared<ReadChannel>(proc);
  {
    std::lock_guard<std::mutex> lock(mutex);
    sessionActive = true;
    protocol = EngineProtocol::DETECTING;
    optionLimitWarned = false;
    searchResultDiscarded = false;
    isreadySent = 0;
    readyokReceived = 0;
    stopRequested = false;
    setStateLocked(INITIALIZING);
  }
  pendingLine.clear();
  droppingLongLine = false;
  readChannel = channel;
  readThread = std::thread(&UCCIEngine::readLoop, this, channel);
  watchdogThread = std::thread(&UCCIEngine::handshakeWatch, this);
  life.unlock();

  // Nothing can answer before "uci" goes out, so INITIALIZING is reported before IDLE.
  notifyState(INITIALIZING);
  logInfo("UCCIEngine: Detecting engine protocol...");
  sendCommand("uci");
  logInfo("UCCIEngine: Engine started, protocol detection in progress");
  return true;
}

void UCCIEngine::stop() {
  if (onEngineThread()) {
    // Joining here would wait for this very thread: end the process and let the thread
    // finish after its callback returns; the owner joins it later.
    logError("UCCIEngine: stop called on the engine's own thread; not waiting for it");
    std::shared_ptr<IProcessManager> proc;
    bool active = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (state == NOT_STARTED && !sessionActive) return;
      stopRequested = true;
      stateChanged.notify_all();
      proc = process;
      active = sessionActive;
    }
    if (active) sendCommand("quit");
    if (proc) proc->terminate();
    {
      std::lock_guard<std::mutex> lock(mutex);
      sessionActive = false;
      setStateLocked(NOT_STARTED);
      options.clear();
      settings.appliedThreads = 0;
      settings.appliedHash = 0;
      settings.depthLimit = 0;
    }
    notifyState(NOT_STARTED);
    logInfo("UCCIEngine: Engine stopped");
    return;
  }

  std::unique_lock<std::mutex> life(lifecycleMutex);
  bool stopped = false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopped = state == NOT_STARTED && !sessionActive;
  }
  if (stopped) {
    joinThreads();  // threads of a session stopped from its own thread
    return;
  }
  logInfo("UCCIEngine: Stopping engine");
  shutdownSession();
  {
    std::lock_guard<std::mutex> lock(mutex);
    setStateLocked(NOT_STARTED);
    options.clear();
    settings.appliedThreads = 0;
    settings.appliedHash = 0;
    settings.depthLimit = 0;
  }
  life.unlock();
  notifyState(NOT_STARTED);
  logInfo("UCCIEngine: Engine stopped");
}

void UCCIEngine::shutdownSession() {
  std::shared_ptr<IProcessManager> proc;
  std::shared_ptr<ReadChannel> channel = readChannel;
  bool active = false;
  EngineTimeouts limits;
  {
    std::lock_guard<std::mutex> lock(mutex);
    // Set under the lock so that a waiter cannot miss the wake-up.
    stopRequested = true;
    stateChanged.notify_all();
    proc = process;
    active = sessionActive;
    limits = timeouts;
  }
  if (active) sendCommand("quit");
  // An engine that obeys "quit" exits, its output ends and the read thread finishes.
  if (channel && !channel->waitDone(limits.quit)) {
    logWarning("UCCIEngine: Engine did not exit after quit, terminating it");
  }
  if (proc && active) proc->terminate();
  joinThreads();
  std::lock_guard<std::mutex> lock(mutex);
  sessionActive = false;
}

void UCCIEngine::joinThreads() {
  EngineTimeouts limits;
  {
    std::lock_guard<std::mutex> lock(mutex);
    limits = timeouts;
    stateChanged.notify_all();
  }
  if (readThread.joinable()) {
    if (readChannel->waitDone(limits.readThreadExit)) {
      readThread.join();
    } else {
      // The process interface failed to release its read. The thread keeps its channel
      // alive and, once its read returns, leaves without touching this object.
      logError("UCCIEngine: Read thread did not end after terminate; leaving it behind");
      {
        std::lock_guard<std::mutex> gate(readChannel->dispatchMutex);
        readChannel->abandoned = true;
      }
      readThread.detach();
    }
    readThreadId = std::thread::id();
  }
  readChannel.reset();
  if (watchdogThread.joinable()) {
    watchdogThread.join();  // it waits on stateChanged with stopRequested in its predicate
    watchdogThreadId = std::thread::id();
  }
}

bool UCCIEngine::onEngineThread() const {
  const std::thread::id self = std::this_thread::get_id();
  return self == readThreadId.load() || self == watchdogThreadId.load();
}

void UCCIEngine::setStateLocked(EngineState newState) {
  state = newState;
  stateChanged.notify_all();
}

void UCCIEngine::notifyState(EngineState newState) {
  StateCallback callback;
  {
    std::lock_guard<std::mutex> lock(mutex);
    // A report overtaken by a newer change (a callback stopped the engine, say) would
    // only mislead; the newer change reports itself.
    if (state != newState) return;
    callback = stateCallback;
  }
  if (callback) callback(newState);
}

void UCCIEngine::failAndStop(const std::string& reason) {
  logError(reason);
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state == NOT_STARTED) return;  // someone else stopped the engine meanwhile
    if (state != ERROR_STATE) {
      setStateLocked(ERROR_STATE);
      changed = true;
    }
  }
  if (changed) notifyState(ERROR_STATE);
  stop();
}

void UCCIEngine::handshakeWatch() {
  watchdogThreadId = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(mutex);
  const auto limit = timeouts.handshake;
  const bool settled = stateChanged.wait_for(lock, limit, [this] {
    return state != INITIALIZING || stopRequested.load();
  });
  if (settled) return;
  setStateLocked(ERROR_STATE);
  lock.unlock();
  logError("UCCIEngine: Handshake did not finish within " + std::to_string(limit.count()) + " ms");
  notifyState(ERROR_STATE);
}

// ---------------------------------------------------------------------------------
// Reading and parsing

void UCCIEngine::readLoop(std::shared_ptr<ReadChannel> channel) {
  readThreadId = std::this_thread::get_id();
  logInfo("UCCIEngine: Read thread started");
  std::vector<char> buffer(READ_CHUNK_BYTES + 1);
  for (;;) {
    {
      std::lock_guard<std::mutex> gate(channel->dispatchMutex);
      if (channel->abandoned || stopRequested) break;
    }
    const int32_t count = channel->process->read(buffer.data(), READ_CHUNK_BYTES);
    std::unique_lock<std::mutex> gate(channel->dispatchMutex);
    if (channel->abandoned) break;
    if (count < 0) {
      onOutputEnded();
      break;
    }
    if (count == 0) {
      gate.unlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(ENGINE_IDLE_READ_SLEEP_MS));
      continue;
    }
    consumeChunk(buffer.data(), static_cast<size_t>(count));
  }
  logInfo("UCCIEngine: Read thread ended");
  channel->markDone();
}

void UCCIEngine::consumeChunk(const char* data, size_t size) {
  const char* cursor = data;
  const char* end = data + size;
  while (cursor < end) {
    const char* newline = static_cast<const char*>(std::memchr(cursor, '\n', static_cast<size_t>(end - cursor)));
    const char* segmentEnd = newline ? newline : end;
    if (!droppingLongLine) {
      // NUL bytes are dropped, never taken as the end of the text.
      for (const char* c = cursor; c < segmentEnd; ++c) {
        if (*c != '\0') pendingLine.push_back(*c);
      }
      if (pendingLine.size() > ENGINE_MAX_LINE_BYTES) {
        logWarning("UCCIEngine: Dropping an engine line longer than " +
                   std::to_string(ENGINE_MAX_LINE_BYTES) + " bytes");
        std::string().swap(pendingLine);
        droppingLongLine = true;
      }
    }
    if (!newline) break;
    cursor = newline + 1;
    if (droppingLongLine) {
      droppingLongLine = false;
      continue;
    }
    std::string line;
    line.swap(pendingLine);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (stopRequested) return;  // nothing reaches the owner once it asked to stop
    if (!line.empty()) processLine(line);
  }
}

void UCCIEngine::processLine(const std::string& line) {
  logInfo("UCCIEngine: Received: " + loggedLine(line));
  EngineProtocol current;
  {
    std::lock_guard<std::mutex> lock(mutex);
    current = protocol;
  }
  if (current == EngineProtocol::DETECTING) {
    processDetectingLine(line);
    return;
  }

  if (current == EngineProtocol::UCCI && startsWith(line, "ucciok")) {
    bool ready = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      // Only the handshake's answer makes the engine idle; a stray one mid-search must not.
      if (state == INITIALIZING) {
        setStateLocked(IDLE);
        ready = true;
      }
    }
    if (ready) {
      notifyState(IDLE);
      logInfo("UCCIEngine: Engine ready (ucciok)");
    }
  } else if (startsWith(line, "id name")) {
    std::string name = line.size() > 8 ? line.substr(8) : std::string();
    {
      std::lock_guard<std::mutex> lock(mutex);
      engineName = name;
    }
    logInfo("UCCIEngine: Engine name: " + name);
  } else if (startsWith(line, "id author")) {
    std::lock_guard<std::mutex> lock(mutex);
    engineAuthor = line.size() > 10 ? line.substr(10) : std::string();
  } else if (startsWith(line, "readyok")) {
    bool becameIdle = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      // An unasked "readyok" must not answer a later "isready" in advance.
      if (readyokReceived < isreadySent) ++readyokReceived;
      if (state == INITIALIZING) {
        setStateLocked(IDLE);
        becameIdle = true;
      }
      stateChanged.notify_all();
    }
    logInfo("UCCIEngine: Received readyok");
    if (becameIdle) {
      notifyState(IDLE);
      logInfo("UCCIEngine: Engine ready after initial options applied");
    }
  } else if (startsWith(line, "bestmove")) {
    parseBestMove(line);
  } else if (startsWith(line, "info")) {
    parseInfo(line);
  } else if (startsWith(line, "error")) {
    logError("UCCIEngine: Engine error: " + loggedLine(line));
    {
      std::lock_guard<std::mutex> lock(mutex);
      setStateLocked(ERROR_STATE);
    }
    notifyState(ERROR_STATE);
  }
}

void UCCIEngine::processDetectingLine(const std::string& line) {
  if (startsWith(line, "uciok")) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      protocol = EngineProtocol::UCI;
    }
    sendInitialOptions();
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++isreadySent;
    }
    sendCommand("isready");
    logInfo("UCCIEngine: Protocol detected: UCI, sent initial options, waiting for readyok");
  } else if (startsWith(line, "Unknown command")) {
    logInfo("UCCIEngine: UCI not supported, trying UCCI...");
    {
      std::lock_guard<std::mutex> lock(mutex);
      protocol = EngineProtocol::UCCI;
    }
    sendCommand("ucci");
  } else if (startsWith(line, "id name ")) {
    std::lock_guard<std::mutex> lock(mutex);
    engineName = line.substr(8);
  } else if (startsWith(line, "id author ")) {
    std::lock_guard<std::mutex> lock(mutex);
    engineAuthor = line.substr(10);
  } else if (startsWith(line, "option name ")) {
    std::string name;
    EngineOption option;
    if (!EngineLineParser::parseOptionDeclaration(line, name, option)) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (options.size() >= ENGINE_MAX_DECLARED_OPTIONS && options.count(name) == 0) {
        // A flood of declarations must not fill memory within the handshake time.
        if (!optionLimitWarned) {
          optionLimitWarned = true;
          logWarning("UCCIEngine: Engine declared more than " + std::to_string(ENGINE_MAX_DECLARED_OPTIONS) +
                     " options; ignoring the rest");
        }
        return;
      }
    }
    logInfo("UCCIEngine: Parsed option: " + name + " type=" + EngineLineParser::optionTypeWord(option.type) +
            " default=" + option.defaultValue + " min=" + std::to_string(option.min) +
            " max=" + std::to_string(option.max));
    std::lock_guard<std::mutex> lock(mutex);
    options[name] = std::move(option);
  }
}

void UCCIEngine::parseBestMove(const std::string& line) {
  std::vector<std::string> words = EngineLineParser::splitWords(line);
  const std::string moveText = words.size() > 1 ? words[1] : std::string();
  const std::string ponderText = (words.size() > 3 && words[2] == "ponder") ? words[3] : std::string();
  std::optional<Move> move = EngineMoveText::parse(moveText);
  const bool ponderValid = EngineMoveText::parse(ponderText).has_value();

  EngineState previous;
  bool discarded = false;
  BestMoveCallback callback;
  {
    std::lock_guard<std::mutex> lock(mutex);
    previous = state;
    // Outside a search an answer is old or unasked, never a move to play.
    if (previous == THINKING || previous == PONDERING) {
      discarded = searchResultDiscarded || previous == PONDERING;
      searchResultDiscarded = false;
      ponderMove = (move && ponderValid) ? ponderText : std::string();
      if (move) {
        move->piece = searchBoard.getPiece(move->from);
        move->captured = searchBoard.getPiece(move->to);
      }
      setStateLocked(IDLE);
      callback = bestMoveCallback;
    }
  }
  if (previous != THINKING && previous != PONDERING) {
    logWarning("UCCIEngine: Ignoring bestmove while no search runs: " + loggedLine(line));
    return;
  }
  if (!move) {
    logError("UCCIEngine: No valid move from engine");
    notifyState(IDLE);
    return;
  }
  if (!ponderText.empty()) {
    if (ponderValid) {
      logInfo("UCCIEngine: Ponder move: " + ponderText);
    } else {
      logWarning("UCCIEngine: Ignoring invalid ponder move: " + loggedLine(ponderText));
    }
  }
  logMove("UCCIEngine: Got best move", move->from.x, move->from.y, move->to.x, move->to.y);
  if (!discarded) {
    if (callback) callback(*move);
    notifyState(IDLE);
    return;
  }
  notifyState(IDLE);
  logInfo(previous == PONDERING ? "UCCIEngine: Ponder stopped, discarding bestmove result"
                                : "UCCIEngine: Search stopped, discarding bestmove result");
}

void UCCIEngine::parseInfo(const std::string& line) {
  InfoLineCallback lineCallback;
  InfoCallback parsedCallback;
  {
    std::lock_guard<std::mutex> lock(mutex);
    lineCallback = infoLineCallback;
    parsedCallback = infoCallback;
  }
  if (lineCallback) lineCallback(line);
  if (parsedCallback) parsedCallback(EngineLineParser::parseInfo(line));
}

void UCCIEngine::onOutputEnded() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (stopRequested || state == NOT_STARTED) return;
    setStateLocked(ERROR_STATE);
  }
  logError("UCCIEngine: Engine output ended unexpectedly; the engine has exited");
  notifyState(ERROR_STATE);
}

// ---------------------------------------------------------------------------------
// Commands

bool UCCIEngine::sendCommand(const std::string& command) {
  if (hasLineBreakOrNul(command)) {
    logError("UCCIEngine: Refusing a command that holds a line break or NUL");
    return false;
  }
  std::shared_ptr<IProcessManager> proc;
  {
    std::lock_guard<std::mutex> lock(mutex);
    proc = process;
  }
  if (!proc) {
    logError("UCCIEngine: Cannot send command, no process manager");
    return false;
  }
  // One write per line, so that commands from two threads never interleave.
  const bool written = proc->write(command + "\n");
  if (!written) logError("UCCIEngine: Failed to write to engine stdin");
  logInfo("UCCIEngine: Sent command: " + command);
  return written;
}

std::string UCCIEngine::searchLimitLocked() const {
  if (settings.depth >= 1) {
    const int32_t depth = settings.depthLimit >= 1 ? std::min(settings.depth, settings.depthLimit) : settings.depth;
    return "depth " + std::to_string(depth);
  }
  if (settings.depthLimit >= 1) return "depth " + std::to_string(settings.depthLimit);
  return "movetime " + std::to_string(settings.movetime);
}

void UCCIEngine::requestMove(const Board& board, const std::string& fen) {
  std::string limit;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE) {
      logError("UCCIEngine: Cannot get move, engine not idle");
      return;
    }
    if (fen.empty() || hasLineBreakOrNul(fen)) {
      logError("UCCIEngine: Refusing a position text that is empty or holds a line break or NUL");
      return;
    }
    searchBoard = board;
    searchResultDiscarded = false;
    limit = searchLimitLocked();
    // THINKING before "go" leaves the engine, so its answer always finds the search.
    setStateLocked(THINKING);
  }
  notifyState(THINKING);
  if (isStartPosition(fen)) {
    logInfo("UCCIEngine: Using startpos");
    sendCommand("position startpos");
  } else {
    sendCommand("position fen " + fen);
  }
  sendCommand("go " + limit);
  logInfo("UCCIEngine: Started thinking");
}

void UCCIEngine::startPonder(const std::string& fen, const Board& board) {
  std::string limit;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE || !settings.ponder) return;
    if (fen.empty() || hasLineBreakOrNul(fen)) {
      logError("UCCIEngine: Refusing a position text that is empty or holds a line break or NUL");
      return;
    }
    searchBoard = board;
    searchResultDiscarded = false;
    limit = searchLimitLocked();
    setStateLocked(PONDERING);
  }
  notifyState(PONDERING);
  sendCommand("position fen " + fen);
  sendCommand("go ponder " + limit);
  logInfo("UCCIEngine: Started pondering");
}

void UCCIEngine::ponderHit() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    // A ponder search already told to stop cannot be taken over any more.
    if (state != PONDERING || searchResultDiscarded) return;
    setStateLocked(THINKING);
  }
  notifyState(THINKING);
  sendCommand("ponderhit");
  logInfo("UCCIEngine: Ponder hit - continuing search");
}

void UCCIEngine::stopPonder() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != PONDERING) return;
    searchResultDiscarded = true;
  }
  sendCommand("stop");
  logInfo("UCCIEngine: Stopping ponder");
}

void UCCIEngine::stopSearch() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != THINKING && state != PONDERING) return;
    // The answer belongs to a position the owner no longer wants a move for.
    searchResultDiscarded = true;
  }
  sendCommand("stop");
}

void UCCIEngine::newGame() {
  bool searching = false;
  bool stopSent = false;
  EngineTimeouts limits;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state == NOT_STARTED || state == ERROR_STATE) {
      logError("UCCIEngine: Cannot start new game, engine not running");
      return;
    }
    searching = state == THINKING || state == PONDERING;
    // A discarded search was already told to stop; it only has to end.
    stopSent = searching && searchResultDiscarded;
    if (searching) searchResultDiscarded = true;
    limits = timeouts;
  }
  logInfo("UCCIEngine: Starting new game");
  if (searching) {
    // An engine finishes its running search before it takes "ucinewgame".
    logInfo("UCCIEngine: Stopping the running search first");
    if (!stopSent) sendCommand("stop");
    if (onEngineThread()) {
      logWarning("UCCIEngine: New game requested on the engine's own thread; not waiting for the search");
    } else {
      std::unique_lock<std::mutex> lock(mutex);
      const bool ended = stateChanged.wait_for(lock, limits.searchStop, [this] {
        return state != THINKING && state != PONDERING;
      });
      const bool running = state != NOT_STARTED && state != ERROR_STATE;
      lock.unlock();
      if (!ended) {
        failAndStop("UCCIEngine: Timeout waiting for bestmove after stop");
        return;
      }
      if (!running) return;
    }
  }
  sendCommand("ucinewgame");
  if (onEngineThread()) return;
  if (!waitForReady(static_cast<int>(limits.ready.count()))) {
    logWarning("UCCIEngine: Timeout waiting for readyok after ucinewgame");
  }
}

bool UCCIEngine::waitForReady(int timeoutMs) {
  if (onEngineThread()) {
    // The answer would arrive on this very thread: waiting could only time out.
    logError("UCCIEngine: Cannot wait for readyok on the engine's own thread");
    return false;
  }
  uint64_t target = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state == NOT_STARTED || state == ERROR_STATE) {
      logError("UCCIEngine: Cannot wait for ready, engine not running");
      return false;
    }
    target = ++isreadySent;
  }
  logInfo("UCCIEngine: Sending isready");
  sendCommand("isready");

  std::unique_lock<std::mutex> lock(mutex);
  stateChanged.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)), [&] {
    return readyokReceived >= target || state == NOT_STARTED || state == ERROR_STATE;
  });
  if (readyokReceived >= target) {
    lock.unlock();
    logInfo("UCCIEngine: Engine is ready (readyok received)");
    return true;
  }
  const EngineState now = state;
  lock.unlock();
  if (now == NOT_STARTED) return false;  // stopped meanwhile by its owner
  failAndStop(now == ERROR_STATE ? "UCCIEngine: Engine failed while waiting for readyok, cleaning up resources"
                                 : "UCCIEngine: Timeout waiting for readyok, cleaning up resources");
  return false;
}

// ---------------------------------------------------------------------------------
// Queries

UCCIEngine::EngineState UCCIEngine::getState() const {
  std::lock_guard<std::mutex> lock(mutex);
  return state;
}

EngineProtocol UCCIEngine::getProtocol() const {
  std::lock_guard<std::mutex> lock(mutex);
  return protocol;
}

std::string UCCIEngine::getEngineName() const {
  std::lock_guard<std::mutex> lock(mutex);
  return engineName;
}

std::string UCCIEngine::getEngineAuthor() const {
  std::lock_guard<std::mutex> lock(mutex);
  return engineAuthor;
}

std::string UCCIEngine::getPonderMove() const {
  std::lock_guard<std::mutex> lock(mutex);
  return ponderMove;
}

int UCCIEngine::getOptionCount() const {
  std::lock_guard<std::mutex> lock(mutex);
  return static_cast<int>(options.size());
}

bool UCCIEngine::hasOption(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex);
  return options.count(name) != 0;
}

bool UCCIEngine::hasEloOptions() const {
  std::lock_guard<std::mutex> lock(mutex);
  return options.count("UCI_LimitStrength") != 0 && options.count("UCI_Elo") != 0;
}

int UCCIEngine::getEloMin() const {
  std::lock_guard<std::mutex> lock(mutex);
  auto it = options.find("UCI_Elo");
  return it == options.end() ? 0 : it->second.min;
}

int UCCIEngine::getEloMax() const {
  std::lock_guard<std::mutex> lock(mutex);
  auto it = options.find("UCI_Elo");
  return it == options.end() ? 0 : it->second.max;
}

std::optional<EngineOption> UCCIEngine::getOption(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex);
  auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second;
}

EngineSettings UCCIEngine::getSettings() const {
  std::lock_guard<std::mutex> lock(mutex);
  return settings;
}

// ---------------------------------------------------------------------------------
// Options

std::optional<std::string> UCCIEngine::sendOption(const std::string& name, const std::string& value) {
  std::optional<EngineOption> declared = getOption(name);
  if (!declared) {
    logWarning("UCCIEngine: Engine does not support option: " + name + ", skipping");
    return std::nullopt;
  }
  std::string sent = value;
  switch (declared->type) {
    case OPTION_SPIN: {
      int64_t number = 0;
      if (!EngineLineParser::parseInteger(value, number)) {
        logWarning("UCCIEngine: Option " + name + " takes a number, not " + loggedLine(value) + ", skipping");
        return std::nullopt;
      }
      // Only the limits the engine declared readably hold; crossed ones are no range.
      const int64_t low = declared->hasMin ? declared->min : std::numeric_limits<int64_t>::min();
      const int64_t high = declared->hasMax ? declared->max : std::numeric_limits<int64_t>::max();
      if (low <= high) {
        const int64_t clamped = std::clamp<int64_t>(number, low, high);
        if (clamped != number) {
          logWarning("UCCIEngine: Option " + name + " value " + value + " kept inside " +
                     (declared->hasMin ? std::to_string(low) : "") + ".." +
                     (declared->hasMax ? std::to_string(high) : "") + ": " + std::to_string(clamped));
        }
        number = clamped;
      }
      sent = std::to_string(number);
      break;
    }
    case OPTION_CHECK:
      if (value != "true" && value != "false") {
        logWarning("UCCIEngine: Option " + name + " takes true or false, not " + loggedLine(value) + ", skipping");
        return std::nullopt;
      }
      break;
    case OPTION_COMBO:
      if (!declared->choices.empty()) {
        auto choice = std::find_if(declared->choices.begin(), declared->choices.end(),
                                   [&](const std::string& c) { return equalsIgnoringCase(c, value); });
        if (choice == declared->choices.end()) {
          logWarning("UCCIEngine: Option " + name + " does not offer " + loggedLine(value) + ", skipping");
          return std::nullopt;
        }
        sent = *choice;
      }
      break;
    case OPTION_BUTTON:
      // A button takes no value: the engine meant something else by this name.
      logWarning("UCCIEngine: Option " + name + " is declared as a button, not a value; not used");
      return std::nullopt;
    default:
      break;
  }
  if (!sendCommand("setoption name " + name + " value " + sent)) return std::nullopt;
  return sent;
}

std::optional<int32_t> UCCIEngine::sendNumberOption(const std::string& name, int value) {
  std::optional<std::string> sent = sendOption(name, std::to_string(value));
  if (!sent) return std::nullopt;
  // The value as the engine took it, kept inside its declared range.
  int64_t number = 0;
  if (!EngineLineParser::parseInteger(*sent, number) || number < INT32_MIN || number > INT32_MAX) {
    logWarning("UCCIEngine: Option " + name + " took " + loggedLine(*sent) + ", not a number");
    return std::nullopt;
  }
  return static_cast<int32_t>(number);
}

bool UCCIEngine::setOption(const std::string& name, const std::string& value) {
  return sendOption(name, value).has_value();
}

void UCCIEngine::sendInitialOptions() {
  EngineSettings s = getSettings();
  if (!s.evalFile.empty() && hasOption("EvalFile") && sendOption("EvalFile", s.evalFile)) {
    logInfo("UCCIEngine: Applied EvalFile = " + s.evalFile);
  }
  if (!s.debugLogFile.empty() && hasOption("Debug Log File")) sendOption("Debug Log File", s.debugLogFile);
  if (!s.numaPolicy.empty() && hasOption("NumaPolicy")) sendOption("NumaPolicy", s.numaPolicy);

  const int threads = s.threads >= 1 ? s.threads : automaticThreadCount(std::thread::hardware_concurrency());
  if (std::optional<int32_t> sent = sendNumberOption("Threads", threads)) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      settings.appliedThreads = *sent;
    }
    logInfo("UCCIEngine: Applied Threads = " + std::to_string(*sent));
  }
  if (s.hashSize >= 1) {
    if (std::optional<int32_t> sent = sendNumberOption("Hash", s.hashSize)) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        settings.appliedHash = *sent;
      }
      logInfo("UCCIEngine: Applied Hash = " + std::to_string(*sent) + "MB");
    }
  }
  sendOption("Ponder", boolText(s.ponder));

  const std::pair<const char*, std::string> ruleOptions[] = {
      {"Move Overhead", std::to_string(s.moveOverhead)},
      {"nodestime", std::to_string(s.nodesTime)},
      {"Mate Threat Depth", std::to_string(s.mateThreatDepth)},
      {"Repetition Rule", s.repetitionRule},
      {"Draw Rule", s.drawRule},
      {"Sixty Move Rule", boolText(s.sixtyMoveRule)},
      {"Rule60MaxPly", std::to_string(s.rule60MaxPly)},
      {"ScoreType", s.scoreType},
      {"LU_Output", boolText(s.luOutput)},
      {"UCI_ShowWDL", boolText(s.showWDL)},
  };
  for (const auto& [name, value] : ruleOptions) {
    if (hasOption(name)) sendOption(name, value);
  }
  setDifficulty(s.difficultyTier);
  if (s.multiPV >= 2) sendOption("MultiPV", std::to_string(s.multiPV));
}

void UCCIEngine::setImmediateOption(const std::string& name, const std::string& value) {
  int readyMs = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE || options.count(name) == 0) return;
    readyMs = static_cast<int>(timeouts.ready.count());
  }
  if (sendOption(name, value)) waitForReady(readyMs);
}

void UCCIEngine::clearHash() {
  int readyMs = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE || options.count("Clear Hash") == 0) return;
    readyMs = static_cast<int>(timeouts.ready.count());
  }
  if (sendCommand("setoption name Clear Hash")) waitForReady(readyMs);
}

void UCCIEngine::setDifficulty(int tier) {
  DifficultyPlan plan;
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.difficultyTier = tier;
    plan = DifficultyStrategy::plan(protocol, options, tier, settings.customElo, settings.customSkill);
    if (plan.depthLimit) settings.depthLimit = *plan.depthLimit;
  }
  logInfo("UCCIEngine::setDifficulty called with tier=" + std::to_string(tier));
  if (!plan.command.empty()) sendCommand(plan.command);
  for (const DifficultyPlan::OptionValue& option : plan.options) sendOption(option.name, option.value);
  for (const std::string& line : plan.logLines) logInfo(line);
}

int UCCIEngine::automaticThreadCount(unsigned hardwareThreads) {
  if (hardwareThreads < 4) return 1;
  return static_cast<int>(std::min(hardwareThreads / 4, 4u));
}

void UCCIEngine::setMovetime(int ms) {
  std::lock_guard<std::mutex> lock(mutex);
  settings.movetime = ms;
}

void UCCIEngine::setDepth(int depth) {
  std::lock_guard<std::mutex> lock(mutex);
  settings.depth = depth;
}

void UCCIEngine::setCustomElo(int elo) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.customElo = elo;
  }
  setDifficulty(TIER_CUSTOM_ELO);
}

void UCCIEngine::setCustomSkill(int level) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.customSkill = DifficultyStrategy::clampCustomSkill(level);
  }
  setDifficulty(TIER_CUSTOM_SKILL);
}

void UCCIEngine::setThreads(int count) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.threads = count;
  }
  logInfo("UCCIEngine: Threads set to " + std::to_string(count) + (count < 1 ? " (auto)" : ""));
  const int value = count >= 1 ? count : automaticThreadCount(std::thread::hardware_concurrency());
  applyRuntimeOption("Threads", value, &EngineSettings::appliedThreads, "");
}

void UCCIEngine::setHash(int mb) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.hashSize = mb;
  }
  logInfo("UCCIEngine: Hash set to " + std::to_string(mb) + "MB");
  if (mb >= 1) applyRuntimeOption("Hash", mb, &EngineSettings::appliedHash, "MB");
}

void UCCIEngine::applyRuntimeOption(const std::string& name, int value, int32_t EngineSettings::*applied,
                                    const std::string& unit) {
  int readyMs = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE) return;
    if (value == settings.*applied) {
      logInfo("UCCIEngine: " + name + " unchanged (" + std::to_string(value) + unit + "), skipping");
      return;
    }
    readyMs = static_cast<int>(timeouts.ready.count());
  }
  if (std::optional<int32_t> sent = sendNumberOption(name, value)) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      settings.*applied = *sent;
    }
    logInfo("UCCIEngine: Applied " + name + " = " + std::to_string(*sent) + unit + " (runtime)");
    waitForReady(readyMs);
  }
}

void UCCIEngine::setPonder(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.ponder = on;
  }
  logInfo(std::string("UCCIEngine: Ponder ") + (on ? "enabled" : "disabled"));
}

void UCCIEngine::setShowWDL(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.showWDL = on;
  }
  logInfo(std::string("UCCIEngine: ShowWDL ") + (on ? "enabled" : "disabled"));
}

void UCCIEngine::setMultiPV(int count) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.multiPV = count;
  }
  logInfo("UCCIEngine: MultiPV set to " + std::to_string(count));
}

void UCCIEngine::setEvalFile(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.evalFile = path;
  }
  logInfo("UCCIEngine: EvalFile path set to " + path);
}

void UCCIEngine::setDebugLogFile(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.debugLogFile = path;
  }
  setImmediateOption("Debug Log File", path);
}

void UCCIEngine::setNumaPolicy(const std::string& policy) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.numaPolicy = policy;
  }
  setImmediateOption("NumaPolicy", policy);
}

void UCCIEngine::setMoveOverhead(int ms) {
  const int value = std::clamp(ms, 0, 5000);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.moveOverhead = value;
  }
  setImmediateOption("Move Overhead", std::to_string(value));
}

void UCCIEngine::setNodesTime(int nodes) {
  const int value = std::clamp(nodes, 0, 10000);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.nodesTime = value;
  }
  setImmediateOption("nodestime", std::to_string(value));
}

void UCCIEngine::setMateThreatDepth(int depth) {
  const int value = std::clamp(depth, 0, 10);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.mateThreatDepth = value;
  }
  setImmediateOption("Mate Threat Depth", std::to_string(value));
}

void UCCIEngine::setRepetitionRule(const std::string& rule) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.repetitionRule = rule;
  }
  setImmediateOption("Repetition Rule", rule);
}

void UCCIEngine::setDrawRule(const std::string& rule) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.drawRule = rule;
  }
  setImmediateOption("Draw Rule", rule);
}

void UCCIEngine::setSixtyMoveRule(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.sixtyMoveRule = on;
  }
  setImmediateOption("Sixty Move Rule", boolText(on));
}

void UCCIEngine::setRule60MaxPly(int plies) {
  const int value = std::clamp(plies, 1, 150);
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.rule60MaxPly = value;
  }
  setImmediateOption("Rule60MaxPly", std::to_string(value));
}

void UCCIEngine::setScoreType(const std::string& type) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.scoreType = type;
  }
  setImmediateOption("ScoreType", type);
}

void UCCIEngine::setLuOutput(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    settings.luOutput = on;
  }
  setImmediateOption("LU_Output", boolText(on));
}

// ---------------------------------------------------------------------------------
// Texts for the settings dialog

std::string UCCIEngine::getStatusText() const {
  std::lock_guard<std::mutex> lock(mutex);
  // A failed engine holds no options: its numbers would only look like a weak engine's.
  if (state == NOT_STARTED || state == ERROR_STATE) return "引擎未运行";
  if (state == INITIALIZING) return "初始化中...";
  return "Threads=" + std::to_string(settings.appliedThreads) + (settings.threads < 1 ? "(自动)" : "") +
         " Hash=" + std::to_string(settings.appliedHash) + "MB" + " Ponder=" + (settings.ponder ? "开" : "关") +
         " MultiPV=" + std::to_string(settings.multiPV);
}

std::string UCCIEngine::verifyOptions() const {
  std::lock_guard<std::mutex> lock(mutex);
  if (state == ERROR_STATE) return "引擎未运行";
  if (state == NOT_STARTED || state == INITIALIZING) return "引擎未就绪";
  std::vector<std::string> items;
  if (settings.threads >= 1 && settings.appliedThreads != settings.threads) {
    items.push_back("Threads: 设置=" + std::to_string(settings.threads) +
                    " 实际=" + std::to_string(settings.appliedThreads));
  }
  if (settings.hashSize >= 1 && settings.appliedHash != settings.hashSize) {
    items.push_back("Hash: 设置=" + std::to_string(settings.hashSize) + "MB 实际=" +
                    std::to_string(settings.appliedHash) + "MB");
  }
  static const char* const checked[] = {"Ponder",          "UCI_ShowWDL",      "MultiPV",   "Debug Log File",
                                        "NumaPolicy",      "Move Overhead",    "nodestime", "Mate Threat Depth",
                                        "Repetition Rule", "Draw Rule",        "Sixty Move Rule",
                                        "Rule60MaxPly",    "ScoreType",        "LU_Output"};
  std::string missing;
  for (const char* name : checked) {
    if (options.count(name) != 0) continue;
    if (!missing.empty()) missing += ", ";
    missing += name;
  }
  if (!missing.empty()) items.push_back("不支持: " + missing);
  if (items.empty()) return "全部一致";
  std::string report;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) report += "; ";
    report += items[i];
  }
  return report;
}

}  // namespace Tavrune
