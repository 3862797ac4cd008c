#include "ai/PveRig.h"

namespace Tavrune::Test {

PveRig::PveRig() {
  ai.setMoveReadyCallback([this](const Move& move) {
    {
      std::lock_guard<std::mutex> guard(deliveryLock);
      thinkingSeen.push_back(ai.isThinking());
    }
    queue.post([this, move] { handleAiMove(move); });
  });
  ai.setEngineReadyCallback([this](bool ready) {
    queue.post([this, ready] {
      readyReports.push_back(ready);
      if (ready) {
        pve.onEngineReady(player);
      } else {
        failures.push_back(pve.onEngineFailure(enginesTurn(), false));
      }
    });
  });
}

PveRig::~PveRig() {
  // The window detaches before the AI goes; nothing posted afterwards is handled.
  ai.setMoveReadyCallback(nullptr);
  ai.setEngineReadyCallback(nullptr);
}

void PveRig::startGame(PieceColor playerColor, bool initializeEngine) {
  player = playerColor;
  started = true;
  pve.cancel();
  pve.revive();
  ai.stopThinking();
  game.newGame(MODE_PVE);
  ai.newGame();
  if (initializeEngine) ai.initialize();
  pve.requestAIMove(MODE_PVE, player);
}

int32_t PveRig::playerMoves(const Move& move) {
  if (!game.makeMove(move)) return -1;
  return pve.onHumanMove(move, MODE_PVE, player);
}

void PveRig::handleAiMove(const Move& move) {
  // As the window: only while the game runs and the engine is to move.
  if (!enginesTurn()) {
    ++refusedAiMoves;
    return;
  }
  if (!game.makeMove(move)) {
    ++refusedAiMoves;
    failures.push_back(pve.onEngineFailure(true, true));
    return;
  }
  pve.onEngineMovePlayed();
  aiMoves.push_back(game.getMoveHistory().back());
  if (game.getGameState() == PLAYING) ai.startPondering(game.getBoard());
}

bool PveRig::enginesTurn() const {
  return started && game.getGameState() == PLAYING && game.getCurrentPlayer() != player;
}

bool PveRig::waitForAiMoves(size_t count, std::chrono::milliseconds timeout) {
  return queue.runUntil([&] { return aiMoves.size() >= count; }, timeout);
}

bool PveRig::waitForReadyReports(size_t count, std::chrono::milliseconds timeout) {
  return queue.runUntil([&] { return readyReports.size() >= count; }, timeout);
}

std::vector<bool> PveRig::thinkingAtDelivery() const {
  std::lock_guard<std::mutex> guard(deliveryLock);
  return thinkingSeen;
}

}  // namespace Tavrune::Test
