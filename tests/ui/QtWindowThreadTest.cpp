#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "QtApp.h"
#include "ui/QtWindowThread.h"

namespace {

class Counted {
 public:
  explicit Counted(std::atomic<int>& alive) : m_alive(alive) { ++m_alive; }
  ~Counted() { --m_alive; }

 private:
  std::atomic<int>& m_alive;
};

}  // namespace

TEST(QtWindowThread, PostsFromOtherThreadsRunInOrderOnTheMainThread) {
  TestApp();
  std::vector<int> seen;
  bool onMainThread = true;
  const auto main = std::this_thread::get_id();
  ui::QtWindowThread thread;
  std::thread poster([&] {
    for (int i = 1; i <= 50; ++i)
      thread.Post([&, i] {
        onMainThread = onMainThread && std::this_thread::get_id() == main;
        seen.push_back(i);
      });
  });
  poster.join();
  EXPECT_TRUE(RunQtUntil([&] { return seen.size() == 50; }, 5000));
  EXPECT_TRUE(onMainThread);
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], static_cast<int>(i + 1));
}

TEST(QtWindowThread, AClosedThreadRefusesPostsAndWhatUnrunTasksHoldIsReleased) {
  TestApp();
  std::atomic<int> alive{0};
  {
    ui::QtWindowThread thread;
    EXPECT_TRUE(thread.Post([held = std::make_shared<Counted>(alive)] {}));
    EXPECT_EQ(alive, 1);
    thread.Close();
    EXPECT_FALSE(thread.Post([held = std::make_shared<Counted>(alive)] {}));
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
}

// A tick may open a modal dialog, whose own loop runs for a while: the timer
// must not run again inside it.
TEST(QtWindowThread, ATimerNeverRunsInsideItsOwnTickAndMayStopItself) {
  TestApp();
  ui::QtWindowThread thread;
  int ticks = 0;
  int depth = 0;
  int deepest = 0;
  platform::Timer timer(thread);
  timer.Start(5, [&] {
    ++ticks;
    ++depth;
    deepest = std::max(deepest, depth);
    RunQtUntil([] { return false; }, 30);
    --depth;
    if (ticks == 3) timer.Stop();
  });
  RunQtUntil([] { return false; }, 400);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(deepest, 1);
  EXPECT_FALSE(timer.IsActive());
}

TEST(QtWindowThread, ASingleShotRunsOnceAndAStoppedOneNever) {
  TestApp();
  ui::QtWindowThread thread;
  int once = 0, never = 0;
  platform::Timer first(thread), second(thread);
  first.StartOnce(5, [&] { ++once; });
  second.StartOnce(5, [&] { ++never; });
  second.Stop();
  RunQtUntil([] { return false; }, 100);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(never, 0);
  EXPECT_FALSE(first.IsActive());
}
