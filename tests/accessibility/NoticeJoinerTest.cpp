#include "accessibility/NoticeJoiner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace Tavrune {
namespace {

class SpokenNotices : public IAnnouncer {
 public:
  void announce(const std::wstring& text) override { spoken.push_back(text); }
  void cellChanged(const Position&, PieceType) override { ++cellChanges; }
  std::vector<std::wstring> spoken;
  int cellChanges = 0;
};

TEST(NoticeJoinerTest, JoinsWithACommaUnlessTheTextBeforeIsFinished) {
  const struct {
    std::vector<std::wstring> texts;
    std::wstring joined;
  } cases[] = {
      {{L"您执红棋先行", L"开始新游戏"}, L"您执红棋先行，开始新游戏"},
      {{L"红车1进5，将军！", L"红方胜利"}, L"红车1进5，将军！ 红方胜利"},
      {{L"棋谱已加载。", L"", L"请选择"}, L"棋谱已加载。 请选择"},
  };
  for (const auto& c : cases) EXPECT_EQ(NoticeJoiner::join(c.texts), c.joined);
}

TEST(NoticeJoinerTest, HoldsOneActionsNoticesAndKeepsAGapAfterTheLastSpoken) {
  SpokenNotices inner;
  std::vector<int32_t> requests;  // the delay of each flush asked for
  auto now = std::chrono::steady_clock::time_point{};
  std::vector<int64_t> waits;
  NoticeJoiner joiner(
      &inner, [&](int32_t delayMs) { return requests.push_back(delayMs), true; }, 150, [&] { return now; },
      [&](std::chrono::milliseconds ms) { waits.push_back(ms.count()), now += ms; });
  joiner.announce(L"开始新游戏");
  joiner.announce(L"正在加载AI引擎...");
  joiner.cellChanged(Position{4, 5}, EMPTY);
  EXPECT_TRUE(inner.spoken.empty());
  EXPECT_EQ(inner.cellChanges, 1);               // cells are never held
  EXPECT_EQ(requests, std::vector<int32_t>{0});  // one flush for the whole action
  joiner.flush();
  joiner.flush();
  EXPECT_EQ(inner.spoken, std::vector<std::wstring>{L"开始新游戏，正在加载AI引擎..."});

  // 40 ms later the next action's notice waits out the gap, and a later one joins it.
  now += std::chrono::milliseconds(40);
  joiner.announce(L"红炮2平5");
  joiner.flush();
  EXPECT_EQ(requests.back(), 110);
  joiner.announce(L"黑马8进7");
  now += std::chrono::milliseconds(110);
  joiner.flush();
  EXPECT_EQ(inner.spoken.back(), L"红炮2平5，黑马8进7");

  // A box opening 20 ms later waits out the rest of the gap, then speaks.
  now += std::chrono::milliseconds(20);
  joiner.announce(L"网络连接成功");
  joiner.flushNow();
  EXPECT_EQ(waits, std::vector<int64_t>{130});
  EXPECT_EQ(inner.spoken.back(), L"网络连接成功");
  joiner.flush();  // the one asked for before the box

  // Work that ran past the flush's time right after a notice also kept the screen reader
  // from reading it: the next waits a whole gap from then. Long after it, not.
  for (const bool rightAfter : {true, false}) {
    now += std::chrono::milliseconds(rightAfter ? 10 : 400);
    joiner.announce(rightAfter ? L"对手 小明 已连接" : L"对方认输");
    now += std::chrono::milliseconds(350);
    joiner.flush();
    EXPECT_EQ(inner.spoken.size(), rightAfter ? 3u : 5u);
    now += std::chrono::milliseconds(150);
    joiner.flush();
  }
  EXPECT_EQ(requests.back(), 0);  // nothing waited for the late flush long after the notice

  // So does a box that opens after such work, the next notice held before it or after it,
  // also when the thread was back at its queue for a moment right after the notice, before
  // the screen reader asked: the notice before is read first. Not when the thread was back
  // there once the gap was over.
  enum Work { HeldBefore, HeldAfter, BackForAMoment, BackAfterTheGap };
  for (const Work work : {HeldBefore, HeldAfter, BackForAMoment, BackAfterTheGap}) {
    now += std::chrono::milliseconds(400);
    waits.clear();
    joiner.announce(L"已发送和棋请求，等待对方回应...");
    joiner.flush();
    if (work == BackForAMoment || work == BackAfterTheGap) {
      now += std::chrono::milliseconds(work == BackForAMoment ? 1 : 150);
      joiner.flush();
    }
    now += std::chrono::milliseconds(work == HeldBefore ? 20 : 200);
    joiner.announce(L"对方同意和棋，对局结束");
    now += std::chrono::milliseconds(work == HeldBefore ? 160 : 0);
    joiner.flushNow();
    EXPECT_EQ(waits, work == BackAfterTheGap ? std::vector<int64_t>{} : std::vector<int64_t>{150}) << work;
    EXPECT_EQ(inner.spoken.back(), L"对方同意和棋，对局结束");
    joiner.flush();
  }
}

TEST(NoticeJoinerTest, DropsWhatIsAlreadyHeldAndReplacesAHeldReplaceableNotice) {
  struct Notice {
    const wchar_t* text;
    bool replaceable;
  };
  const struct {
    const char* name;
    std::vector<Notice> notices;
    std::wstring heard;
    std::vector<std::wstring> withdrawn;
  } cases[] = {
      {"said twice", {{L"进入复盘模式", false}, {L"进入复盘模式", false}}, L"进入复盘模式", {L"进入复盘模式"}},
      {"part of a held one", {{L"对手 小红 已连接", false}, {L"已连接", false}}, L"对手 小红 已连接", {L"已连接"}},
      {"review steps", {{L"第90步", true}, {L"第89步", true}, {L"第88步", true}}, L"第88步", {L"第90步", L"第89步"}},
      {"a refusal stays", {{L"第1步，红炮2平5", true}, {L"已经是开局了", false}, {L"开局，红方先行", true}},
       L"已经是开局了，开局，红方先行", {L"第1步，红炮2平5"}},
      {"replaceable after a move", {{L"红炮2平5", false}, {L"红炮5 2", true}}, L"红炮2平5，红炮5 2", {}},
      {"an empty text", {{L"开始新游戏", false}, {L"", false}}, L"开始新游戏", {}},
      {"part of a replaced one", {{L"第1步，红炮2平5", true}, {L"红炮2平5", false}, {L"开局，红方先行", true}},
       L"红炮2平5，开局，红方先行", {L"第1步，红炮2平5"}},
      {"a shorter notice inside a held one", {{L"对方拒绝和棋请求", false}, {L"和棋", false}},
       L"对方拒绝和棋请求，和棋", {}},
  };
  for (const auto& c : cases) {
    SpokenNotices inner;
    std::vector<std::wstring> withdrawn;
    NoticeJoiner joiner(&inner, [](int32_t) { return true; });
    joiner.setWithdrawnCallback([&](const std::wstring& text) { withdrawn.push_back(text); });
    for (const Notice& notice : c.notices) {
      if (notice.replaceable) {
        joiner.announceReplaceable(notice.text);
      } else {
        joiner.announce(notice.text);
      }
    }
    joiner.flush();
    EXPECT_EQ(inner.spoken, std::vector<std::wstring>{c.heard}) << c.name;
    EXPECT_EQ(withdrawn, c.withdrawn) << c.name;
  }
}

TEST(NoticeJoinerTest, SpeaksAtOnceWhenNoFlushCanBeAskedFor) {  // no window yet
  SpokenNotices inner;
  NoticeJoiner(&inner, [](int32_t) { return false; }).announce(L"无法初始化渲染器");
  EXPECT_EQ(inner.spoken, std::vector<std::wstring>{L"无法初始化渲染器"});
}

}  // namespace
}  // namespace Tavrune
