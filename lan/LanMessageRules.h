#pragma once
// What a session does with each kind of line its peer sends, by where the session stands:
// act on it, ignore it, or end the connection it came on. One table, so that a new kind of
// message or a new phase is one row or one column.
#include "lan/LanProtocol.h"

namespace Tavrune::LanMessageRules {

enum class Phase {
  NoPeer,          // no connection to talk over (a room waiting, a connect or a reconnection)
  HostHandshake,   // a guest is connected and has not said HELLO yet
  GuestHandshake,  // connected to a room that has not answered HELLO yet
  Playing,         // handshake done, the game goes on
  GameOver,        // handshake done, the board's game has ended (a mate) but the session goes on
  Ended,           // resigned or drawn, the connection still open until someone leaves
};

enum class Verdict {
  Act,
  Ignore,         // logged once per kind and connection
  EndConnection,  // only the connection it came on ends; a room or a wait goes on
};

Verdict verdict(LanMessageType type, Phase phase);
const char* phaseName(Phase phase);

}  // namespace Tavrune::LanMessageRules
