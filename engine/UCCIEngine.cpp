// The engine driver's life cycle: callbacks, start, stop, the handshake watch and the read
// thread. Reading the lines, commands, options and queries have files of their own.
#include "engine/UCCIEngine.h"

#include <vector>

#include "core/Log.h"

namespace Tavrune {

namespace {

constexpr int32_t READ_CHUNK_BYTES = 4095;

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
// The read thread: it owns its channel and hands each chunk to the line reader

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

}  // namespace Tavrune
