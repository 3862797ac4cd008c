#pragma once
// What the main window does in a game against the engine, with its message queue
// replaced by PostedQueue: the AI's move and ready reports are posted from whatever
// thread raised them and handled on the test thread, the move played and pondering
// started as the window does.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "support/PostedQueue.h"
#include "engine/AI.h"
#include "engine/PveController.h"
#include "game/GameEngine.h"

namespace Tavrune::Test {

class PveRig {
 public:
  PveRig();
  ~PveRig();

  // A new game against the engine; asks for the engine's move when it is to move.
  void startGame(PieceColor playerColor, bool initializeEngine = true);
  // Plays the player's move and hands it to the turn flow; its result, or -1 when the game
  // refused the move.
  int32_t playerMoves(const Move& move);
  bool waitForAiMoves(size_t count, std::chrono::milliseconds timeout);
  bool waitForReadyReports(size_t count, std::chrono::milliseconds timeout);

  // Test thread only (filled by the handlers of posted reports).
  std::vector<Move> aiMoves;
  std::vector<bool> readyReports;
  size_t refusedAiMoves = 0;
  // What the turn flow made of each failure report and refused move.
  std::vector<int32_t> failures;
  // Whether the AI still called itself thinking while it handed over each move.
  std::vector<bool> thinkingAtDelivery() const;

  PostedQueue queue;  // outlives the AI, which posts into it
  GameEngine game;
  AI ai;
  PveController pve{&game, &ai};
  PieceColor player = RED;

 private:
  void handleAiMove(const Move& move);
  bool enginesTurn() const;
  bool started = false;

  mutable std::mutex deliveryLock;
  std::vector<bool> thinkingSeen;
};

}  // namespace Tavrune::Test
