#pragma once
// What the LAN session reports to the window: the code in WM_LAN_EVENT's wParam and, for
// the codes that carry one, the record in its lParam (a PostedPayload the handler takes
// back). Codes 5 and 12 carry a plain value; the others nothing.
#include <cstdint>
#include <string>

#include "game/ChessTypes.h"

namespace Tavrune {

enum class LanUiEvent : uint32_t {
  OpponentConnected = 1,
  ConnectionLost = 2,
  GameReady = 3,          // LanGameReadyEvent
  RemoteMoveApplied = 4,  // LanRemoteMoveEvent
  MoveAcked = 5,          // the sequence number
  MoveRejected = 6,       // LanMoveRejectedEvent
  OpponentResigned = 7,
  UndoRequested = 8,
  UndoResponse = 9,       // LanAnswerEvent
  DrawRequested = 10,
  DrawResponse = 11,      // LanAnswerEvent
  SyncResult = 12,        // 1 consistent, 0 not
  StatusText = 13,        // LanStatusTextEvent
  ConnectFailed = 14,
  // Posted by the window itself when it leaves the session: the events before it are of
  // the session it left.
  LeftSessionMark = 15,
};

struct LanGameReadyEvent {
  PieceColor localSide = NONE;
  std::string opponentName;  // UTF-8
};

struct LanRemoteMoveEvent {
  Move move;  // as the game filled it
  bool inCheck = false;
};

struct LanMoveRejectedEvent {
  int32_t seq = 0;
  std::string reason;
};

struct LanAnswerEvent {
  bool accepted = false;
};

struct LanStatusTextEvent {
  std::string text;  // UTF-8
};

}  // namespace Tavrune
