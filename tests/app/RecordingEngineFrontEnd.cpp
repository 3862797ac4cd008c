#include "app/RecordingEngineFrontEnd.h"

#include <thread>

namespace Tavrune::Test {

namespace {

std::string flag(bool value) { return value ? "true" : "false"; }

}  // namespace

void RecordingEngineFrontEnd::record(const std::string& call) {
  std::lock_guard<std::mutex> lock(journal_->mutex);
  journal_->calls.push_back(call);
}

std::vector<std::string> RecordingEngineFrontEnd::calls() const {
  std::lock_guard<std::mutex> lock(journal_->mutex);
  return journal_->calls;
}

std::vector<std::string> RecordingEngineFrontEnd::callsStartingWith(const std::string& prefix) const {
  std::vector<std::string> matching;
  for (const std::string& call : calls()) {
    if (call.rfind(prefix, 0) == 0) matching.push_back(call);
  }
  return matching;
}

void RecordingEngineFrontEnd::clearCalls() {
  std::lock_guard<std::mutex> lock(journal_->mutex);
  journal_->calls.clear();
}

bool RecordingEngineFrontEnd::deliverMove(const Move& move) {
  MoveReadyCallback callback;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    callback = moveReady_;
  }
  if (!callback) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    thinking_ = false;
  }
  callback(move);
  return true;
}

bool RecordingEngineFrontEnd::reportReadyFromEngineThread(bool ready) {
  EngineReadyCallback callback;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    callback = engineReady_;
  }
  if (!callback) return false;
  std::thread engineThread([&] { callback(ready); });
  engineThread.join();
  return true;
}

void RecordingEngineFrontEnd::setInitializeResult(bool result) {
  std::lock_guard<std::mutex> lock(mutex_);
  initializeResult_ = result;
}

void RecordingEngineFrontEnd::setBusy(bool busy) {
  std::lock_guard<std::mutex> lock(mutex_);
  busy_ = busy;
}

void RecordingEngineFrontEnd::setFailed(bool failed, bool givenUp) {
  std::lock_guard<std::mutex> lock(mutex_);
  failed_ = failed;
  givenUp_ = givenUp;
}

bool RecordingEngineFrontEnd::isEngineRunning() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !failed_;
}

bool RecordingEngineFrontEnd::hasGivenUp() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return givenUp_;
}

void RecordingEngineFrontEnd::clearGiveUp() {
  record("clearGiveUp");
  std::lock_guard<std::mutex> lock(mutex_);
  givenUp_ = false;
}

bool RecordingEngineFrontEnd::restartEngine() {
  record("restartEngine");
  std::lock_guard<std::mutex> lock(mutex_);
  return !givenUp_;
}

bool RecordingEngineFrontEnd::hasMoveReadyCallback() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<bool>(moveReady_);
}

IEngineFrontEnd::ProcessManagerFactory RecordingEngineFrontEnd::processManagerFactory() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return processManagerFactory_;
}

IEngineFrontEnd::HttpClientFactory RecordingEngineFrontEnd::httpClientFactory() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return httpClientFactory_;
}

void RecordingEngineFrontEnd::setProcessManagerFactory(ProcessManagerFactory factory) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    processManagerFactory_ = factory;
  }
  record("setProcessManagerFactory");
}

void RecordingEngineFrontEnd::setHttpClientFactory(HttpClientFactory factory) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    httpClientFactory_ = factory;
  }
  record("setHttpClientFactory");
}

void RecordingEngineFrontEnd::setMoveReadyCallback(MoveReadyCallback callback) {
  const bool set = static_cast<bool>(callback);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    moveReady_ = std::move(callback);
  }
  record(set ? "setMoveReadyCallback" : "clearMoveReadyCallback");
}

void RecordingEngineFrontEnd::setEngineReadyCallback(EngineReadyCallback callback) {
  std::lock_guard<std::mutex> lock(mutex_);
  engineReady_ = std::move(callback);
}

