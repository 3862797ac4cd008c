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
#include <utility>
#include <vector>

#include "accessibility/IAnnouncer.h"

namespace Tavrune {

class NoticeJoiner : public IAnnouncer {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  using Wait = std::function<void(std::chrono::milliseconds)>;
  // Asks for flush() once the current action is over (delay 0: the window posts itself a
  // message) or after `delayMs` (a timer); false when it cannot, and the held notices
  // are then handed on at once.
  using FlushRequest = std::function<bool(int32_t delayMs)>;
  // A notice given to announce that will never be heard: dropped or replaced.
  using Withdrawn = std::function<void(const std::wstring& text)>;

  // `inner` is not owned and may be null (then nothing is spoken). Joined notices are
  // handed on at least `minGapMs` apart. `clock` defaults to the steady clock, `wait`
  // to sleeping on the calling thread.
  NoticeJoiner(IAnnouncer* inner, FlushRequest requestFlush, int32_t minGapMs = 0, Clock clock = {},
               Wait wait = {});

  // A notice that is a held one, or a whole part of one (between "，" or blanks), is dropped.
  void announce(const std::wstring& text) override;
  // Also takes the place of a held replaceable notice.
  void announceReplaceable(const std::wstring& text) override;
  void cellChanged(const Position& pos, PieceType piece) override;
  void setWithdrawnCallback(Withdrawn callback) { withdrawn_ = std::move(callback); }
  // The screen reader reads a point now (a focus or selection event): the next notice
  // waits out the gap after it, as after a notice, so that it follows and is not cut off.
  void pointAnnounced() { lastSpoken_ = clock_(); }

  // The action is over: hands the held notices on as one, or asks to be called again
  // when the gap after the previous notice has passed. A flush that comes late after a
  // notice shows the thread was kept from the screen reader's questions about it: the gap
  // starts again. Nothing when none is held.
  void flush();
  // A box or dialog is opening and will take the screen reader's attention: waits out
  // what is left of the gap (a whole one after a busy spell, as flush, also one since the
  // last notice was spoken), then hands the held notices on.
  void flushNow();
  // Notices are waiting for a flush.
  bool holding() const { return !held_.empty(); }

  // The texts in order, each after the one before with "，", or with a blank when the
  // one before ends in a punctuation mark. Empty texts are left out.
  static std::wstring join(const std::vector<std::wstring>& texts);

 private:
  struct Held {
    std::wstring text;
    bool replaceable;
  };
  void hold(const std::wstring& text, bool replaceable);
  bool askFlush(int64_t delayMs);
  bool partOfHeld(const std::wstring& text) const;
  int64_t gapLeftMs() const;
  // Work kept the thread past the flush asked for, right after a notice, or from its queue
  // since the gap after a notice ended: the gap starts again.
  void restartGapIfKeptBusy();
  void speakHeld();

  IAnnouncer* inner_;
  FlushRequest requestFlush_;
  int32_t minGapMs_;
  Clock clock_;
  Wait wait_;
  Withdrawn withdrawn_;
  std::vector<Held> held_;
  bool flushAsked_ = false;
  bool awaitingQueue_ = false;  // a notice was spoken and the thread has not been back to its queue
  // A notice was spoken and the thread has not been back to its queue since the gap after it
  // ended: questions the screen reader asked about it may still wait there.
  bool awaitingReader_ = false;
  std::chrono::steady_clock::time_point flushDue_{};  // when the flush asked for should come
  std::optional<std::chrono::steady_clock::time_point> lastSpoken_;
};

}  // namespace Tavrune
