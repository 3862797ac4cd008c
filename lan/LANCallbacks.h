#pragma once
// How the session controller reports to the window, slot by slot. Every slot is optional
// (an empty one is skipped) and is called with the controller's lock held, so none may call
// back into the controller. The four game slots (14 to 17) change the game at once; the
// others only notify.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune {

struct LANCallbacks {
  // The handshake completed (also a resumed one): host and client alike.
  std::function<void()> opponentConnected;                                   // 0
  std::function<void()> connectionLost;                                      // 1
  std::function<void(PieceColor localSide, const std::string& opponent)> gameReady;  // 2
  std::function<void(const Move& move, bool localInCheck)> remoteMoveApplied;        // 3
  std::function<void(int32_t seq)> moveAcked;                                // 4
  std::function<void(int32_t seq, const std::string& reason)> moveRejected;  // 5
  std::function<void()> opponentResigned;                                    // 6
  std::function<void()> undoRequested;                                       // 7
  std::function<void(bool accepted)> undoResponse;                           // 8
  std::function<void()> drawRequested;                                       // 9
  std::function<void(bool accepted)> drawResponse;                           // 10
  std::function<void(bool consistent)> syncResult;                           // 11
  std::function<void(const std::string& name, const std::string& address, int32_t port)>
      roomFound;                                                             // 12
  std::function<void(const std::string& text)> statusText;                   // 13
  std::function<bool(const Move& move)> validateAndApplyMove;                // 14
  std::function<void(int32_t plies)> undoMoves;                              // 15
  std::function<void(GameState state)> setGameState;                         // 16
  std::function<bool(const std::string& fen, const std::vector<Move>& moves, bool force)>
      applySyncState;                                                        // 17
  std::function<void()> connectFailed;                                       // 18
};

}  // namespace Tavrune
