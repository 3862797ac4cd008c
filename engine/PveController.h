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
  enum FailureOutcome : int32_t {
    FAILURE_IGNORED = 0,   // told already, overtaken by a restart, or not on the engine's turn
    ENGINE_RESTARTED = 1,  // a new engine starts and the move is asked again
    ENGINE_GAVE_UP = 2,    // the owner tells the player, once
  };
  // Failures on one turn that each get a new engine before the turn flow gives up.
  static constexpr int32_t MAX_TURN_RESTARTS = 3;
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
  // The engine failed: it exited, did not start or finish its handshake, or
  // (`moveRefused`) answered a move the game refused. On its turn it gets a new engine
  // and is asked again, a bounded number of times; after that, or when the AI's own
  // start attempts gave up, the turn flow gives up until revive.
  int32_t onEngineFailure(bool enginesTurn, bool moveRefused);
  // The engine's move was played: its turn ended well.
  void onEngineMovePlayed() { turnFailures = 0; }
  // A new game, resume, undo, a side switch or another engine: the next turn tries anew.
  void revive();
  // After a give-up the engine is not asked: its turns fail at once, without a start.
  bool hasGivenUp() const { return gaveUp; }
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
  int32_t turnFailures = 0;
  bool gaveUp = false;
};

}  // namespace Tavrune
