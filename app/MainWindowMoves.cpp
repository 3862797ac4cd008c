// Moves reaching the board: the engine's reply carried to the UI thread and played,
// every played move spoken and marked on the accessible board, review texts and
// sounds, and the end of the game.
#include <functional>
#include <string>
#include <utility>

#include "accessibility/AccessibilityManager.h"
#include "accessibility/AnnouncementHistory.h"
#include "app/GameSessionPlanner.h"
#include "app/MainWindow.h"
#include "app/MoveMadeNotice.h"
#include "app/MoveSpeech.h"
#include "app/PostedPayload.h"
#include "app/ProgramMessages.h"
#include "audio/AudioManager.h"
#include "core/Log.h"
#include "engine/PveController.h"
#include "game/GameEngine.h"
#include "game/ReviewManager.h"

namespace Tavrune {

void MainWindow::onAIMove(const Move& move) {
  logMove("MainWindow::onAIMove START", move.from.x, move.from.y, move.to.x, move.to.y);
  const uint64_t stamp = engineRequestStamp.load();
  if (!PostedPayload<Move>::post(hwnd, WM_AI_MOVE, static_cast<WPARAM>(stamp), std::make_unique<Move>(move))) {
    logWarning("AI thread: PostMessage WM_AI_MOVE failed");
  }
}

// The position itself (with its move counters) and the generation: undoing, replaying
// or replacing the game all change the stamp.
uint64_t MainWindow::currentRequestStamp() const {
  const uint64_t stamp =
      std::hash<std::string>{}(std::to_string(gameGeneration) + "|" + gameEngine->getBoard().toFEN());
  return stamp == kNoEngineRequest ? stamp - 1 : stamp;
}

void MainWindow::noteEngineRequest() { engineRequestStamp.store(currentRequestStamp()); }

void MainWindow::invalidateEngineRequests() { ++gameGeneration; }

void MainWindow::handleAIMove(WPARAM requestStamp, LPARAM payload) {
  const std::unique_ptr<Move> move = PostedPayload<Move>::take(payload);
  if (!move) return;
  // A reply is played only for the request still outstanding: an engine game, the
  // engine's turn, no review, nothing replaced, undone or played since it was asked.
  const bool current = gameMode == MODE_PVE && !reviewManager->isActive() &&
                       gameEngine->getGameState() == PLAYING &&
                       gameEngine->getCurrentPlayer() != humanColor &&
                       static_cast<uint64_t>(requestStamp) == currentRequestStamp();
  if (!current) {
    logInfo("MainWindow: engine move dropped (no longer current)");
    return;
  }
  if (!makeMove(*move)) {
    logWarning("MainWindow: the game refused the engine's move");
    announcer->announce(GameSessionPlanner::kEngineMoveRefusedNotice);
    onEngineFailure(true);
    return;
  }
  pveController->onEngineMovePlayed();
  player2Cursor = move->to;
  if (gameEngine->getGameState() == PLAYING) ai->startPondering(gameEngine->getBoard());
}

bool MainWindow::makeMove(const Move& move) {
  logMove("MainWindow::makeMove START", move.from.x, move.from.y, move.to.x, move.to.y);
  if (!gameEngine->makeMove(move)) {
    logWarning("MainWindow::makeMove skipped audio: move execution failed");
    return false;
  }
  if (audioReady()) {
    const bool inCheck = gameEngine->getBoard().isInCheck(gameEngine->getCurrentPlayer());
    logInfo(std::string("[Audio makeMove] Playing move sound, inCheck=") + (inCheck ? "1" : "0"));
    // The game filled in the piece and the capture; the last history entry is that move.
    const std::vector<Move> history = gameEngine->getMoveHistory();
    audioManager->playMoveSound(history.empty() ? move : history.back(), inCheck, humanColor);
  }
  logInfo("MainWindow::makeMove: InvalidateRect");
  InvalidateRect(hwnd, nullptr, TRUE);
  logInfo("MainWindow::makeMove END");
  return true;
}

void MainWindow::onGameMove(const Move& move) {
  auto notice = std::make_unique<MoveMadeNotice>();
  notice->move = move;
  notice->inCheck = gameEngine->getBoard().isInCheck(gameEngine->getCurrentPlayer());
  if (!PostedPayload<MoveMadeNotice>::post(hwnd, WM_MOVE_MADE, 0, std::move(notice))) {
    logWarning("MainWindow: PostMessage WM_MOVE_MADE failed");
  }
}

void MainWindow::handleMoveMade(LPARAM payload) {
  const std::unique_ptr<MoveMadeNotice> notice = PostedPayload<MoveMadeNotice>::take(payload);
  if (!notice) return;
  const Move& move = notice->move;
  announceMoveMade(move, notice->inCheck);
  // Heard with the player's move: the engine that gave up will not answer it.
  announceEngineTurnUnplayable();
  // The points change first, then selection and focus land on the changed target; the
  // notice waits its gap after them, so it is not cut off by their reading.
  const Board& board = gameEngine->getBoard();
  accessibility->notifyCellChanged(move.to, board.getPiece(move.to));
  accessibility->notifyCellChanged(move.from, board.getPiece(move.from));
  accessibility->notifySelection(move);
  // Taken by the next notice whatever its move: a keypad target whose own notice was
  // never posted must not pull the focus at some later move to that point.
  if (std::exchange(focusAfterMove, Position{-1, -1}) == move.to) accessibility->setFocusCell(move.to);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void MainWindow::announceMoveMade(const Move& move, bool inCheck) {
  const PieceColor mover = MoveSpeech::moverColor(move);
  const std::wstring text =
      MoveSpeech::playedMove(move, gameEngine->getBoard(), inCheck, a11yConfig.professionalNotation);
  accessibility->setViewSide(mover);
  announcer->announce(text);
}

void MainWindow::announcePieceAt(Position pos) {
  announcer->announceReplaceable(MoveSpeech::pieceAt(pos, gameEngine->getBoard().getPiece(pos), humanColor));
}

std::wstring MainWindow::moveToSpeechText(const Move& move, PieceColor color) const {
  return MoveSpeech::reviewMove(move, color, gameEngine->getBoard(), a11yConfig.professionalNotation);
}

bool MainWindow::audioReady() const {
  return audioManager && audioManager->isInitialized() && audioConfig.enabled;
}

void MainWindow::playReviewStepSound(bool forward) {
  if (audioReady()) audioManager->playSound(forward ? SOUND_REVIEW_NEXT : SOUND_REVIEW_PREV);
}

void MainWindow::onGameStateChanged(GameState state) {
  // A review holds the game's music from the moment it opens to the moment it closes,
  // whatever asks for music meanwhile; reviews open and close on the UI thread only.
  if (audioManager && GetCurrentThreadId() == uiThreadId) {
    audioManager->holdMusic(state == REVIEW || reviewManager->isActive());
  }
  // A LAN peer's move changes the state on the network thread; speech, sound and the
  // notice history belong to the UI thread. Posted from the UI thread too: the move
  // that ended the game is spoken from a posted message, and the result must follow it
  // rather than be replaced by it.
  if (PostMessageW(hwnd, WM_GAME_STATE_CHANGED, static_cast<WPARAM>(state), 0)) return;
  logWarning("MainWindow: PostMessage WM_GAME_STATE_CHANGED failed");
  if (GetCurrentThreadId() == uiThreadId) handleGameStateChanged(state);
}

void MainWindow::handleGameStateChanged(GameState state) {
  if (state != PLAYING && state != REVIEW && audioManager) {
    audioManager->stopBackgroundMusic();  // also while silent: the ended game wants none
    const int32_t outcome = PveController::getResultForPlayer(state, humanColor);
    if (outcome == PveController::PLAYER_WON) audioManager->playSound(SOUND_WIN);
    if (outcome == PveController::PLAYER_LOST) audioManager->playSound(SOUND_LOSE);
  }
  if (const std::wstring text = PveController::getGameOverText(state); !text.empty()) announcer->announce(text);
}

void MainWindow::onEngineReadyReport(bool ready) {
  if (!PostMessageW(hwnd, WM_ENGINE_READY, ready ? 1 : 0, 0)) {
    logWarning("MainWindow: PostMessage WM_ENGINE_READY failed");
  }
}

void MainWindow::onEngineStateChangedReport() {
  if (!PostMessageW(hwnd, WM_ENGINE_STATE_CHANGED, 0, 0)) {
    logWarning("MainWindow: PostMessage WM_ENGINE_STATE_CHANGED failed");
  }
}

}  // namespace Tavrune
