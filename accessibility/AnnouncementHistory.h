#pragma once
// An IAnnouncer decorator that remembers the newest notices so the user can step
// back through them, step forward again and repeat the latest one.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "accessibility/IAnnouncer.h"

namespace Tavrune {

class AnnouncementHistory : public IAnnouncer {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr size_t kMaxEntries = 50;

  // `inner` is not owned and may be null (then nothing is spoken). `clock` defaults to
  // the steady clock; tests inject their own.
  AnnouncementHistory(IAnnouncer* inner, int32_t repeatDebounceMs, int32_t navigationDebounceMs,
                      Clock clock = {});

  void announce(const std::wstring& text) override;
  void announceReplaceable(const std::wstring& text) override;
  void cellChanged(const Position& pos, PieceType piece) override;

  void navigateOlder();
  void navigateNewer();
  void repeatLatest();
  // A recorded notice will never be heard (the inner announcer dropped or replaced it
  // while notices were being announced): the newest entry with that text goes.
  void forget(const std::wstring& text);

 private:
  bool debounced(std::chrono::steady_clock::time_point now, int32_t gapMs) const;
  void record(const std::wstring& text);
  // Replies and replays: spoken, never recorded.
  void speak(const std::wstring& text);

  IAnnouncer* inner_;
  std::vector<std::wstring> history_;  // newest first
  // -1 = at the latest; otherwise 1..size-1 (entry 0 is what the user heard last).
  int64_t cursor_ = -1;
  std::optional<std::chrono::steady_clock::time_point> lastNavigation_;
  int32_t repeatDebounceMs_;
  int32_t navigationDebounceMs_;
  Clock clock_;
  bool replaying_ = false;
};

}  // namespace Tavrune
