#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/WindowMessages.h"

using namespace platform;

namespace {

// Generous bound for waits that normally end in milliseconds.
constexpr uint32_t PATIENCE_MS = 10000;

class CountedBody : public MessageBody {
 public:
  explicit CountedBody(std::atomic<int>& released) : m_released(released) {}
  ~CountedBody() override { ++m_released; }

 private:
  std::atomic<int>& m_released;
};

Message Numbered(uint32_t number, uintptr_t wParam = 0) {
  return MakeMessage(WindowId::View, number, wParam);
}

}  // namespace

TEST(MessageLoop, DeliversInPostingOrderWithArgumentsAndBody) {
  std::vector<Message> seen;
  MessageLoop loop([&](Message& message) { seen.push_back(std::move(message)); });
  loop.Post(MakeMessage(WindowId::MainWindow, WM_COMMAND, 1086, 1086));
  loop.Post(MakeMessage(WindowId::View, WM_KVM_SHOW_TIMED_MESSAGE, 0, 5,
                        std::make_unique<TextBody>("Inactivity timer expired.")));
  loop.Post(Numbered(WM_KVM_CONNECT_PROGRESS));

  ASSERT_TRUE(loop.RunUntil([&] { return seen.size() == 3; }, PATIENCE_MS));
  EXPECT_EQ(seen[0].window, WindowId::MainWindow);
  EXPECT_EQ(seen[0].message, WM_COMMAND);
  EXPECT_EQ(seen[0].wParam, 1086u);
  EXPECT_EQ(seen[1].message, 1091u);
  EXPECT_EQ(seen[1].lParam, 5);
  ASSERT_NE(seen[1].BodyAs<TextBody>(), nullptr);
  EXPECT_EQ(seen[1].BodyAs<TextBody>()->Text(), "Inactivity timer expired.");
  EXPECT_EQ(seen[2].message, 1103u);
  EXPECT_EQ(seen[2].BodyAs<TextBody>(), nullptr);
}

TEST(MessageLoop, TakesPostsFromOtherThreadsInTheirOrder) {
  constexpr uintptr_t PER_THREAD = 2000;
  std::vector<uintptr_t> fromA, fromB;
  MessageLoop loop(
      [&](Message& message) { (message.message == 1 ? fromA : fromB).push_back(message.wParam); });
  auto poster = [&](uint32_t number) {
    for (uintptr_t i = 0; i < PER_THREAD; ++i) ASSERT_TRUE(loop.Post(Numbered(number, i)));
  };
  std::thread a(poster, 1), b(poster, 2);
  const bool all = loop.RunUntil(
      [&] { return fromA.size() == PER_THREAD && fromB.size() == PER_THREAD; }, PATIENCE_MS);
  a.join();
  b.join();
  ASSERT_TRUE(all);
  for (uintptr_t i = 0; i < PER_THREAD; ++i) {
    ASSERT_EQ(fromA[i], i);
    ASSERT_EQ(fromB[i], i);
  }
}

