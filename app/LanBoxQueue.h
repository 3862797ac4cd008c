#pragma once
// The boxes the LAN session's reports open, one at a time: a box waits until the open one
// has closed, a box of a kind already open or waiting is not shown again, and the end of
// the connection comes before whatever waits and drops what it has made pointless.
#include <deque>
#include <functional>
#include <optional>

namespace Tavrune {

enum class LanBox {
  ConnectFailed,     // 错误
  ConnectionLost,    // 连接中断, or 连接断开
  OpponentResigned,  // 游戏结束
  UndoQuestion,      // 悔棋请求
  DrawQuestion,      // 和棋请求
  UndoRefused,       // 悔棋被拒绝
  DrawAgreed,        // 和棋
  DrawRefused,       // 和棋被拒绝
};

class LanBoxQueue {
 public:
  // Queues a box; false when one of its kind is open or waits already.
  bool add(LanBox box);
  // The connection ended: the peer's questions and the refusals waiting go, a result waiting
  // stays, and the connection's own box comes next. True when the open box is a question of
  // the peer's: its answer can no longer reach the peer, and it is to be closed unanswered.
  bool connectionEnded();
  // Takes the next box to open, passing over the questions `stillAsked` says were settled
  // meanwhile; none while a box is open or when nothing waits.
  std::optional<LanBox> openNext(const std::function<bool(LanBox question)>& stillAsked);
  void closed() { open_.reset(); }
  bool boxOpen() const { return open_.has_value(); }
  std::optional<LanBox> openBox() const { return open_; }

 private:
  std::deque<LanBox> waiting_;
  std::optional<LanBox> open_;
};

}  // namespace Tavrune
