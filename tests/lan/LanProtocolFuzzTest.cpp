// Mutated LAN lines, seeded with every kind of message the program sends: decoding never
// crashes, and every accepted line, written again by its type's writer, decodes to the same
// record. Cutting a stream into lines gives the same lines whatever the chunk sizes. Host
// build, under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lan/LanMessageText.h"
#include "lan/LanProtocol.h"

namespace Tavrune {
namespace {

using ::Tavrune::Test::describe;

std::vector<std::string> seeds() {
  const Move knight{{7, 9}, {6, 7}, RED_KNIGHT, EMPTY};
  const Move capture{{1, 7}, {1, 0}, RED_CANNON, BLACK_KNIGHT};
  return {
      LanProtocol::makeHello("张三", "random"), LanProtocol::makeHelloAck("a:b", "red"),
      LanProtocol::makeMove(41, knight), LanProtocol::makeMoveAck(41, true, ""),
      LanProtocol::makeMoveAck(-2, false, "illegal_move"), LanProtocol::makeSyncRequest(10),
      LanProtocol::makeSync("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1",
                            {knight, capture, knight}),
      LanProtocol::makeSync("9/9/9/9/9/9/9/9/9/9 b - - 0 1", {}), LanProtocol::makeResign(),
      LanProtocol::makeUndoRequest(), LanProtocol::makeUndoAck(true), LanProtocol::makeDrawRequest(),
      LanProtocol::makeDrawAck(false), LanProtocol::makeHeartbeat(), LanProtocol::makeHeartbeatAck(),
      LanProtocol::makeBye("manual_leave"), LanProtocol::makeDiscover("searcher", 8888),
      LanProtocol::makeReply("host", "192.168.0.7", 8888),
  };
}

const std::string tokens[] = {":", "|", ",", "\n", "\r\n", " ", "\t", "-", "+", "0", "9", "10", "65535", "65536",
                              "2147483647", "2147483648", "-2147483648", "ok", "accept", "reject:", "HELLO",
                              "MOVE_ACK", "SYNC", "TAVRUNE_REPLY", "\xE5\xBC\xA0", "\xFF", std::string(1, '\0')};

std::string mutate(std::string text, std::mt19937& random) {
  const int steps = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < steps; ++i) {
    const std::size_t at = text.empty() ? 0 : random() % (text.size() + 1);
    switch (random() % 4) {
      case 0:  // insert a token
        text.insert(at, tokens[random() % std::size(tokens)]);
        break;
      case 1:  // replace one byte
        if (at < text.size()) text[at] = static_cast<char>(random() % 256);
        break;
      case 2:  // cut a run
        if (at < text.size()) text.erase(at, 1 + random() % 8);
        break;
      default:  // duplicate a run
        if (at < text.size()) text.insert(at, text.substr(at, 1 + random() % 16));
        break;
    }
  }
  return text;
}

std::string writeAgain(const LanMessage& m) {
  using T = LanMessageType;
  switch (m.type) {
    case T::HELLO: return LanProtocol::makeHello(m.name, m.side);
    case T::HELLO_ACK: return LanProtocol::makeHelloAck(m.name, m.side);
    case T::MOVE: return LanProtocol::makeMove(m.seq, m.move);
    case T::MOVE_ACK: return LanProtocol::makeMoveAck(m.seq, m.accepted, m.reason);
    case T::SYNC_REQ: return LanProtocol::makeSyncRequest(m.seq);
    case T::SYNC: return LanProtocol::makeSync(m.fen, m.moves);
    case T::RESIGN: return LanProtocol::makeResign();
    case T::UNDO_REQ: return LanProtocol::makeUndoRequest();
    case T::UNDO_ACK: return LanProtocol::makeUndoAck(m.accepted);
    case T::DRAW_REQ: return LanProtocol::makeDrawRequest();
    case T::DRAW_ACK: return LanProtocol::makeDrawAck(m.accepted);
    case T::HEARTBEAT: return LanProtocol::makeHeartbeat();
    case T::HEARTBEAT_ACK: return LanProtocol::makeHeartbeatAck();
    case T::BYE: return LanProtocol::makeBye(m.reason);
    case T::TAVRUNE_DISCOVER: return LanProtocol::makeDiscover(m.name, m.port);
    case T::TAVRUNE_REPLY: return LanProtocol::makeReply(m.name, m.address, m.port);
    case T::UNKNOWN: break;
  }
  return {};
}

TEST(LanProtocolFuzz, AcceptedLinesSurviveWritingAgain) {
  std::mt19937 random(20261207);
  const std::vector<std::string> base = seeds();
  int accepted = 0;
  for (int round = 0; round < 200000; ++round) {
    const std::string line = mutate(base[random() % base.size()], random);
    const std::optional<LanMessage> first = LanProtocol::parse(line);
    if (!first) continue;
    ++accepted;
    const std::string again = writeAgain(*first);
    const std::optional<LanMessage> second = LanProtocol::parse(again);
    ASSERT_TRUE(second.has_value()) << line << " -> " << again;
    // The raw payload may be spelled differently ("7:no" and "7:reject:" refuse alike).
    ASSERT_EQ(describe(*first), describe(*second)) << line;
  }
  // Most mutations should still be messages, or the loop tests nothing but refusals.
  EXPECT_GT(accepted, 50000);
}

TEST(LanProtocolFuzz, LinesDoNotDependOnChunkSizes) {
  std::mt19937 random(7);
  const std::vector<std::string> base = seeds();
  for (int round = 0; round < 2000; ++round) {
    std::string stream;
    for (int i = 0; i < 20; ++i) stream += mutate(base[random() % base.size()], random);
    std::string whole = stream;
    std::vector<std::string> expected;
    LanProtocol::splitLines(whole, expected);

    std::string buffer;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t size = 1 + random() % 64;
      buffer.append(stream, at, size);
      at += size;
      const std::size_t before = lines.size();
      const std::size_t appended = LanProtocol::splitLines(buffer, lines);
      ASSERT_EQ(appended, lines.size() - before);
      ASSERT_EQ(buffer.find('\n'), std::string::npos);
    }
    ASSERT_EQ(lines, expected);
    ASSERT_EQ(buffer, whole);
    for (const std::string& line : lines) ASSERT_FALSE(line.empty());
  }
}

}  // namespace
}  // namespace Tavrune
