#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageLoop.h"

using namespace platform;

namespace {

// Generous bound for waits that normally end in milliseconds.
constexpr uint32_t PATIENCE_MS = 10000;

// Counts its releases: what a task holds must go with the task, run or not.
class Counted {
 public:
  explicit Counted(std::atomic<int>& released) : m_released(released) {}
  ~Counted() { ++m_released; }

 private:
  std::atomic<int>& m_released;
};

}  // namespace

TEST(MessageLoop, TakesPostsFromOtherThreadsInTheirOrder) {
  constexpr int PER_THREAD = 2000;
  std::vector<int> fromA, fromB;
  MessageLoop loop;
  auto poster = [&](std::vector<int>* into) {
    for (int i = 0; i < PER_THREAD; ++i) ASSERT_TRUE(loop.Post([into, i] { into->push_back(i); }));
  };
  std::thread a(poster, &fromA), b(poster, &fromB);
  const bool all = loop.RunUntil(
      [&] { return fromA.size() == PER_THREAD && fromB.size() == PER_THREAD; }, PATIENCE_MS);
  a.join();
  b.join();
  ASSERT_TRUE(all);
  for (int i = 0; i < PER_THREAD; ++i) {
    ASSERT_EQ(fromA[i], i);
    ASSERT_EQ(fromB[i], i);
  }
}

TEST(MessageLoop, TimersFireNoSoonerThanTheirPeriodAndStopWhenStopped) {
  MessageLoop loop;
  int fast = 0, slow = 0;
  const uint64_t start = MicrosecondCount();
  const TimerId fastId = loop.StartTimer(10, true, [&] { ++fast; });
  const TimerId slowId = loop.StartTimer(30, true, [&] { ++slow; });

  ASSERT_TRUE(loop.RunUntil([&] { return fast >= 5 && slow >= 2; }, PATIENCE_MS));
  // Lower bounds only: a loaded machine may run late, never early.
  EXPECT_GE(MicrosecondCount() - start, 60'000u);

  loop.StopTimer(fastId);
  loop.StopTimer(slowId);
  loop.StopTimer(999);  // unknown ids are ignored
  const int fastAt = fast, slowAt = slow;
  loop.RunFor(60);
  EXPECT_EQ(fast, fastAt);
  EXPECT_EQ(slow, slowAt);
}

TEST(MessageLoop, TimerCanStopItselfAndIsNeverReentered) {
  MessageLoop loop;
  int once = 0;
  TimerId selfStopping = 0;
  selfStopping = loop.StartTimer(1, true, [&] {
    ++once;
    loop.StopTimer(selfStopping);
  });

  // A slow tick: the other timer keeps its turn between the slow one's ticks,
  // and the slow one never runs inside itself.
  int depth = 0, deepest = 0, slowTicks = 0, fastTicks = 0;
  loop.StartTimer(1, true, [&] {
    ++slowTicks;
    deepest = std::max(deepest, ++depth);
    Sleep(15);
    --depth;
  });
  loop.StartTimer(1, true, [&] { ++fastTicks; });

  ASSERT_TRUE(loop.RunUntil([&] { return slowTicks >= 3; }, PATIENCE_MS));
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(once, 1);
  EXPECT_GE(fastTicks, 2);
}

TEST(MessageLoop, TimerStillRunsAfterItsTickThrew) {
  MessageLoop loop;
  int ticks = 0;
  loop.StartTimer(1, true, [&] {
    if (++ticks == 1) throw std::runtime_error("handler failed");
  });
  EXPECT_THROW(loop.RunUntil([&] { return ticks >= 2; }, PATIENCE_MS), std::runtime_error);
  EXPECT_TRUE(loop.RunUntil([&] { return ticks >= 2; }, PATIENCE_MS));
}

TEST(MessageLoop, RunPendingRunsOnlyWhatWasWaiting) {
  std::vector<std::string> log;
  MessageLoop loop;
  std::function<void()> reposting = [&] {
    log.push_back("runs");
    loop.Post(reposting);  // must not keep RunPending going
  };
  loop.Post(reposting);
  loop.RunPending();
  EXPECT_EQ(log, (std::vector<std::string>{"runs"}));
  EXPECT_EQ(loop.QueuedCount(), 1u);
}

TEST(MessageLoop, WhatATaskHoldsIsReleasedWhetherItRunsOrNot) {
  std::atomic<int> released = 0;
  {
    MessageLoop loop;
    auto held = std::make_shared<Counted>(released);
    loop.Post([held] {});
    held.reset();
    loop.RunPending();
    EXPECT_EQ(released, 1);  // ran, then released

    for (int i = 0; i < 3; ++i) loop.Post([held = std::make_shared<Counted>(released)] {});
    EXPECT_EQ(released, 1);
    loop.Quit();
    EXPECT_FALSE(loop.Post([held = std::make_shared<Counted>(released)] {}));
    EXPECT_EQ(released, 2);  // refused: released at once
  }
  EXPECT_EQ(released, 5);
}

TEST(MessageLoop, QuitFromAnotherThreadEndsRun) {
  MessageLoop loop;
  std::atomic<bool> handled = false;
  std::thread other([&] {
    loop.Post([&] { handled = true; });
    while (!handled) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    loop.Quit();
  });
  loop.Run();
  other.join();
  EXPECT_TRUE(handled);
  EXPECT_TRUE(loop.HasQuit());
  EXPECT_FALSE(loop.RunUntil([] { return false; }, PATIENCE_MS));  // returns at once
}

TEST(MessageLoop, TasksRunInOrderAndOwnedTimersStopWithTheirOwner) {
  MessageLoop loop;
  std::vector<std::string> ran;
  std::thread poster([&] { loop.Post([&] { ran.push_back("posted"); }); });
  poster.join();
  loop.PostDelayed(200, [&] { ran.push_back("delayed"); });
  Timer once(loop), stopped(loop), restarted(loop);
  once.StartOnce(10, [&] {
    ran.push_back("once");
    // A single shot is over when it runs, so it may start itself again.
    EXPECT_FALSE(once.IsActive());
    if (ran.size() < 4) once.StartOnce(10, [&] { ran.push_back("again"); });
  });
  stopped.StartOnce(5, [&] { ran.push_back("stopped"); });
  stopped.Stop();
  int ticks = 0;
  {
    Timer gone(loop);
    gone.Start(1, [&] { ++ticks; });
  }
  restarted.Start(1000, [&] { ran.push_back("old period"); });
  restarted.Start(1, [&] {
    if (++ticks == 3) restarted.Stop();
  });
  EXPECT_TRUE(loop.RunUntil([&] { return ran.size() >= 4 && ticks >= 3; }, PATIENCE_MS));
  loop.RunFor(20);
  EXPECT_EQ(ran, (std::vector<std::string>{"posted", "once", "again", "delayed"}));
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(restarted.IsActive());
}

TEST(Clock, CountersAdvanceAtLeastAsFarAsASleep) {
  const uint32_t tick = GetTickCount();
  const uint64_t micro = MicrosecondCount();
  const int64_t seconds = CalendarSeconds();
  Sleep(20);
  EXPECT_GE(static_cast<uint32_t>(GetTickCount() - tick), 20u);  // modular: safe across a wrap
  EXPECT_GE(MicrosecondCount() - micro, 20'000u);
  EXPECT_GE(CalendarSeconds(), seconds);
  EXPECT_NEAR(static_cast<double>(seconds), static_cast<double>(time(nullptr)), 5.0);
}
