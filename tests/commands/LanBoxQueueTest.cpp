// The LAN boxes in the order they open, for the reports that come while the first is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/LanBoxQueue.h"

namespace Tavrune {
namespace {

using B = LanBox;

TEST(LanBoxQueueTest, OneBoxAtATimeAndTheConnectionsEndNext) {
  const struct {
    const char* name;
    B first;
    std::vector<B> whileOpen;
    int connectionEnds;
    std::vector<B> settled;  // questions whose request the session closed meanwhile
    bool closeOpen;          // the open box is a question the end makes pointless
    std::vector<B> next;     // opened after the first, in order
  } cases[] = {
      {"repeats are not shown", B::DrawQuestion, {B::DrawQuestion, B::UndoQuestion, B::UndoQuestion, B::DrawRefused},
       0, {}, false, {B::UndoQuestion, B::DrawRefused}},
      {"the end closes the question and goes first", B::DrawQuestion,
       {B::OpponentResigned, B::UndoQuestion, B::DrawAgreed}, 1, {}, true, {B::ConnectionLost, B::OpponentResigned}},
      {"the same end twice", B::ConnectionLost, {B::ConnectionLost}, 2, {}, false, {}},
      {"an answer open stays", B::UndoRefused, {B::ConnectFailed}, 1, {}, false, {B::ConnectionLost, B::ConnectFailed}},
      {"a settled question is passed over", B::UndoQuestion, {B::DrawQuestion, B::DrawRefused}, 0, {B::DrawQuestion},
       false, {B::DrawRefused}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto stillAsked = [&](B question) {
      return std::find(c.settled.begin(), c.settled.end(), question) == c.settled.end();
    };
    LanBoxQueue queue;
    ASSERT_TRUE(queue.add(c.first));
    ASSERT_EQ(queue.openNext(stillAsked), c.first);
    for (B box : c.whileOpen) queue.add(box);
    EXPECT_EQ(queue.openNext(stillAsked), std::nullopt);
    bool closeOpen = false;
    for (int i = 0; i < c.connectionEnds; ++i) closeOpen = queue.connectionEnded() || closeOpen;
    EXPECT_EQ(closeOpen, c.closeOpen);
    queue.closed();
    std::vector<B> opened;
    while (const auto box = queue.openNext(stillAsked)) {
      opened.push_back(*box);
      queue.closed();
    }
    EXPECT_EQ(opened, c.next);
  }
}

}  // namespace
}  // namespace Tavrune
