#include "lan/LanMessageRules.h"

#include <array>
#include <cstddef>

namespace Tavrune::LanMessageRules {

namespace {

constexpr Verdict A = Verdict::Act;
constexpr Verdict I = Verdict::Ignore;
constexpr Verdict E = Verdict::EndConnection;
constexpr std::size_t PHASES = 6;

struct Row {
  LanMessageType type;
  std::array<Verdict, PHASES> byPhase;
};

// Before the handshake a peer is a stranger: only the handshake's own line counts. A room
// ends a stranger's connection at its first other line, so that nobody who says no HELLO
// holds the seat a returning player needs; a joining guest ends its own only at a BYE.
// After a resignation or an agreed draw only liveness and the leave are heard. A mate ends
// the game but not the session: the last move's acknowledgement, a pending answer and a
// resync still arrive, and a request gets its refusal; a resignation no longer changes the
// result.
constexpr Row TABLE[] = {
    //                          NoPeer HostHs GuestHs Playing GameOver Ended
    {LanMessageType::HELLO,         {I, A, I, I, I, I}},
    {LanMessageType::HELLO_ACK,     {I, E, A, I, I, I}},
    {LanMessageType::MOVE,          {I, E, I, A, A, I}},
    {LanMessageType::MOVE_ACK,      {I, E, I, A, A, I}},
    {LanMessageType::SYNC_REQ,      {I, E, I, A, A, I}},
    {LanMessageType::SYNC,          {I, E, I, A, A, I}},
    {LanMessageType::RESIGN,        {I, E, I, A, I, I}},
    {LanMessageType::UNDO_REQ,      {I, E, I, A, A, I}},
    {LanMessageType::UNDO_ACK,      {I, E, I, A, A, I}},
    {LanMessageType::DRAW_REQ,      {I, E, I, A, A, I}},
    {LanMessageType::DRAW_ACK,      {I, E, I, A, A, I}},
    {LanMessageType::HEARTBEAT,     {I, E, I, A, A, A}},
    {LanMessageType::HEARTBEAT_ACK, {I, E, I, A, A, A}},
    {LanMessageType::BYE,           {I, E, E, A, A, A}},
};

}  // namespace

Verdict verdict(LanMessageType type, Phase phase) {
  for (const Row& row : TABLE) {
    if (row.type == type) return row.byPhase[static_cast<std::size_t>(phase)];
  }
  // Discovery keys and anything unknown have no business on a game connection.
  return phase == Phase::HostHandshake ? Verdict::EndConnection : Verdict::Ignore;
}

const char* phaseName(Phase phase) {
  switch (phase) {
    case Phase::NoPeer: return "no peer";
    case Phase::HostHandshake: return "host handshake";
    case Phase::GuestHandshake: return "guest handshake";
    case Phase::Playing: return "playing";
    case Phase::GameOver: return "game over";
    case Phase::Ended: return "ended";
  }
  return "?";
}

}  // namespace Tavrune::LanMessageRules
