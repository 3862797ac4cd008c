#include "accessibility/AnnouncementHistory.h"

#include <algorithm>
#include <utility>

namespace Tavrune {

namespace {
const wchar_t kNoHistory[] = L"没有历史通知";
const wchar_t kNoOlder[] = L"没有上一条";
const wchar_t kAlreadyLatest[] = L"已经是最新通知";
}  // namespace

AnnouncementHistory::AnnouncementHistory(IAnnouncer* inner, int32_t repeatDebounceMs,
                                         int32_t navigationDebounceMs, Clock clock)
    : inner_(inner),
      repeatDebounceMs_(repeatDebounceMs),
      navigationDebounceMs_(navigationDebounceMs),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })) {}

void AnnouncementHistory::announce(const std::wstring& text) {
  record(text);
  if (inner_) inner_->announce(text);
}

void AnnouncementHistory::announceReplaceable(const std::wstring& text) {
  record(text);
  if (inner_) inner_->announceReplaceable(text);
}

void AnnouncementHistory::forget(const std::wstring& text) {
  if (replaying_) return;  // a reply or replay was never recorded
  const auto it = std::find(history_.begin(), history_.end(), text);
  if (it == history_.end()) return;
  history_.erase(it);
}

void AnnouncementHistory::record(const std::wstring& text) {
  history_.insert(history_.begin(), text);
  if (history_.size() > kMaxEntries) history_.pop_back();
  cursor_ = -1;
}

void AnnouncementHistory::cellChanged(const Position& pos, PieceType piece) {
  if (inner_) inner_->cellChanged(pos, piece);
}

void AnnouncementHistory::navigateOlder() {
  if (history_.empty()) {
    speak(kNoHistory);
    return;
  }
  const auto now = clock_();
  if (debounced(now, navigationDebounceMs_)) return;
  const int64_t size = static_cast<int64_t>(history_.size());
  const int64_t target = cursor_ < 0 ? 1 : cursor_ + 1;
  if (target >= size) {
    speak(kNoOlder);
    return;
  }
  cursor_ = target;
  lastNavigation_ = now;
  speak(history_[static_cast<size_t>(target)]);
}

void AnnouncementHistory::navigateNewer() {
  if (cursor_ <= 0) {
    speak(kAlreadyLatest);
    return;
  }
  const auto now = clock_();
  if (debounced(now, navigationDebounceMs_)) return;
  --cursor_;
  lastNavigation_ = now;
  if (cursor_ == 0) {
    cursor_ = -1;
    speak(history_.front());
  } else {
    speak(history_[static_cast<size_t>(cursor_)]);
  }
}

void AnnouncementHistory::repeatLatest() {
  const auto now = clock_();
  if (debounced(now, repeatDebounceMs_)) return;
  if (history_.empty() || history_.front().empty()) return;
  lastNavigation_ = now;
  cursor_ = -1;
  speak(history_.front());
}

// Steps and repeats share one time stamp, so a quick key repeat cannot skip entries or
// stack up the same notice.
bool AnnouncementHistory::debounced(std::chrono::steady_clock::time_point now, int32_t gapMs) const {
  if (!lastNavigation_) return false;
  const auto elapsedMs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(now - *lastNavigation_).count() / 1000000;
  return elapsedMs < gapMs;
}

void AnnouncementHistory::speak(const std::wstring& text) {
  if (!inner_) return;
  replaying_ = true;
  inner_->announce(text);
  replaying_ = false;
}

}  // namespace Tavrune