void RecordingEngineFrontEnd::setStateChangedCallback(StateChangedCallback callback) {
  std::lock_guard<std::mutex> lock(mutex_);
  stateChanged_ = std::move(callback);
}

void RecordingEngineFrontEnd::setEnginePath(const std::string& utf8Path) { record("setEnginePath(" + utf8Path + ")"); }

bool RecordingEngineFrontEnd::loadOpeningBook(const std::string& utf8Path, int32_t type) {
  record("loadOpeningBook(" + utf8Path + "," + std::to_string(type) + ")");
  return true;
}

void RecordingEngineFrontEnd::setDifficultyTier(int32_t v) { record("setDifficultyTier(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setCustomElo(int32_t v) { record("setCustomElo(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setCustomSkill(int32_t v) { record("setCustomSkill(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setSearchLimitMode(int32_t v) { record("setSearchLimitMode(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setTimeLimit(int32_t v) { record("setTimeLimit(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setDepth(int32_t v) { record("setDepth(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setThreads(int32_t v) { record("setThreads(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setHash(int32_t v) { record("setHash(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setPonderEnabled(bool v) { record("setPonderEnabled(" + flag(v) + ")"); }
void RecordingEngineFrontEnd::setShowWDL(bool v) { record("setShowWDL(" + flag(v) + ")"); }
void RecordingEngineFrontEnd::setMultiPV(int32_t v) { record("setMultiPV(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setDebugLogFile(const std::string& v) { record("setDebugLogFile(" + v + ")"); }
void RecordingEngineFrontEnd::setNumaPolicy(const std::string& v) { record("setNumaPolicy(" + v + ")"); }
void RecordingEngineFrontEnd::setMoveOverhead(int32_t v) { record("setMoveOverhead(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setNodesTime(int32_t v) { record("setNodesTime(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setMateThreatDepth(int32_t v) { record("setMateThreatDepth(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setRepetitionRule(const std::string& v) { record("setRepetitionRule(" + v + ")"); }
void RecordingEngineFrontEnd::setDrawRule(const std::string& v) { record("setDrawRule(" + v + ")"); }
void RecordingEngineFrontEnd::setSixtyMoveRule(bool v) { record("setSixtyMoveRule(" + flag(v) + ")"); }
void RecordingEngineFrontEnd::setRule60MaxPly(int32_t v) { record("setRule60MaxPly(" + std::to_string(v) + ")"); }
void RecordingEngineFrontEnd::setScoreType(const std::string& v) { record("setScoreType(" + v + ")"); }
void RecordingEngineFrontEnd::setLuOutput(bool v) { record("setLuOutput(" + flag(v) + ")"); }
void RecordingEngineFrontEnd::setOpeningBookMode(int32_t v) { record("setOpeningBookMode(" + std::to_string(v) + ")"); }

void RecordingEngineFrontEnd::startPondering(const Board& board) { record("startPondering(" + board.toFEN() + ")"); }

bool RecordingEngineFrontEnd::initialize() {
  record("initialize");
  std::lock_guard<std::mutex> lock(mutex_);
  return initializeResult_;
}

void RecordingEngineFrontEnd::newGame() { record("newGame"); }

std::string RecordingEngineFrontEnd::getEngineStateText() const { return isThinking() ? "思考中" : "空闲"; }

bool RecordingEngineFrontEnd::startThinking(const Board& board, PieceColor) {
  bool accepted = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    accepted = !busy_;
    if (accepted) thinking_ = true;
  }
  record((accepted ? "startThinking(" : "startThinkingRefused(") + board.toFEN() + ")");
  return accepted;
}

void RecordingEngineFrontEnd::stopThinking() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    thinking_ = false;
  }
  record("stopThinking");
}

bool RecordingEngineFrontEnd::isThinking() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return thinking_;
}

bool RecordingEngineFrontEnd::isEngineReady() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !busy_;
}

}  // namespace Tavrune::Test
