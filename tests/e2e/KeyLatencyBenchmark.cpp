// How soon a screen reader hears the cursor move in the real program: from an arrow key
// posted to its window during a two-player game to the cell's name-change event reaching
// an out-of-context WinEvent listener in this process. Prints figures; asserts only that
// every press was heard, on the cell the cursor went to.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <vector>

#include "e2e/PortableInstall.h"
#include "e2e/RunningProgram.h"
#include "e2e/WinEventWatcher.h"

namespace Tavrune::E2E {
namespace {

const wchar_t kWindowClass[] = L"TavruneWindow";
constexpr int kWarmUpPresses = 10;
constexpr int kPresses = 300;

TEST(KeyLatencyBenchmark, ArrowKeyToCellNameChangeEvent) {
  PortableInstall install("key-latency");
  RunningProgram program(install.program(), L"--portable");
  ASSERT_NE(program.waitForWindow(kWindowClass), nullptr);
  program.waitForTitle([](const std::wstring& title) { return title.find(L"神经网络") != std::wstring::npos; });
  PostMessageW(program.window(), WM_COMMAND, 200, 0);
  ASSERT_EQ(program.waitForTitle(L"Velmora - 开始新游戏"), L"Velmora - 开始新游戏");
  WinEventWatcher events(program.processId());
  ASSERT_TRUE(events.hooked());
  Sleep(300);  // the game's start notices are past

  std::vector<double> milliseconds;
  std::set<LONG> cells;
  int missed = 0;
  int extraEvents = 0;
  // Left and Right in turn from the centre, so every press moves the cursor.
  for (int i = 0; i < kWarmUpPresses + kPresses; ++i) {
    const size_t next = static_cast<size_t>(events.eventCount());
    const auto posted = std::chrono::steady_clock::now();
    program.postKey(i % 2 == 0 ? VK_LEFT : VK_RIGHT);
    const std::optional<WinEventWatcher::NameChange> change = events.waitForChange(next, 2000);
    // Whatever else this press raises arrives before the next press is timed.
    Sleep(15);
    extraEvents += events.eventCount() - static_cast<int>(next) - (change ? 1 : 0);
    if (i < kWarmUpPresses) continue;
    if (!change) {
      ++missed;
      continue;
    }
    cells.insert(change->childId);
    milliseconds.push_back(std::chrono::duration<double, std::milli>(change->arrived - posted).count());
  }

  EXPECT_EQ(missed, 0) << "presses not heard";
  // Two cells in turn, never the board itself.
  EXPECT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells.count(CHILDID_SELF), 0u);
  ASSERT_FALSE(milliseconds.empty());
  std::sort(milliseconds.begin(), milliseconds.end());
  const double median = milliseconds[milliseconds.size() / 2];
  const double p99 = milliseconds[std::min(milliseconds.size() - 1, milliseconds.size() * 99 / 100)];
  std::printf(
      "[bench] arrow key to cell name-change event, %zu presses: median %.2f ms, p99 %.2f ms, max %.2f ms, "
      "missed %d, other name changes %d\n",
      milliseconds.size(), median, p99, milliseconds.back(), missed, extraEvents);
}

}  // namespace
}  // namespace Tavrune::E2E
