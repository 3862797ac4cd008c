#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "audio/DelayedTaskScheduler.h"

namespace Tavrune {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Waits (bounded) until the condition holds.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 10000ms) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(1ms);
  }
  return condition();
}

TEST(DelayedTaskSchedulerTest, RunsTasksAfterTheirDelayInDueOrderUnderTheOwnersLock) {
  std::recursive_mutex owner;
  DelayedTaskScheduler scheduler(owner);
  std::mutex resultLock;
  std::vector<int> order;
  std::vector<Clock::duration> delays;
  const auto start = Clock::now();
  auto record = [&](int id) {
    return [&, id] {
      // The task holds the owner's lock, so another thread cannot take it now.
      std::thread probe([&] { EXPECT_FALSE(owner.try_lock()); });
      probe.join();
      std::lock_guard<std::mutex> guard(resultLock);
      order.push_back(id);
      delays.push_back(Clock::now() - start);
    };
  };
  scheduler.schedule(60ms, record(3));
  scheduler.schedule(20ms, record(1));
  scheduler.schedule(20ms, record(2));  // same due time: scheduling order
  ASSERT_TRUE(eventually([&] {
    std::lock_guard<std::mutex> guard(resultLock);
    return order.size() == 3;
  }));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_GE(delays[0], 20ms);
  EXPECT_GE(delays[2], 60ms);
}

TEST(DelayedTaskSchedulerTest, CancelDropsPendingTasksEvenWhileTheCallerHoldsTheLock) {
  std::recursive_mutex owner;
  DelayedTaskScheduler scheduler(owner);
  std::atomic<int> runs{0};
  {
    // The worker is due while the lock is held: it must give up rather than wait forever.
    std::lock_guard<std::recursive_mutex> held(owner);
    scheduler.schedule(0ms, [&] { ++runs; });
    scheduler.schedule(200ms, [&] { ++runs; });
    std::this_thread::sleep_for(20ms);
    scheduler.cancelAndJoin();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
  }
  std::this_thread::sleep_for(250ms);
  EXPECT_EQ(runs.load(), 0);

  // The scheduler works again after a cancellation.
  scheduler.schedule(1ms, [&] { ++runs; });
  EXPECT_TRUE(eventually([&] { return runs.load() == 1; }));
}

TEST(DelayedTaskSchedulerTest, ATaskMayCancelAndRescheduleFromInside) {
  std::recursive_mutex owner;
  DelayedTaskScheduler scheduler(owner);
  std::atomic<int> runs{0};
  scheduler.schedule(50ms, [&] { runs += 100; });  // dropped by the cancellation below
  scheduler.schedule(1ms, [&] {
    ++runs;
    scheduler.cancelAndJoin();  // from the worker itself: must not wait for itself
    scheduler.schedule(1ms, [&] { ++runs; });
  });
  EXPECT_TRUE(eventually([&] { return runs.load() == 2; }));
  std::this_thread::sleep_for(80ms);
  EXPECT_EQ(runs.load(), 2);

  // A task that only cancels leaves a stopped worker that the next schedule replaces.
  std::atomic<bool> cancelledInside{false};
  scheduler.schedule(1ms, [&] {
    scheduler.cancelAndJoin();
    cancelledInside = true;
  });
  ASSERT_TRUE(eventually([&] { return cancelledInside.load(); }));
  {
    std::lock_guard<std::recursive_mutex> held(owner);
    scheduler.schedule(1ms, [&] { ++runs; });
  }
  EXPECT_TRUE(eventually([&] { return runs.load() == 3; }));
}

TEST(DelayedTaskSchedulerTest, NothingRunsAfterCancelReturnsUnderRepeatedRaces) {
  std::recursive_mutex owner;
  DelayedTaskScheduler scheduler(owner);
  std::atomic<bool> cancelled{false};
  std::atomic<int> lateRuns{0};
  for (int round = 0; round < 200; ++round) {
    cancelled = false;
    for (int i = 0; i < 4; ++i) {
      scheduler.schedule(std::chrono::milliseconds(round % 3), [&] {
        if (cancelled) ++lateRuns;
      });
    }
    std::this_thread::sleep_for(std::chrono::microseconds((round * 37) % 1500));
    std::lock_guard<std::recursive_mutex> held(owner);
    scheduler.cancelAndJoin();
    cancelled = true;
  }
  std::this_thread::sleep_for(10ms);
  EXPECT_EQ(lateRuns.load(), 0);
}

}  // namespace
}  // namespace Tavrune
