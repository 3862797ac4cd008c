#pragma once
// Where a LAN session stands, and the own move that waits for the peer's acknowledgement.
#include <chrono>
#include <cstdint>

#include "game/ChessTypes.h"

namespace Tavrune {

// Scoped: PLAYING is also a value of the game's own GameState.
enum class LANSessionState : uint32_t {
  IDLE = 0,          // no session: the only state in which a room can be created or joined
  HOSTING = 1,       // host: listening for a client (first connection or reconnection)
  HANDSHAKING = 2,   // connected; host waits for HELLO, client for HELLO_ACK
  PLAYING = 3,       // game in progress, no own move awaiting acknowledgement
  WAITING_ACK = 4,   // an own move was sent and its MOVE_ACK has not come
  WAITING_SYNC = 5,  // a SYNC_REQ was sent and its SYNC has not come
  RECONNECTING = 6,  // client: connection lost, retrying to connect
  ENDED = 7,         // game over or connection lost; waits for leaveRoom or a reconnection wait
  CONNECTING = 8,    // client: the first connection to the room is being made off this thread
};

struct PendingMove {
  Move move;
  int32_t seq = 0;
  int32_t resendCount = 0;  // time-outs counted so far
  std::chrono::steady_clock::time_point sentAt{};
};

}  // namespace Tavrune
