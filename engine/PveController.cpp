#include "engine/PveController.h"

#include <string>

#include "core/Log.h"
#include "engine/ITurnEngine.h"
#include "game/GameEngine.h"

namespace Tavrune {

PveController::PveController(GameEngine* game, ITurnEngine* ai) : game(game), ai(ai) {}

bool PveController::isEngineTurn(GameMode mode, PieceColor playerColor) const {
  return mode == MODE_PVE && game->getCurrentPlayer() != playerColor && game->getGameState() == PLAYING;
}

void PveController::startOrDefer() {
  if (ai->startThinking(game->getBoard(), game->getCurrentPlayer())) return;
  // The engine was busy, starting or being restarted: its next ready report releases this.
  pendingRequest = true;
  logInfo("PVE mode: AI request deferred until engine is ready");
}

bool PveController::requestAIMove(GameMode mode, PieceColor playerColor) {
  if (!isEngineTurn(mode, playerColor)) return false;
  if (gaveUp) {
    logInfo("PVE mode: The engine gave up; not asking it");
    return false;
  }
  startOrDefer();
  return true;
}

int32_t PveController::onHumanMove(const Move& move, GameMode mode, PieceColor playerColor) {
  if (!isEngineTurn(mode, playerColor) || gaveUp) return NOTHING_TO_DO;
  if (ai->isPondering()) {
    if (ai->isPonderHit(move)) {
      logInfo("Ponder HIT!");
      ai->ponderHit();
      return PONDER_HIT;
    }
    logInfo("Ponder MISS");
    ai->stopPonder();
    // The engine answers "stop" and becomes idle; its ready report starts the real search.
    pendingRequest = true;
    return PONDER_MISS;
  }
  startOrDefer();
  return REQUEST_STARTED;
}

void PveController::cancel() {
  if (ai->isPondering()) ai->stopPonder();
  pendingRequest = false;
}

bool PveController::onEngineReady(PieceColor playerColor) {
  if (!pendingRequest.load()) return false;
  // A posted report can be overtaken (the engine went on to ponder): the next one releases it.
  if (!ai->isEngineReady()) return false;
  pendingRequest = false;
  if (game->getCurrentPlayer() == playerColor || game->getGameState() != PLAYING) return false;
  // The owner may already have asked for this move on the same report.
  if (ai->isThinking()) return false;
  logInfo("PVE mode: Executing pending AI search after ponder miss");
  startOrDefer();
  return !pendingRequest.load();
}

int32_t PveController::onUndo(GameMode mode, PieceColor playerColor) {
  if (ai->isPondering()) ai->stopPonder();
  pendingRequest = false;
  // An answer for the position being taken back must never arrive.
  if (ai->isThinking()) ai->stopThinking();
  if (mode == MODE_PVE && game->getCurrentPlayer() == playerColor) {
    game->undoMove();  // the engine's reply
    if (!game->getMoveHistory().empty()) {
      game->undoMove();  // the player's own move
      return 2;
    }
    return 1;
  }
  game->undoMove();
  return 1;
}

int32_t PveController::onEngineFailure(bool enginesTurn, bool moveRefused) {
  if (gaveUp) return FAILURE_IGNORED;
  if (!ai->hasGivenUp()) {
    // A report that a restart has overtaken, or a failure off its turn, which the next
    // request recovers from.
    if (!moveRefused && ai->isEngineRunning()) return FAILURE_IGNORED;
    if (!enginesTurn) return FAILURE_IGNORED;
    if (++turnFailures <= MAX_TURN_RESTARTS) {
      logWarning("PVE mode: Engine failed on its turn; starting a new one (" + std::to_string(turnFailures) + "/" +
                 std::to_string(MAX_TURN_RESTARTS) + ")");
      pendingRequest = false;
      if (ai->restartEngine()) {
        startOrDefer();
        return ENGINE_RESTARTED;
      }
    }
  }
  logError("PVE mode: Engine gave up; its turns fail until a new game, undo or resume");
  gaveUp = true;
  pendingRequest = false;
  return ENGINE_GAVE_UP;
}

void PveController::revive() {
  turnFailures = 0;
  gaveUp = false;
  ai->clearGiveUp();
}

std::wstring PveController::getGameOverText(GameState state) {
  switch (state) {
    case RED_WIN: return L"游戏结束，红方获胜！";
    case BLACK_WIN: return L"游戏结束，黑方获胜！";
    case DRAW: return L"游戏结束，和棋！";
    default: return std::wstring();
  }
}

int32_t PveController::getResultForPlayer(GameState state, PieceColor playerColor) {
  if (state == RED_WIN) return playerColor == RED ? PLAYER_WON : PLAYER_LOST;
  if (state == BLACK_WIN) return playerColor == BLACK ? PLAYER_WON : PLAYER_LOST;
  return NO_RESULT;
}

}  // namespace Tavrune
