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
  NoticeJoiner joiner(&inner, [&](int32_t delayMs) { return requests.push_back(delayMs), true; }, 150,
                      [&] { return now; });
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

  // A box opening does not wait.
  joiner.announce(L"棋谱加载成功");
  joiner.flushNow();
  EXPECT_EQ(inner.spoken.back(), L"棋谱加载成功");
}

TEST(NoticeJoinerTest, SpeaksAtOnceWhenNoFlushCanBeAskedFor) {  // no window yet
  SpokenNotices inner;
  NoticeJoiner(&inner, [](int32_t) { return false; }).announce(L"无法初始化渲染器");
  EXPECT_EQ(inner.spoken, std::vector<std::wstring>{L"无法初始化渲染器"});
}

}  // namespace
}  // namespace Tavrune
