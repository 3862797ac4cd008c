// The LAN boxes in the order they open, for the reports that come while the first is open.
#include <gtest/gtest.h>

#include <vector>

#include "app/LanBoxQueue.h"

namespace Tavrune {
namespace {

using B = LanBox;

TEST(LanBoxQueueTest, OneBoxAtATimeAndTheConnectionsEndNext) {
  const struct {
    B first;
    std::vector<B> whileOpen;  // then, when `ends`, the connection ends
    bool ends, closeFirst;
    std::vector<B> next;  // opened after the first, in order; the undo request was settled
  } cases[] = {
      {B::DrawQuestion, {B::UndoRefused, B::DrawQuestion, B::UndoQuestion, B::UndoRefused}, false, false,
       {B::UndoRefused}},
      // The results stand: only the questions and the refusal lose their point.
      {B::DrawQuestion, {B::OpponentResigned, B::UndoQuestion, B::DrawAgreed, B::UndoRefused}, true, true,
       {B::ConnectionLost, B::OpponentResigned, B::DrawAgreed}},
      {B::ConnectionLost, {B::ConnectFailed}, true, false, {B::ConnectFailed}},
  };
  for (const auto& c : cases) {
    LanBoxQueue queue;
    const auto stillAsked = [](B question) { return question != B::UndoQuestion; };
    queue.add(c.first);
    ASSERT_EQ(queue.openNext(stillAsked), c.first);
    for (B box : c.whileOpen) queue.add(box);
    EXPECT_EQ(queue.openNext(stillAsked), std::nullopt);
    EXPECT_EQ(c.ends && queue.connectionEnded(), c.closeFirst);
    queue.closed();
    std::vector<B> opened;
    for (std::optional<B> box; (box = queue.openNext(stillAsked)); queue.closed()) opened.push_back(*box);
    EXPECT_EQ(opened, c.next) << static_cast<int>(c.first);
  }
}

}  // namespace
}  // namespace Tavrune
