#include "accessibility/NoticeJoiner.h"

#include <utility>

namespace Tavrune {

namespace {

// Closing marks count too: a notice that ends in a quotation is already finished.
bool endsInPunctuation(const std::wstring& text) {
  static const std::wstring kMarks = L"，。！？；：、…,.!?;:）)」』”’》";
  return !text.empty() && kMarks.find(text.back()) != std::wstring::npos;
}

}  // namespace

NoticeJoiner::NoticeJoiner(IAnnouncer* inner, FlushRequest requestFlush, int32_t minGapMs, Clock clock)
    : inner_(inner),
      requestFlush_(std::move(requestFlush)),
      minGapMs_(minGapMs),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })) {}

void NoticeJoiner::announce(const std::wstring& text) {
  held_.push_back(text);
  if (held_.size() > 1) return;  // a flush is already on its way
  if (!requestFlush_ || !requestFlush_(0)) flushNow();
}

void NoticeJoiner::cellChanged(const Position& pos, PieceType piece) {
  if (inner_) inner_->cellChanged(pos, piece);
}

void NoticeJoiner::flush() {
  if (held_.empty()) return;
  if (lastSpoken_) {
    const auto sinceMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - *lastSpoken_).count();
    // Notices that arrive meanwhile join the held ones.
    if (sinceMs >= 0 && sinceMs < minGapMs_ && requestFlush_ &&
        requestFlush_(static_cast<int32_t>(minGapMs_ - sinceMs))) {
      return;
    }
  }
  flushNow();
}

void NoticeJoiner::flushNow() {
  if (held_.empty()) return;
  // Taken out first: speaking may reach code that announces again.
  const std::vector<std::wstring> texts = std::exchange(held_, {});
  const std::wstring joined = join(texts);
  if (joined.empty() || !inner_) return;
  lastSpoken_ = clock_();
  inner_->announce(joined);
}

std::wstring NoticeJoiner::join(const std::vector<std::wstring>& texts) {
  std::wstring joined;
  for (const std::wstring& text : texts) {
    if (text.empty()) continue;
    if (!joined.empty()) joined += endsInPunctuation(joined) ? L" " : L"，";
    joined += text;
  }
  return joined;
}

}  // namespace Tavrune
