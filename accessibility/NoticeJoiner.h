#pragma once
// An IAnnouncer decorator that holds the notices of one action and hands them on as one
// joined notice, and keeps joined notices a short gap apart. A screen reader reads a
// notice when its change event arrives, so notices raised one right after another
// replace each other before they are heard.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "accessibility/IAnnouncer.h"

namespace Tavrune {

class NoticeJoiner : public IAnnouncer {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // Asks for flush() once the current action is over (delay 0: the window posts itself a
  // message) or after `delayMs` (a timer); false when it cannot, and the held notices
  // are then handed on at once.
  using FlushRequest = std::function<bool(int32_t delayMs)>;

  // `inner` is not owned and may be null (then nothing is spoken). Joined notices are
  // handed on at least `minGapMs` apart. `clock` defaults to the steady clock.
  NoticeJoiner(IAnnouncer* inner, FlushRequest requestFlush, int32_t minGapMs = 0, Clock clock = {});

  void announce(const std::wstring& text) override;
  void cellChanged(const Position& pos, PieceType piece) override;

  // The action is over: hands the held notices on as one, or asks to be called again
  // when the gap after the previous notice has passed. Nothing when none is held.
  void flush();
  // A box or dialog is opening: the held notices are handed on now, gap or not.
  void flushNow();
  // Notices are waiting for a flush.
  bool holding() const { return !held_.empty(); }

  // The texts in order, each after the one before with "，", or with a blank when the
  // one before ends in a punctuation mark. Empty texts are left out.
  static std::wstring join(const std::vector<std::wstring>& texts);

 private:
  IAnnouncer* inner_;
  FlushRequest requestFlush_;
  int32_t minGapMs_;
  Clock clock_;
  std::vector<std::wstring> held_;
  std::optional<std::chrono::steady_clock::time_point> lastSpoken_;
};

}  // namespace Tavrune
