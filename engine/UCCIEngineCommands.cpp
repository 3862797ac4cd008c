// The engine driver's commands: positions, searches, pondering, new games and readiness.
#include "engine/UCCIEngine.h"

#include <algorithm>
#include <vector>

#include "core/Log.h"
#include "engine/EngineLineParser.h"
#include "engine/EngineMoveText.h"

namespace Tavrune {

namespace {

constexpr const char START_PLACEMENT[] = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR";

bool hasLineBreakOrNul(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// "position startpos" only stands for the standard placement with Red to move and a
// fresh halfmove clock; anything else is sent as its FEN.
bool isStartPosition(const std::string& fen) {
  std::vector<std::string> fields = EngineLineParser::splitWords(fen);
  if (fields.size() < 2 || fields[0] != START_PLACEMENT || fields[1] != "w") return false;
  return fields.size() < 5 || fields[4] == "0";
}

}  // namespace

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

std::optional<std::string> UCCIEngine::beginSearchLocked(const Board& board, const std::string& fen) {
  if (fen.empty() || hasLineBreakOrNul(fen)) {
    logError("UCCIEngine: Refusing a position text that is empty or holds a line break or NUL");
    return std::nullopt;
  }
  searchBoard = board;
  searchResultDiscarded = false;
  return searchLimitLocked();
}

void UCCIEngine::requestMove(const Board& board, const std::string& fen) {
  std::string limit;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (state != IDLE) {
      logError("UCCIEngine: Cannot get move, engine not idle");
      return;
    }
    std::optional<std::string> accepted = beginSearchLocked(board, fen);
    if (!accepted) return;
    limit = *accepted;
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
    std::optional<std::string> accepted = beginSearchLocked(board, fen);
    if (!accepted) return;
    limit = *accepted;
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

}  // namespace Tavrune
