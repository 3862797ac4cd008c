#pragma once
// The turn flow of a game against the engine: decides when the AI is asked for a move,
// turns the player's moves into ponder hits, misses or new requests, owes a request
// while the engine cannot take it and releases it when the engine reports ready, undoes
// moves in pairs, and names the end of the game. Owns neither the game nor the AI.
//
// Every call runs on the owner's UI thread; the owner posts the AI's ready report there
// before calling onEngineReady.
#include <atomic>
#include <cstdint>
#include <string>

#include "game/ChessTypes.h"

namespace Tavrune {

class GameEngine;
class ITurnEngine;

class PveController {
 public:
  enum HumanMoveResult : int32_t {
    NOTHING_TO_DO = 0,
    REQUEST_STARTED = 1,  // started, or owed until the engine is ready
    PONDER_HIT = 2,
    PONDER_MISS = 3,
  };
  enum PlayerResult : int32_t {
    NO_RESULT = 0,
    PLAYER_WON = 1,
    PLAYER_LOST = 2,
  };

  PveController(GameEngine* game, ITurnEngine* ai);

  // True when a request was started or is owed until the engine is ready.
  bool requestAIMove(GameMode mode, PieceColor playerColor);
  // After the player's move has been played on the game.
  int32_t onHumanMove(const Move& move, GameMode mode, PieceColor playerColor);
  // Stops pondering and forgets an owed request; a running search is the owner's to stop.
  void cancel();
  // True when an owed request was started.
  bool onEngineReady(PieceColor playerColor);
  // 2 when two moves were taken back, otherwise 1.
  int32_t onUndo(GameMode mode, PieceColor playerColor);
  bool hasPendingRequest() const { return pendingRequest.load(); }

  static std::wstring getGameOverText(GameState state);
  static int32_t getResultForPlayer(GameState state, PieceColor playerColor);

 private:
  bool isEngineTurn(GameMode mode, PieceColor playerColor) const;
  // Asks the AI; when it cannot answer now the request is owed until it reports ready.
  void startOrDefer();

  GameEngine* game;
  ITurnEngine* ai;
  std::atomic<bool> pendingRequest{false};
};

}  // namespace Tavrune