TEST(MessageLoop, TimersFireNoSoonerThanTheirPeriodAndStopWhenKilled) {
  std::vector<Message> ticks;
  MessageLoop loop([&](Message& message) { ticks.push_back(std::move(message)); });
  int viewTicks = 0;
  const uint64_t start = MicrosecondCount();
  loop.SetTimer(1, 10, [&] { ++viewTicks; });
  loop.SetMessageTimer(WindowId::MainWindow, 101, 30);

  ASSERT_TRUE(loop.RunUntil([&] { return viewTicks >= 5 && ticks.size() >= 2; }, PATIENCE_MS));
  // Lower bounds only: a loaded machine may run late, never early.
  EXPECT_GE(MicrosecondCount() - start, 60'000u);
  EXPECT_EQ(ticks[0].window, WindowId::MainWindow);
  EXPECT_EQ(ticks[0].message, WM_TIMER);
  EXPECT_EQ(ticks[0].wParam, 101u);

  loop.KillTimer(1);
  loop.KillTimer(101);
  loop.KillTimer(999);  // unknown ids are ignored
  const int killedAt = viewTicks;
  const size_t messagesAt = ticks.size();
  loop.RunFor(60);
  EXPECT_EQ(viewTicks, killedAt);
  EXPECT_EQ(ticks.size(), messagesAt);
}

TEST(MessageLoop, TimerCanKillItselfAndIsNeverReentered) {
  MessageLoop loop;
  int once = 0;
  loop.SetTimer(7, 1, [&] {
    ++once;
    loop.KillTimer(7);
  });

  // A slow tick that pumps, like a reply wait inside the view timer: the
  // nested pump runs the other timer but not this one again.
  int depth = 0, deepest = 0, slowTicks = 0, fastTicks = 0;
  loop.SetTimer(1, 1, [&] {
    ++slowTicks;
    deepest = std::max(deepest, ++depth);
    for (int i = 0; i < 5; ++i) {
      Sleep(3);
      loop.PumpPending();
    }
    --depth;
  });
  loop.SetTimer(2, 1, [&] { ++fastTicks; });

  ASSERT_TRUE(loop.RunUntil([&] { return slowTicks >= 3; }, PATIENCE_MS));
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(once, 1);
  EXPECT_GE(fastTicks, 3);
}

TEST(MessageLoop, TimerStillRunsAfterItsCallbackThrew) {
  MessageLoop loop;
  int ticks = 0;
  loop.SetTimer(1, 1, [&] {
    if (++ticks == 1) throw std::runtime_error("handler failed");
  });
  EXPECT_THROW(loop.RunUntil([&] { return ticks >= 2; }, PATIENCE_MS), std::runtime_error);
  EXPECT_TRUE(loop.RunUntil([&] { return ticks >= 2; }, PATIENCE_MS));
}

TEST(MessageLoop, NestedPumpDispatchesOnlyWhatWasWaiting) {
  std::vector<std::string> log;
  MessageLoop loop;
  loop.SetDispatcher([&](Message& message) {
    switch (message.message) {
      case 1:  // a reply wait: the reply arrives while it pumps
        log.push_back("wait begins");
        loop.Post(Numbered(2));
        loop.PumpPending();
        log.push_back("wait ends");
        break;
      case 2:
        log.push_back("reply");
        loop.Post(Numbered(2));  // reposts itself: must not keep the pump going
        break;
    }
  });
  loop.Post(Numbered(1));
  loop.PumpPending();
  EXPECT_EQ(log, (std::vector<std::string>{"wait begins", "reply", "wait ends"}));
  EXPECT_EQ(loop.QueuedCount(), 1u);
}

TEST(MessageLoop, ReleasesBodiesThatAreNeverDelivered) {
  std::atomic<int> released = 0;
  {
    MessageLoop loop;
    for (int i = 0; i < 3; ++i) {
      loop.Post(MakeMessage(WindowId::View, WM_KVM_PACKET, 0, 0,
                            std::make_unique<CountedBody>(released)));
    }
    EXPECT_EQ(released, 0);

    loop.Quit();
    EXPECT_FALSE(loop.Post(
        MakeMessage(WindowId::View, WM_KVM_PACKET, 0, 0, std::make_unique<CountedBody>(released))));
    EXPECT_EQ(released, 1);  // refused: released at once
  }
  EXPECT_EQ(released, 4);
}

TEST(MessageLoop, DeliveredBodyIsReleasedAfterDispatchUnlessTaken) {
  std::atomic<int> released = 0;
  std::unique_ptr<MessageBody> kept;
  MessageLoop loop([&](Message& message) {
    if (message.wParam == 1) kept = std::move(message.body);
  });
  for (uintptr_t keep : {0, 1}) {
    loop.Post(MakeMessage(WindowId::View, WM_KVM_PACKET, keep, 0,
                          std::make_unique<CountedBody>(released)));
  }
  loop.PumpPending();
  EXPECT_EQ(released, 1);
  kept.reset();
  EXPECT_EQ(released, 2);
}

TEST(MessageLoop, QuitFromAnotherThreadEndsRun) {
  MessageLoop loop;
  std::atomic<bool> handled = false;
  loop.SetDispatcher([&](Message&) { handled = true; });
  std::thread other([&] {
    loop.Post(Numbered(WM_KVM_CONNECT_PROGRESS));
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
