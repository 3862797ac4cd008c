#include "accessibility/NoticeJoiner.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace Tavrune {

namespace {

// A flush this much later than asked for shows work that kept the thread from its queue.
constexpr int64_t kKeptBusyMs = 50;

// Closing marks count too: a notice that ends in a quotation is already finished.
bool endsInPunctuation(const std::wstring& text) {
  static const std::wstring kMarks = L"，。！？；：、…,.!?;:）)」』”’》";
  return !text.empty() && kMarks.find(text.back()) != std::wstring::npos;
}

// Whole parts only: a shorter notice or a nickname inside a longer text is something else.
bool containsAsParts(const std::wstring& held, const std::wstring& text) {
  static const std::wstring kSeparators = L"， ";
  const auto separates = [&](size_t at) { return kSeparators.find(held[at]) != std::wstring::npos; };
  for (size_t at = held.find(text); at != std::wstring::npos; at = held.find(text, at + 1)) {
    const size_t end = at + text.size();
    if ((at == 0 || separates(at - 1)) && (end == held.size() || separates(end))) return true;
  }
  return false;
}

}  // namespace

NoticeJoiner::NoticeJoiner(IAnnouncer* inner, FlushRequest requestFlush, int32_t minGapMs, Clock clock, Wait wait)
    : inner_(inner),
      requestFlush_(std::move(requestFlush)),
      minGapMs_(minGapMs),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })),
      wait_(wait ? std::move(wait) : Wait([](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); })) {}

void NoticeJoiner::announce(const std::wstring& text) { hold(text, false); }

void NoticeJoiner::announceReplaceable(const std::wstring& text) {
  // Only where the player stopped is worth hearing: the step or square passed over is not.
  for (auto it = held_.begin(); it != held_.end();) {
    if (!it->replaceable) {
      ++it;
      continue;
    }
    const std::wstring replaced = std::move(it->text);
    it = held_.erase(it);
    if (withdrawn_) withdrawn_(replaced);
  }
  hold(text, true);
}

void NoticeJoiner::cellChanged(const Position& pos, PieceType piece) {
  if (inner_) inner_->cellChanged(pos, piece);
}

void NoticeJoiner::hold(const std::wstring& text, bool replaceable) {
  // Two sources of one action telling the same thing would make it heard twice.
  if (partOfHeld(text)) {
    if (withdrawn_) withdrawn_(text);
    return;
  }
  held_.push_back(Held{text, replaceable});
  if (flushAsked_) return;  // a flush is already on its way
  flushAsked_ = askFlush(0);
  if (!flushAsked_) speakHeld();
}

bool NoticeJoiner::askFlush(int64_t delayMs) {
  if (!requestFlush_ || !requestFlush_(static_cast<int32_t>(delayMs))) return false;
  flushDue_ = clock_() + std::chrono::milliseconds(delayMs);
  return true;
}

bool NoticeJoiner::partOfHeld(const std::wstring& text) const {
  if (text.empty()) return false;
  // A replaceable notice may yet be replaced, and what it told would then go unheard.
  return std::any_of(held_.begin(), held_.end(),
                     [&](const Held& held) { return !held.replaceable && containsAsParts(held.text, text); });
}

int64_t NoticeJoiner::gapLeftMs() const {
  if (!lastSpoken_) return 0;
  const auto sinceMs = std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - *lastSpoken_).count();
  return sinceMs >= 0 && sinceMs < minGapMs_ ? minGapMs_ - sinceMs : 0;
}

void NoticeJoiner::flush() {
  flushAsked_ = false;
  awaitingQueue_ = false;
  // Back at the queue once the gap is over: the screen reader's questions about the last
  // notice, asked within the gap, were answered before this.
  if (gapLeftMs() == 0) awaitingReader_ = false;
  if (held_.empty()) return;
  restartGapIfKeptBusy();
  // Notices that arrive meanwhile join the held ones.
  if (const int64_t leftMs = gapLeftMs(); leftMs > 0 && askFlush(leftMs)) {
    flushAsked_ = true;
    return;
  }
  speakHeld();
}

void NoticeJoiner::flushNow() {
  if (held_.empty()) return;
  restartGapIfKeptBusy();
  // Spoken right before the box, the previous notice would be cut off.
  if (const int64_t leftMs = gapLeftMs(); leftMs > 0) wait_(std::chrono::milliseconds(leftMs));
  speakHeld();
}

void NoticeJoiner::restartGapIfKeptBusy() {
  // A screen reader reads a notice by asking this thread, and the questions wait in its
  // queue behind the work it is doing. Work that ran past the flush's time may have taken
  // the whole gap, and so may work that began right after the notice was spoken and kept
  // the thread from its queue since, or work that kept it from there from before the gap
  // ended until now, however briefly it was back right after the notice (the screen
  // reader asks a little later): the next notice, spoken now, would be what they read,
  // heard twice, and the one before never heard.
  if (!lastSpoken_) return;
  const auto now = clock_();
  const auto keptBusy = std::chrono::milliseconds(kKeptBusyMs);
  const auto gapEnd = *lastSpoken_ + std::chrono::milliseconds(minGapMs_);
  const bool lateFlush = now - flushDue_ > keptBusy && gapEnd > flushDue_;
  const bool notBackSince = (awaitingQueue_ && now - *lastSpoken_ > keptBusy) || (awaitingReader_ && now >= gapEnd);
  if (lateFlush || notBackSince) lastSpoken_ = now;
}

void NoticeJoiner::speakHeld() {
  if (held_.empty()) return;
  // Taken out first: speaking may reach code that announces again.
  std::vector<std::wstring> texts;
  for (Held& held : std::exchange(held_, {})) texts.push_back(std::move(held.text));
  const std::wstring joined = join(texts);
  if (joined.empty() || !inner_) return;
  lastSpoken_ = clock_();
  inner_->announce(joined);
  // Handled once the thread is back at its queue, where the screen reader's questions
  // wait: when the gap is over, and at once.
  awaitingReader_ = minGapMs_ > 0 && requestFlush_ && requestFlush_(minGapMs_);
  awaitingQueue_ = requestFlush_ && requestFlush_(0);
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
