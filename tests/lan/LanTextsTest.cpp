// The pure pieces of a LAN session: nicknames made safe for the wire and bounded from a
// peer, and the choice of a room's address.
#include <gtest/gtest.h>

#include "lan/LANGameController.h"
#include "lan/LanNickname.h"

namespace Tavrune::Test {
namespace {

TEST(LanNickname, SentNamesCannotShiftFieldsAndPeerNamesAreBounded) {
  const struct {
    const char* name;
    const char* sent;
    const char* taken;
  } cases[] = {
      {"Wei", "Wei", "Wei"},
      {"a:b", "a\uFF1Ab", "a:b"},
      {"tab\tline\nend\r", "tablineend", "tablineend"},
      {"\xC2\x85nel\x7F", "nel", "nel"},       // C1 and DEL controls
      {"bad\xFF\xC3", "bad", "bad"},           // not UTF-8
      {"象棋", "象棋", "象棋"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanNickname::forSending(c.name), c.sent) << c.name;
    EXPECT_EQ(LanNickname::fromPeer(c.name), c.taken) << c.name;
  }
  std::string longName;
  for (int i = 0; i < 70; ++i) longName += "将";
  const std::string taken = LanNickname::fromPeer(longName + "\x01");
  EXPECT_EQ(taken.size(), 63u * 3);  // 63 whole characters, never half of one
  EXPECT_EQ(LanNickname::fromPeer(std::string(200, 'x')).size(), 63u);
}

TEST(RoomDiscovery, AddressAffinityAndTheChosenAddress) {
  const struct {
    const char* local;
    const char* candidate;
    int32_t score;
  } cases[] = {
      {"192.168.1.20", "192.168.1.7", 121}, {"192.168.1.20", "192.168.2.7", 21},
      {"10.0.0.5", "10.9.9.9", 21},         {"172.16.0.1", "172.31.0.1", 21},
      {"172.15.0.1", "172.15.0.9", 101},    {"8.8.8.1", "8.8.8.8", 101},
      {"192.168.1.20", "127.0.0.1", 1},     {"192.168.1.20", "10.0.0.1", 1},
      {"192.168.1.20", "192.168.1", -1},    {"192.168.1.20", "192.168.1.256", -1},
      {"", "1.2.3.4", -1},                  {"1.2.3.4.extra", "1.2.3.9", 101},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LANGameController::addressAffinity(c.local, c.candidate), c.score)
        << c.local << " " << c.candidate;
  }
  RoomTable table;
  // A host with no usable adapter announces 127.0.0.1: the sender's address suits better.
  EXPECT_EQ(table.record("192.168.1.7", "127.0.0.1", "192.168.1.20"), "192.168.1.7");
  EXPECT_EQ(table.candidatesFor("192.168.1.7"),
            (std::vector<std::string>{"192.168.1.7", "127.0.0.1"}));
  EXPECT_EQ(table.record("10.0.0.7", "192.168.1.9", "192.168.1.20"), "192.168.1.9");
  EXPECT_EQ(table.candidatesFor("192.168.1.9"),
            (std::vector<std::string>{"192.168.1.9", "10.0.0.7"}));
  for (int i = 0; i < 100; ++i) table.record("10.1.0." + std::to_string(i), "", "10.1.0.200");
  EXPECT_EQ(table.size(), 64u);
  EXPECT_FALSE(table.record("10.2.0.1", "", "10.1.0.200"));
  EXPECT_EQ(table.record("192.168.1.7", "", "192.168.1.20"), "192.168.1.7");  // known: kept
}

}  // namespace
}  // namespace Tavrune::Test
