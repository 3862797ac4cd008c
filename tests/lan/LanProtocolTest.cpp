#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lan/LanProtocol.h"

namespace Tavrune {
namespace {

using Type = LanMessageType;

struct LineCase {
  const char* line;
  bool valid;
  Type type;
  // Checked only for valid lines; empty texts and zeros where the field is not expected.
  const char* name;
  const char* side;
  int seq;
  bool accepted;
  const char* reason;
  int port;
  const char* address;
  const char* why;
};

// Decoding rules and the edge cases peers actually produce.
TEST(LanProtocol, DecodesLinesByTheirType) {
  const LineCase cases[] = {
      {"HEARTBEAT:\n", true, Type::HEARTBEAT, "", "", 0, false, "", 0, "", "heartbeat"},
      {"HEARTBEAT\n", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "no colon"},
      {"", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "empty"},
      {" \r\n\t", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "blank only"},
      {"heartbeat:", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "lower-case key"},
      {"HELLO_ACKX:a:b", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "key with more"},
      {" HEARTBEAT:", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "leading blank stays in the key"},
      {"HELLO:a:b:red\r\n", true, Type::HELLO, "a", "b:red", 0, false, "", 0, "", "':' in a name is not escaped"},
      {"HELLO:张三:", true, Type::HELLO, "张三", "", 0, false, "", 0, "", "empty side"},
      {"HELLO:nobody", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "hello without side"},
      {"HELLO_ACK:host:black", true, Type::HELLO_ACK, "host", "black", 0, false, "", 0, "", "hello ack"},
      {"MOVE_ACK:7:ok  \t\n", true, Type::MOVE_ACK, "", "", 7, true, "", 0, "", "ok with trailing blanks"},
      {"MOVE_ACK:7", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "number only"},
      {"MOVE_ACK:7:reject", true, Type::MOVE_ACK, "", "", 7, false, "", 0, "", "reject without reason"},
      {"MOVE_ACK:7:reject:wrong_seq", true, Type::MOVE_ACK, "", "", 7, false, "wrong_seq", 0, "", "reason"},
      {"MOVE_ACK:7:OK", true, Type::MOVE_ACK, "", "", 7, false, "", 0, "", "any other rest refuses"},
      {"MOVE_ACK:x:ok", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "seq not a number"},
      {"SYNC_REQ:-3", true, Type::SYNC_REQ, "", "", -3, false, "", 0, "", "negative seq"},
      {"SYNC_REQ:", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "empty seq"},
      {"SYNC_REQ:2147483648", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "seq past 32 bits"},
      {"UNDO_ACK:accept", true, Type::UNDO_ACK, "", "", 0, true, "", 0, "", "undo accepted"},
      {"UNDO_ACK:ACCEPT", true, Type::UNDO_ACK, "", "", 0, false, "", 0, "", "capitals refuse"},
      {"DRAW_ACK:", true, Type::DRAW_ACK, "", "", 0, false, "", 0, "", "empty refuses"},
      {"BYE:manual_leave", true, Type::BYE, "", "", 0, false, "manual_leave", 0, "", "bye"},
      {"RESIGN:whatever", true, Type::RESIGN, "", "", 0, false, "", 0, "", "payload carries nothing"},
      {"TAVRUNE_DISCOVER:me:8888", true, Type::TAVRUNE_DISCOVER, "me", "", 0, false, "", 8888, "", "discover"},
      {"TAVRUNE_DISCOVER:me:0", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "port 0"},
      {"TAVRUNE_DISCOVER:me:65536", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "port 65536"},
      {"TAVRUNE_DISCOVER:me:x:8888", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "two fields after name"},
      {"TAVRUNE_REPLY:room:192.168.1.5:8888", true, Type::TAVRUNE_REPLY, "room", "", 0, false, "", 8888,
       "192.168.1.5", "reply"},
      {"TAVRUNE_REPLY:room::8888", true, Type::TAVRUNE_REPLY, "room", "", 0, false, "", 8888, "", "empty address"},
      {"TAVRUNE_REPLY:room:8888", false, Type::UNKNOWN, "", "", 0, false, "", 0, "", "rest without ':'"},
      {"TAVRUNE_REPLY:room:::1:8888", true, Type::TAVRUNE_REPLY, "room", "", 0, false, "", 8888, "::1",
       "address up to the last ':'"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.why);
    const std::optional<LanMessage> message = LanProtocol::parse(c.line);
    ASSERT_EQ(message.has_value(), c.valid) << c.line;
    if (!c.valid) continue;
    EXPECT_EQ(message->type, c.type);
    EXPECT_EQ(message->name, c.name);
    EXPECT_EQ(message->side, c.side);
    EXPECT_EQ(message->seq, c.seq);
    EXPECT_EQ(message->accepted, c.accepted);
    EXPECT_EQ(message->reason, c.reason);
    EXPECT_EQ(message->port, c.port);
    EXPECT_EQ(message->address, c.address);
  }
}

TEST(LanProtocol, DecodesMovesAndSyncHistories) {
  struct MoveLine {
    const char* line;
    bool valid;
    int moveCount;
    const char* why;
  };
  const MoveLine cases[] = {
      {"MOVE:-1:7,9,6,7,2,0", true, 0, "negative seq, plain move"},
      {"MOVE:1: 7 , 9,6 ,7,2,0", true, 0, "blanks before numbers and commas"},
      {"MOVE:1:9,9,6,7,2,0", false, 0, "from x 9"},
      {"MOVE:1:7,9,6,10,2,0", false, 0, "to y 10"},
      {"MOVE:1:-1,9,6,7,2,0", false, 0, "negative coordinate"},
      {"MOVE:1:7,9,6,7,2,0,5", false, 0, "seventh number"},
      {"MOVE:1:7,9,6,7,2", false, 0, "five numbers"},
      {"MOVE:1:7;9,6,7,2,0", false, 0, "wrong separator"},
      {"MOVE:1:7,9,6,7,99,-4", true, 0, "piece codes are not range-checked"},
      {"SYNC:FEN:0", true, 0, "count 0, no list"},
      {"SYNC:FEN:0:", true, 0, "count 0, empty list"},
      {"SYNC:FEN:1", false, 0, "count 1 without list"},
      {"SYNC:FEN:2:1,0,2,2,2,0|7,9,6,7,2,0|", true, 2, "one '|' at the very end"},
      {"SYNC:FEN:2:1,0,2,2,2,0||7,9,6,7,2,0", false, 0, "empty piece between bars"},
      {"SYNC:FEN:1:|1,0,2,2,2,0", false, 0, "empty piece first"},
      {"SYNC:FEN:2:1,0,2,2,2,0", false, 0, "one move for count 2"},
      {"SYNC:FEN:-1:", false, 0, "negative count"},
      {"SYNC:FEN:2147483647:1,0,2,2,2,0", false, 0, "huge count with one move"},
      {"SYNC:FEN", false, 0, "no count"},
  };
  for (const MoveLine& c : cases) {
    SCOPED_TRACE(c.why);
    const std::optional<LanMessage> message = LanProtocol::parse(c.line);
    ASSERT_EQ(message.has_value(), c.valid) << c.line;
    if (c.valid && message->type == Type::SYNC) {
      EXPECT_EQ(message->fen, "FEN");
      EXPECT_EQ(message->moveCount, c.moveCount);
      EXPECT_EQ(message->moves.size(), static_cast<size_t>(c.moveCount));
    }
  }
  const LanMessage move = *LanProtocol::parse("MOVE:5:7,9,6,7,2,0");
  EXPECT_EQ(move.seq, 5);
  EXPECT_EQ(move.move, (Move{{7, 9}, {6, 7}, RED_KNIGHT, EMPTY}));
}

TEST(LanProtocol, WritersProduceTheWireTexts) {
  const Move knight{{7, 9}, {6, 7}, RED_KNIGHT, EMPTY};
  const Move capture{{1, 7}, {1, 0}, RED_CANNON, BLACK_KNIGHT};
  const std::pair<std::string, std::string> cases[] = {
      {LanProtocol::makeHello("张三", "red"), "HELLO:张三:red\n"},
      {LanProtocol::makeHelloAck("host", "black"), "HELLO_ACK:host:black\n"},
      {LanProtocol::makeMove(12, knight), "MOVE:12:7,9,6,7,2,0\n"},
      {LanProtocol::makeMoveAck(3, true, "ignored"), "MOVE_ACK:3:ok\n"},
      {LanProtocol::makeMoveAck(3, false, "wrong_seq"), "MOVE_ACK:3:reject:wrong_seq\n"},
      {LanProtocol::makeSyncRequest(-2), "SYNC_REQ:-2\n"},
      {LanProtocol::makeSync("F w", {}), "SYNC:F w:0\n"},
      {LanProtocol::makeSync("F w", {knight, capture}), "SYNC:F w:2:7,9,6,7,2,0|1,7,1,0,6,9\n"},
      {LanProtocol::makeResign(), "RESIGN:\n"},
      {LanProtocol::makeUndoRequest(), "UNDO_REQ:\n"},
      {LanProtocol::makeUndoAck(false), "UNDO_ACK:reject\n"},
      {LanProtocol::makeDrawRequest(), "DRAW_REQ:\n"},
      {LanProtocol::makeDrawAck(true), "DRAW_ACK:accept\n"},
      {LanProtocol::makeHeartbeat(), "HEARTBEAT:\n"},
      {LanProtocol::makeHeartbeatAck(), "HEARTBEAT_ACK:\n"},
      {LanProtocol::makeBye("protocol_error"), "BYE:protocol_error\n"},
      {LanProtocol::makeDiscover("", 8888), "TAVRUNE_DISCOVER::8888\n"},
      {LanProtocol::makeReply("room", "10.0.0.2", 8888), "TAVRUNE_REPLY:room:10.0.0.2:8888\n"},
  };
  for (const auto& [written, expected] : cases) EXPECT_EQ(written, expected);
  for (int type = 0; type <= 16; ++type) {
    const auto t = static_cast<LanMessageType>(type);
    EXPECT_EQ(LanProtocol::messageTypeFromKey(LanProtocol::keyText(t)), t);
  }
}

TEST(LanProtocol, EveryMoveOnTheBoardReadsBackAsWritten) {
  for (int from = 0; from < 90; ++from) {
    for (int to = 0; to < 90; ++to) {
      const Move move{{from / 10, from % 10}, {to / 10, to % 10}, static_cast<PieceType>(from % 15),
                      static_cast<PieceType>(to % 15)};
      Move read;
      ASSERT_TRUE(LanProtocol::parseMoveText(LanProtocol::moveToText(move), read));
      ASSERT_EQ(read, move);
    }
  }
}

TEST(LanProtocol, IntegerReaderIsStrict) {
  const std::pair<const char*, bool> cases[] = {
      {"0", true},   {"+42", true},        {" \t-7", true},        {"2147483647", true}, {"-2147483648", true},
      {"", false},   {"2147483648", false}, {"-2147483649", false}, {"99999999999999999999", false},
      {"0x10", false}, {"7 ", false},       {"1e3", false},         {"+", false},         {"- 1", false},
  };
  for (const auto& [text, valid] : cases) {
    int32_t value = 123;
    EXPECT_EQ(LanProtocol::tryParseInt(text, value), valid) << text;
    if (!valid) {
      EXPECT_EQ(value, 123) << text;
    }
  }
}

TEST(LanProtocol, SplitsCompleteLinesAndKeepsTheRest) {
  std::string buffer = "HELLO:a:red\r\n\nMOVE:1:7,9";
  std::vector<std::string> lines;
  EXPECT_EQ(LanProtocol::splitLines(buffer, lines), 1u);
  EXPECT_EQ(lines, std::vector<std::string>{"HELLO:a:red"});
  EXPECT_EQ(buffer, "MOVE:1:7,9");

  buffer += ",6,7,2,0\n\r\nHEARTBEAT:\n";
  EXPECT_EQ(LanProtocol::splitLines(buffer, lines), 2u);
  EXPECT_EQ(lines, (std::vector<std::string>{"HELLO:a:red", "MOVE:1:7,9,6,7,2,0", "HEARTBEAT:"}));
  EXPECT_EQ(buffer, "");

  std::string partial = "no line feed\r";
  EXPECT_EQ(LanProtocol::splitLines(partial, lines), 0u);
  EXPECT_EQ(partial, "no line feed\r");
}

}  // namespace
}  // namespace Tavrune
