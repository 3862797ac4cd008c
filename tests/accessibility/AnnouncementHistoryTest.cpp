#include "accessibility/AnnouncementHistory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace Tavrune {
namespace {

using namespace std::chrono_literals;

const std::wstring kNoHistory = L"没有历史通知";
const std::wstring kNoOlder = L"没有上一条";
const std::wstring kAlreadyLatest = L"已经是最新通知";

class RecordingAnnouncer : public IAnnouncer {
 public:
  void announce(const std::wstring& text) override { spoken.push_back(text); }
  void cellChanged(const Position& pos, PieceType piece) override {
    cells.push_back({pos, piece});
  }
  struct CellChange {
    Position pos;
    PieceType piece;
  };
  std::vector<std::wstring> spoken;
  std::vector<CellChange> cells;
};

class AnnouncementHistoryTest : public ::testing::Test {
 protected:
  AnnouncementHistoryTest()
      : history(&inner, 500, 300, [this] { return now; }) {}

  // What the next operation says: nothing when it is suppressed.
  std::wstring said(void (AnnouncementHistory::*operation)()) {
    inner.spoken.clear();
    (history.*operation)();
    return inner.spoken.empty() ? L"<silent>" : inner.spoken.back();
  }
  void announceAll(std::initializer_list<const wchar_t*> texts) {
    for (const wchar_t* text : texts) history.announce(text);
  }

  RecordingAnnouncer inner;
  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  AnnouncementHistory history;
};

TEST_F(AnnouncementHistoryTest, AnnounceForwardsEveryNoticeUnfiltered) {
  announceAll({L"K", L"K", L""});
  EXPECT_EQ(inner.spoken, (std::vector<std::wstring>{L"K", L"K", L""}));
}

TEST_F(AnnouncementHistoryTest, WalksOlderAndNewerThroughThreeNotices) {
  announceAll({L"K", L"L", L"M"});
  using Op = void (AnnouncementHistory::*)();
  const Op older = &AnnouncementHistory::navigateOlder;
  const Op newer = &AnnouncementHistory::navigateNewer;
  const struct {
    Op operation;
    std::wstring expected;
  } walk[] = {
      {older, L"L"}, {older, L"K"}, {older, kNoOlder}, {newer, L"L"},
      {newer, L"M"}, {newer, kAlreadyLatest}, {older, L"L"},
  };
  for (size_t i = 0; i < std::size(walk); ++i) {
    now += 1s;
    EXPECT_EQ(said(walk[i].operation), walk[i].expected) << "step " << i;
  }
}

TEST_F(AnnouncementHistoryTest, EmptyAndSingleHistoryReplies) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), kNoHistory);
  EXPECT_EQ(said(&AnnouncementHistory::navigateNewer), kAlreadyLatest);
  EXPECT_EQ(said(&AnnouncementHistory::repeatLatest), L"<silent>");
  history.announce(L"K");
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), kNoOlder);
}

TEST_F(AnnouncementHistoryTest, RepliesAndReplaysAreNotRecorded) {
  announceAll({L"K", L"L"});
  now += 1s;
  said(&AnnouncementHistory::navigateOlder);  // K
  now += 1s;
  said(&AnnouncementHistory::navigateOlder);  // "没有上一条"
  now += 1s;
  said(&AnnouncementHistory::repeatLatest);   // L
  now += 1s;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"K");
  now += 1s;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), kNoOlder);
}

TEST_F(AnnouncementHistoryTest, StepsAreDebouncedButEdgeRepliesAreNot) {
  announceAll({L"K", L"L", L"M"});
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"L");
  now += 100ms;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"<silent>");
  now += 199ms;  // 299 ms since the step
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"<silent>");
  now += 1ms;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"K");  // the cursor moved only once
  // "没有上一条" comes after the debounce test, so a quick third step is silent.
  now += 10ms;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"<silent>");
  now += 300ms;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), kNoOlder);
  // "已经是最新通知" comes before it and is never suppressed.
  history.announce(L"N");
  EXPECT_EQ(said(&AnnouncementHistory::navigateNewer), kAlreadyLatest);
  EXPECT_EQ(said(&AnnouncementHistory::navigateNewer), kAlreadyLatest);
}

TEST_F(AnnouncementHistoryTest, RepeatSharesTheDebounceWithSteps) {
  EXPECT_EQ(said(&AnnouncementHistory::repeatLatest), L"<silent>");  // nothing yet
  announceAll({L"K", L"L"});
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"K");
  now += 499ms;
  EXPECT_EQ(said(&AnnouncementHistory::repeatLatest), L"<silent>");
  now += 1ms;
  EXPECT_EQ(said(&AnnouncementHistory::repeatLatest), L"L");
  // The repeat forgot the step position and counts as a step for the debounce.
  now += 200ms;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"<silent>");
  now += 100ms;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"K");
}

TEST_F(AnnouncementHistoryTest, NewNoticeWhileSteppedBackReturnsToLatest) {
  announceAll({L"K", L"L", L"M"});
  said(&AnnouncementHistory::navigateOlder);
  now += 1s;
  said(&AnnouncementHistory::navigateOlder);  // at K
  history.announce(L"N");
  now += 1s;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), L"M");
}

TEST_F(AnnouncementHistoryTest, KeepsOnlyTheNewestFiftyNotices) {
  for (int i = 1; i <= 60; ++i) history.announce(L"notice " + std::to_wstring(i));
  std::wstring last;
  for (int step = 1; step <= 49; ++step) {
    now += 1s;
    last = said(&AnnouncementHistory::navigateOlder);
    ASSERT_EQ(last, L"notice " + std::to_wstring(60 - step));
  }
  EXPECT_EQ(last, L"notice 11");
  now += 1s;
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), kNoOlder);
}

TEST_F(AnnouncementHistoryTest, CellChangesAreForwardedAndNotRecorded) {
  history.cellChanged(Position(4, 2), BLACK_CANNON);
  ASSERT_EQ(inner.cells.size(), 1u);
  EXPECT_EQ(inner.cells[0].pos, Position(4, 2));
  EXPECT_EQ(inner.cells[0].piece, BLACK_CANNON);
  EXPECT_EQ(said(&AnnouncementHistory::navigateOlder), kNoHistory);
}

TEST(AnnouncementHistoryWithoutInner, StaysSilentWithoutCrashing) {
  AnnouncementHistory history(nullptr, 500, 300);
  history.announce(L"K");
  history.navigateOlder();
  history.navigateNewer();
  history.repeatLatest();
  history.cellChanged(Position(0, 0), RED_ROOK);
}

}  // namespace
}  // namespace Tavrune
