#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lan/LanMessageText.h"
#include "lan/LanProtocol.h"

namespace Tavrune {
namespace {

using ::Tavrune::Test::describe;

// Decoding rules and the edge cases peers actually produce: each line and the record it
// gives ("" when it is invalid).
TEST(LanProtocol, DecodesLinesByTheirType) {
  const std::pair<const char*, const char*> cases[] = {
      {"HEARTBEAT:\n", "HEARTBEAT"},
      {"HEARTBEAT\n", ""},  // no colon
      {"", ""},
      {" \r\n\t", ""},
      {"heartbeat:", ""},            // keys are case-sensitive
      {"HELLO_ACKX:a:b", ""},        // a key with anything added
      {" HEARTBEAT:", ""},           // leading blanks stay in the key
      {"RESIGN:whatever", "RESIGN"},  // the payload carries nothing
      {"HELLO:a:b:red\r\n", "HELLO name=a side=b:red"},  // ':' in a name is not escaped
      {"HELLO:张三:", "HELLO name=张三"},
      {"HELLO:nobody", ""},
      {"HELLO_ACK:host:black", "HELLO_ACK name=host side=black"},
      {"MOVE_ACK:7:ok  \t\n", "MOVE_ACK seq=7 accepted=1"},
      {"MOVE_ACK:7", ""},
      {"MOVE_ACK:x:ok", ""},
      {"MOVE_ACK:7:reject", "MOVE_ACK seq=7"},
      {"MOVE_ACK:7:reject:wrong_seq", "MOVE_ACK seq=7 reason=wrong_seq"},
      {"MOVE_ACK:7:OK", "MOVE_ACK seq=7"},
      {"SYNC_REQ:-3", "SYNC_REQ seq=-3"},
      {"SYNC_REQ:", ""},
      {"SYNC_REQ:2147483648", ""},
      {"UNDO_ACK:accept", "UNDO_ACK accepted=1"},
      {"UNDO_ACK:ACCEPT", "UNDO_ACK"},
      {"DRAW_ACK:", "DRAW_ACK"},
      {"BYE:manual_leave", "BYE reason=manual_leave"},
      {"TAVRUNE_DISCOVER:me:8888", "TAVRUNE_DISCOVER name=me port=8888"},
      {"TAVRUNE_DISCOVER:me:0", ""},
      {"TAVRUNE_DISCOVER:me:65536", ""},
      {"TAVRUNE_DISCOVER:me:x:8888", ""},
      {"TAVRUNE_REPLY:room:192.168.1.5:8888", "TAVRUNE_REPLY name=room address=192.168.1.5 port=8888"},
      {"TAVRUNE_REPLY:room::8888", "TAVRUNE_REPLY name=room port=8888"},
      {"TAVRUNE_REPLY:room:8888", ""},
      {"TAVRUNE_REPLY:room:::1:8888", "TAVRUNE_REPLY name=room address=::1 port=8888"},
      {"MOVE:-1:7,9,6,7,2,0", "MOVE seq=-1 move=7,9,6,7,2,0"},
      {"MOVE:1: 7 , 9,6 ,7,2,0", "MOVE seq=1 move=7,9,6,7,2,0"},
      {"MOVE:1:7,9,6,7,99,-4", "MOVE seq=1 move=7,9,6,7,99,-4"},  // piece codes as read
      {"MOVE:1:9,9,6,7,2,0", ""},
      {"MOVE:1:7,9,6,10,2,0", ""},
      {"MOVE:1:-1,9,6,7,2,0", ""},
      {"MOVE:1:7,9,6,7,2,0,5", ""},
      {"MOVE:1:7,9,6,7,2", ""},
      {"MOVE:1:7;9,6,7,2,0", ""},
      {"SYNC:F:0", "SYNC fen=F"},
      {"SYNC:F:0:", "SYNC fen=F"},
      {"SYNC:F:1", ""},
      {"SYNC:F:2:1,0,2,2,2,0|7,9,6,7,2,0|", "SYNC fen=F count=2 m=1,0,2,2,2,0 m=7,9,6,7,2,0"},
      {"SYNC:F:2:1,0,2,2,2,0||7,9,6,7,2,0", ""},
      {"SYNC:F:1:|1,0,2,2,2,0", ""},
      {"SYNC:F:2:1,0,2,2,2,0", ""},
      {"SYNC:F:-1:", ""},
      {"SYNC:F:2147483647:1,0,2,2,2,0", ""},  // nothing is reserved by the announced count
      {"SYNC:F", ""},
  };
  for (const auto& [line, expected] : cases) {
    const std::optional<LanMessage> message = LanProtocol::parse(line);
    EXPECT_EQ(message ? describe(*message) : "", expected) << line;
  }
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
      {LanProtocol::makeResign() + LanProtocol::makeUndoRequest() + LanProtocol::makeDrawRequest(),
       "RESIGN:\nUNDO_REQ:\nDRAW_REQ:\n"},
      {LanProtocol::makeUndoAck(false) + LanProtocol::makeDrawAck(true), "UNDO_ACK:reject\nDRAW_ACK:accept\n"},
      {LanProtocol::makeHeartbeat() + LanProtocol::makeHeartbeatAck(), "HEARTBEAT:\nHEARTBEAT_ACK:\n"},
      {LanProtocol::makeBye("protocol_error"), "BYE:protocol_error\n"},
      {LanProtocol::makeDiscover("", 8888), "TAVRUNE_DISCOVER::8888\n"},
      {LanProtocol::makeReply("room", "10.0.0.2", 8888), "TAVRUNE_REPLY:room:10.0.0.2:8888\n"},
  };
  for (const auto& [written, expected] : cases) EXPECT_EQ(written, expected);
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
    EXPECT_TRUE(valid || value == 123) << text;
  }
}

TEST(LanProtocol, SplitsCompleteLinesAndKeepsTheRest) {
  std::string buffer = "HELLO:a:red\r\n\nMOVE:1:7,9";
  std::vector<std::string> lines;
  EXPECT_EQ(LanProtocol::splitLines(buffer, lines), 1u);
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
