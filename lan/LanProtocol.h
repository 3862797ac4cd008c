#pragma once
// The LAN wire format: one text message per line over TCP (one per datagram over UDP
// discovery), "KEY:payload\n". Stateless free functions, safe on any thread. Decoding
// never throws: an invalid line gives an empty optional and the caller decides.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/ChessTypes.h"

namespace Tavrune {

// The values are what the session controller dispatches on; 16 is any other key.
enum class LanMessageType : int32_t {
  HELLO = 0,
  HELLO_ACK = 1,
  MOVE = 2,
  MOVE_ACK = 3,
  SYNC_REQ = 4,
  SYNC = 5,
  RESIGN = 6,
  UNDO_REQ = 7,
  UNDO_ACK = 8,
  DRAW_REQ = 9,
  DRAW_ACK = 10,
  HEARTBEAT = 11,
  HEARTBEAT_ACK = 12,
  BYE = 13,
  TAVRUNE_DISCOVER = 14,
  TAVRUNE_REPLY = 15,
  UNKNOWN = 16,
};

// A decoded line. Only the fields of its type are filled; the rest keep these defaults.
struct LanMessage {
  LanMessageType type = LanMessageType::UNKNOWN;
  std::string payload;  // everything after the first ':' of the trimmed line
  std::string name;
  std::string side;
  int32_t seq = 0;
  Move move;
  bool accepted = false;
  std::string reason;
  std::string fen;
  int32_t moveCount = 0;
  std::vector<Move> moves;
  std::string address;
  int32_t port = 0;
};

namespace LanProtocol {

// Writers: each returns one whole line ending in "\n". Texts go out as given (no escaping),
// so a ':' inside a name shifts the fields after it on the peer's side.
std::string makeHello(const std::string& name, const std::string& side);
std::string makeHelloAck(const std::string& hostName, const std::string& clientSide);
std::string makeMove(int32_t seq, const Move& move);
// The reason is written only for a refusal.
std::string makeMoveAck(int32_t seq, bool accepted, const std::string& reason);
std::string makeSyncRequest(int32_t seq);
// The FEN, the history's size and, when it has moves, the move texts joined by '|'.
std::string makeSync(const std::string& fen, const std::vector<Move>& history);
std::string makeResign();
std::string makeUndoRequest();
std::string makeUndoAck(bool accepted);
std::string makeDrawRequest();
std::string makeDrawAck(bool accepted);
std::string makeHeartbeat();
std::string makeHeartbeatAck();
std::string makeBye(const std::string& reason);
std::string makeDiscover(const std::string& name, int32_t port);
std::string makeReply(const std::string& name, const std::string& address, int32_t port);

// "fromX,fromY,toX,toY,piece,captured" in signed decimal.
std::string moveToText(const Move& move);
// Reads a move text; the four coordinates must lie on the board, the piece codes are taken
// as read (legality is the controller's business). `move` is written only on success.
bool parseMoveText(const std::string& text, Move& move);

// Decodes one line, which may still end in its line feed.
std::optional<LanMessage> parse(const std::string& line);

// Moves every complete line ("\r\n" or "\n" ended; empty lines skipped) from the front of
// `buffer` to `lines` and returns how many it appended; an unfinished line stays behind.
std::size_t splitLines(std::string& buffer, std::vector<std::string>& lines);

// Strict decimal reader: optional leading white space and sign, digits, nothing after,
// within 32 bits. `value` is written only on success.
bool tryParseInt(const std::string& text, int32_t& value);

// Exact, case-sensitive key lookup; UNKNOWN for anything else.
LanMessageType messageTypeFromKey(const std::string& key);
// The key text of a type ("" for UNKNOWN).
const char* keyText(LanMessageType type);

}  // namespace LanProtocol
}  // namespace Tavrune
