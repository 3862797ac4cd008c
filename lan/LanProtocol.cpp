#include "lan/LanProtocol.h"

#include <array>
#include <string_view>

namespace Tavrune::LanProtocol {

namespace {

constexpr std::array<const char*, 16> keys = {
    "HELLO",  "HELLO_ACK", "MOVE",     "MOVE_ACK", "SYNC_REQ",      "SYNC", "RESIGN",           "UNDO_REQ",
    "UNDO_ACK", "DRAW_REQ", "DRAW_ACK", "HEARTBEAT", "HEARTBEAT_ACK", "BYE",  "TAVRUNE_DISCOVER", "TAVRUNE_REPLY",
};

// The white space of the C locale, which both the trimming and the number readers skip.
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string line(LanMessageType type, std::string_view payload) {
  std::string out = keyText(type);
  out += ':';
  out += payload;
  out += '\n';
  return out;
}

// Reads one signed decimal number at `pos` after optional blanks, as formatted stream input
// would; advances `pos` past it. Values outside 32 bits fail.
bool readNumber(std::string_view text, std::size_t& pos, int32_t& value) {
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t firstDigit = pos;
  int64_t magnitude = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    // Past 2^31 the value no longer fits either way; stop growing so nothing overflows.
    if (magnitude <= (int64_t{1} << 31)) magnitude = magnitude * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == firstDigit) return false;
  const int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
  value = static_cast<int32_t>(signedValue);
  return true;
}

bool parseInt(std::string_view text, int32_t& value) {
  if (text.empty()) return false;
  std::size_t pos = 0;
  int32_t read = 0;
  if (!readNumber(text, pos, read) || pos != text.size()) return false;
  value = read;
  return true;
}

bool parseMove(std::string_view text, Move& move) {
  std::array<int32_t, 6> fields{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) {
      while (pos < text.size() && isBlank(text[pos])) ++pos;
      if (pos >= text.size() || text[pos] != ',') return false;
      ++pos;
    }
    if (!readNumber(text, pos, fields[i])) return false;
  }
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  if (pos != text.size()) return false;
  const Position from(fields[0], fields[1]);
  const Position to(fields[2], fields[3]);
  if (!from.isValid() || !to.isValid()) return false;
  move.from = from;
  move.to = to;
  move.piece = static_cast<PieceType>(fields[4]);
  move.captured = static_cast<PieceType>(fields[5]);
  return true;
}

bool parsePort(std::string_view text, int32_t& port) {
  int32_t value = 0;
  if (!parseInt(text, value) || value < 1 || value > 65535) return false;
  port = value;
  return true;
}

// The text before the first ':' and the text after it; false when there is no ':'.
bool splitAtColon(std::string_view text, std::string_view& before, std::string_view& after) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  before = text.substr(0, colon);
  after = text.substr(colon + 1);
  return true;
}

bool decodeSync(std::string_view payload, LanMessage& message) {
  std::string_view fen, rest;
  if (!splitAtColon(payload, fen, rest)) return false;
  message.fen = std::string(fen);
  std::string_view countText, list;
  if (!splitAtColon(rest, countText, list)) {
    int32_t count = -1;
    return parseInt(rest, count) && count == 0;
  }
  int32_t count = 0;
  if (!parseInt(countText, count) || count < 0) return false;
  message.moveCount = count;
  // The announced count only bounds the loop; memory grows with what really arrives.
  std::size_t pos = 0;
  while (pos < list.size()) {
    const std::size_t bar = list.find('|', pos);
    const std::size_t end = bar == std::string_view::npos ? list.size() : bar;
    Move move;
    if (message.moves.size() >= static_cast<std::size_t>(count) || !parseMove(list.substr(pos, end - pos), move)) {
      return false;
    }
    message.moves.push_back(move);
    pos = end == list.size() ? end : end + 1;
  }
  return message.moves.size() == static_cast<std::size_t>(count);
}

bool decodePayload(std::string_view payload, LanMessage& message) {
  std::string_view before, after;
  switch (message.type) {
    case LanMessageType::HELLO:
    case LanMessageType::HELLO_ACK:
      if (!splitAtColon(payload, before, after)) return false;
      message.name = std::string(before);
      message.side = std::string(after);
      return true;
    case LanMessageType::MOVE:
      return splitAtColon(payload, before, after) && parseInt(before, message.seq) &&
             parseMove(after, message.move);
    case LanMessageType::MOVE_ACK: {
      if (!splitAtColon(payload, before, after) || !parseInt(before, message.seq)) return false;
      if (after == "ok") {
        message.accepted = true;
      } else if (std::string_view word, reason; splitAtColon(after, word, reason)) {
        message.reason = std::string(reason);
      }
      return true;
    }
    case LanMessageType::SYNC_REQ:
      return parseInt(payload, message.seq);
    case LanMessageType::SYNC:
      return decodeSync(payload, message);
    case LanMessageType::BYE:
      message.reason = std::string(payload);
      return true;
    case LanMessageType::UNDO_ACK:
    case LanMessageType::DRAW_ACK:
      message.accepted = payload == "accept";
      return true;
    case LanMessageType::TAVRUNE_DISCOVER:
      if (!splitAtColon(payload, before, after)) return false;
      message.name = std::string(before);
      return parsePort(after, message.port);
    case LanMessageType::TAVRUNE_REPLY: {
      if (!splitAtColon(payload, before, after)) return false;
      message.name = std::string(before);
      const std::size_t lastColon = after.rfind(':');
      if (lastColon == std::string_view::npos) return false;
      message.address = std::string(after.substr(0, lastColon));
      return parsePort(after.substr(lastColon + 1), message.port);
    }
    case LanMessageType::RESIGN:
    case LanMessageType::UNDO_REQ:
    case LanMessageType::DRAW_REQ:
    case LanMessageType::HEARTBEAT:
    case LanMessageType::HEARTBEAT_ACK:
      return true;
    case LanMessageType::UNKNOWN:
      return false;
  }
  return false;
}

}  // namespace

