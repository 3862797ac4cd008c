#include "app/LanBoxQueue.h"

#include <algorithm>

namespace Tavrune {

namespace {

bool isQuestion(LanBox box) { return box == LanBox::UndoQuestion || box == LanBox::DrawQuestion; }

bool isRefusal(LanBox box) { return box == LanBox::UndoRefused || box == LanBox::DrawRefused; }

}  // namespace

bool LanBoxQueue::add(LanBox box) {
  if (open_ == box || std::find(waiting_.begin(), waiting_.end(), box) != waiting_.end()) return false;
  waiting_.push_back(box);
  return true;
}

bool LanBoxQueue::connectionEnded() {
  // The session has cleared the requests these were about. A result (游戏结束, 和棋) still
  // stands and is shown after the connection's end.
  waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                [](LanBox box) { return isQuestion(box) || isRefusal(box); }),
                 waiting_.end());
  // First, so that the offer to wait for the peer is not kept behind another box.
  if (open_ != LanBox::ConnectionLost &&
      std::find(waiting_.begin(), waiting_.end(), LanBox::ConnectionLost) == waiting_.end()) {
    waiting_.push_front(LanBox::ConnectionLost);
  }
  return open_ && isQuestion(*open_);
}

std::optional<LanBox> LanBoxQueue::openNext(const std::function<bool(LanBox question)>& stillAsked) {
  if (open_) return std::nullopt;
  while (!waiting_.empty()) {
    const LanBox next = waiting_.front();
    waiting_.pop_front();
    if (isQuestion(next) && !stillAsked(next)) continue;
    open_ = next;
    return next;
  }
  return std::nullopt;
}

}  // namespace Tavrune
