#include "app/AIFrontEnd.h"

#include <utility>

namespace Tavrune {

void AIFrontEnd::setProcessManagerFactory(ProcessManagerFactory factory) {
  ai_.setProcessManagerFactory(std::move(factory));
}
void AIFrontEnd::setHttpClientFactory(HttpClientFactory factory) { ai_.setHttpClientFactory(std::move(factory)); }
void AIFrontEnd::setMoveReadyCallback(MoveReadyCallback callback) { ai_.setMoveReadyCallback(std::move(callback)); }
void AIFrontEnd::setEngineReadyCallback(EngineReadyCallback callback) {
  ai_.setEngineReadyCallback(std::move(callback));
}
void AIFrontEnd::setStateChangedCallback(StateChangedCallback callback) {
  ai_.setStateChangedCallback(std::move(callback));
}
void AIFrontEnd::setEnginePath(const std::string& utf8Path) { ai_.setEnginePath(utf8Path); }
bool AIFrontEnd::loadOpeningBook(const std::string& utf8Path, int32_t type) {
  return ai_.loadOpeningBook(utf8Path, type);
}
void AIFrontEnd::setDifficultyTier(int32_t tier) { ai_.setDifficultyTier(tier); }
void AIFrontEnd::setCustomElo(int32_t elo) { ai_.setCustomElo(elo); }
void AIFrontEnd::setCustomSkill(int32_t skill) { ai_.setCustomSkill(skill); }
void AIFrontEnd::setSearchLimitMode(int32_t mode) { ai_.setSearchLimitMode(mode); }
void AIFrontEnd::setTimeLimit(int32_t milliseconds) { ai_.setTimeLimit(milliseconds); }
void AIFrontEnd::setDepth(int32_t depth) { ai_.setDepth(depth); }
void AIFrontEnd::setThreads(int32_t threads) { ai_.setThreads(threads); }
void AIFrontEnd::setHash(int32_t megabytes) { ai_.setHash(megabytes); }
void AIFrontEnd::setPonderEnabled(bool enabled) { ai_.setPonderEnabled(enabled); }
void AIFrontEnd::setShowWDL(bool show) { ai_.setShowWDL(show); }
void AIFrontEnd::setMultiPV(int32_t lines) { ai_.setMultiPV(lines); }
void AIFrontEnd::setDebugLogFile(const std::string& path) { ai_.setDebugLogFile(path); }
void AIFrontEnd::setNumaPolicy(const std::string& policy) { ai_.setNumaPolicy(policy); }
void AIFrontEnd::setMoveOverhead(int32_t milliseconds) { ai_.setMoveOverhead(milliseconds); }
void AIFrontEnd::setNodesTime(int32_t nodesTime) { ai_.setNodesTime(nodesTime); }
void AIFrontEnd::setMateThreatDepth(int32_t depth) { ai_.setMateThreatDepth(depth); }
void AIFrontEnd::setRepetitionRule(const std::string& rule) { ai_.setRepetitionRule(rule); }
void AIFrontEnd::setDrawRule(const std::string& rule) { ai_.setDrawRule(rule); }
void AIFrontEnd::setSixtyMoveRule(bool enabled) { ai_.setSixtyMoveRule(enabled); }
void AIFrontEnd::setRule60MaxPly(int32_t plies) { ai_.setRule60MaxPly(plies); }
void AIFrontEnd::setScoreType(const std::string& scoreType) { ai_.setScoreType(scoreType); }
void AIFrontEnd::setLuOutput(bool enabled) { ai_.setLuOutput(enabled); }
void AIFrontEnd::setOpeningBookMode(int32_t mode) { ai_.setOpeningBookMode(mode); }
void AIFrontEnd::startPondering(const Board& board) { ai_.startPondering(board); }
bool AIFrontEnd::initialize() { return ai_.initialize(); }
void AIFrontEnd::newGame() { ai_.newGame(); }
std::string AIFrontEnd::getEngineStateText() const { return ai_.getEngineStateText(); }
void AIFrontEnd::clearHash() { ai_.clearHash(); }
std::string AIFrontEnd::getEngineName() const { return ai_.getEngineName(); }
std::string AIFrontEnd::getEngineParamsText() const { return ai_.getEngineParamsText(); }
std::string AIFrontEnd::verifyEngineOptions() const { return ai_.verifyEngineOptions(); }
int32_t AIFrontEnd::getEngineOptionCount() const { return ai_.getEngineOptionCount(); }
int32_t AIFrontEnd::getRestartAttempts() const { return ai_.getRestartAttempts(); }
bool AIFrontEnd::startThinking(const Board& board, PieceColor side) { return ai_.startThinking(board, side); }
void AIFrontEnd::stopThinking() { ai_.stopThinking(); }
bool AIFrontEnd::isThinking() const { return ai_.isThinking(); }
bool AIFrontEnd::isEngineReady() const { return ai_.isEngineReady(); }
bool AIFrontEnd::isPondering() const { return ai_.isPondering(); }
bool AIFrontEnd::isPonderHit(const Move& move) const { return ai_.isPonderHit(move); }
void AIFrontEnd::ponderHit() { ai_.ponderHit(); }
void AIFrontEnd::stopPonder() { ai_.stopPonder(); }
bool AIFrontEnd::isEngineRunning() const { return ai_.isEngineRunning(); }
bool AIFrontEnd::hasGivenUp() const { return ai_.hasGivenUp(); }
void AIFrontEnd::clearGiveUp() { ai_.clearGiveUp(); }
bool AIFrontEnd::restartEngine() { return ai_.restartEngine(); }

}  // namespace Tavrune