const char* keyText(LanMessageType type) {
  const auto index = static_cast<std::size_t>(type);
  return index < keys.size() ? keys[index] : "";
}

LanMessageType messageTypeFromKey(const std::string& key) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (key == keys[i]) return static_cast<LanMessageType>(i);
  }
  return LanMessageType::UNKNOWN;
}

bool tryParseInt(const std::string& text, int32_t& value) { return parseInt(text, value); }

std::string moveToText(const Move& move) {
  return std::to_string(move.from.x) + ',' + std::to_string(move.from.y) + ',' + std::to_string(move.to.x) + ',' +
         std::to_string(move.to.y) + ',' + std::to_string(static_cast<int32_t>(move.piece)) + ',' +
         std::to_string(static_cast<int32_t>(move.captured));
}

bool parseMoveText(const std::string& text, Move& move) { return parseMove(text, move); }

std::optional<LanMessage> parse(const std::string& rawLine) {
  std::string_view text = rawLine;
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  std::string_view key, payload;
  if (text.empty() || !splitAtColon(text, key, payload)) return std::nullopt;
  LanMessage message;
  message.type = messageTypeFromKey(std::string(key));
  message.payload = std::string(payload);
  if (!decodePayload(payload, message)) return std::nullopt;
  return message;
}

std::size_t splitLines(std::string& buffer, std::vector<std::string>& lines) {
  std::size_t pos = 0;
  std::size_t appended = 0;
  for (std::size_t feed; (feed = buffer.find('\n', pos)) != std::string::npos; pos = feed + 1) {
    std::size_t end = feed;
    if (end > pos && buffer[end - 1] == '\r') --end;
    if (end > pos) {
      lines.emplace_back(buffer, pos, end - pos);
      ++appended;
    }
  }
  buffer.erase(0, pos);
  return appended;
}

std::string makeHello(const std::string& name, const std::string& side) {
  return line(LanMessageType::HELLO, name + ':' + side);
}

std::string makeHelloAck(const std::string& hostName, const std::string& clientSide) {
  return line(LanMessageType::HELLO_ACK, hostName + ':' + clientSide);
}

std::string makeMove(int32_t seq, const Move& move) {
  return line(LanMessageType::MOVE, std::to_string(seq) + ':' + moveToText(move));
}

std::string makeMoveAck(int32_t seq, bool accepted, const std::string& reason) {
  return line(LanMessageType::MOVE_ACK, std::to_string(seq) + (accepted ? ":ok" : ":reject:" + reason));
}

std::string makeSyncRequest(int32_t seq) { return line(LanMessageType::SYNC_REQ, std::to_string(seq)); }

std::string makeSync(const std::string& fen, const std::vector<Move>& history) {
  std::string payload = fen + ':' + std::to_string(history.size());
  for (std::size_t i = 0; i < history.size(); ++i) {
    payload += i == 0 ? ':' : '|';
    payload += moveToText(history[i]);
  }
  return line(LanMessageType::SYNC, payload);
}

std::string makeResign() { return line(LanMessageType::RESIGN, ""); }
std::string makeUndoRequest() { return line(LanMessageType::UNDO_REQ, ""); }
std::string makeUndoAck(bool accepted) { return line(LanMessageType::UNDO_ACK, accepted ? "accept" : "reject"); }
std::string makeDrawRequest() { return line(LanMessageType::DRAW_REQ, ""); }
std::string makeDrawAck(bool accepted) { return line(LanMessageType::DRAW_ACK, accepted ? "accept" : "reject"); }
std::string makeHeartbeat() { return line(LanMessageType::HEARTBEAT, ""); }
std::string makeHeartbeatAck() { return line(LanMessageType::HEARTBEAT_ACK, ""); }
std::string makeBye(const std::string& reason) { return line(LanMessageType::BYE, reason); }

std::string makeDiscover(const std::string& name, int32_t port) {
  return line(LanMessageType::TAVRUNE_DISCOVER, name + ':' + std::to_string(port));
}

std::string makeReply(const std::string& name, const std::string& address, int32_t port) {
  return line(LanMessageType::TAVRUNE_REPLY, name + ':' + address + ':' + std::to_string(port));
}

}  // namespace Tavrune::LanProtocol
