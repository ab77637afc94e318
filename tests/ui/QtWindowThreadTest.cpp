#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "QtApp.h"
#include "platform/WindowMessages.h"
#include "ui/QtWindowThread.h"

namespace {

class CountedBody : public platform::MessageBody {
 public:
  explicit CountedBody(std::atomic<int>& alive) : m_alive(alive) { ++m_alive; }
  ~CountedBody() override { --m_alive; }

 private:
  std::atomic<int>& m_alive;
};

}  // namespace

TEST(QtWindowThread, PostsFromOtherThreadsArriveInOrderOnTheMainThread) {
  TestApp();
  std::vector<uint32_t> seen;
  bool onMainThread = true;
  const auto main = std::this_thread::get_id();
  ui::QtWindowThread thread([&](platform::Message& m) {
    onMainThread = onMainThread && std::this_thread::get_id() == main;
    seen.push_back(m.message);
  });
  std::thread poster([&] {
    for (uint32_t i = 1; i <= 50; ++i)
      thread.Post(platform::MakeMessage(platform::WindowId::View, i));
  });
  poster.join();
  EXPECT_TRUE(thread.PumpUntil([&] { return seen.size() == 50; }, 5000));
  EXPECT_TRUE(onMainThread);
  for (uint32_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], i + 1);
}

TEST(QtWindowThread, AClosedThreadRefusesPostsAndUndeliveredBodiesAreReleased) {
  TestApp();
  std::atomic<int> alive{0};
  {
    ui::QtWindowThread thread;
    EXPECT_TRUE(thread.Post(platform::MakeMessage(platform::WindowId::View, 1, 0, 0,
                                                  std::make_unique<CountedBody>(alive))));
    EXPECT_EQ(alive, 1);
    thread.Close();
    EXPECT_FALSE(thread.Post(platform::MakeMessage(platform::WindowId::View, 2, 0, 0,
                                                   std::make_unique<CountedBody>(alive))));
  }
  EXPECT_EQ(alive, 0);
}

TEST(QtWindowThread, ATimerNeverRunsInsideItsOwnTickAndMayKillItself) {
  TestApp();
  ui::QtWindowThread thread;
  int ticks = 0;
  int depth = 0;
  int deepest = 0;
  thread.SetTimer(7, 5, [&] {
    ++ticks;
    ++depth;
    deepest = std::max(deepest, depth);
    // A nested pump long enough for several periods.
    thread.PumpUntil([] { return false; }, 30);
    --depth;
    if (ticks == 3) thread.KillTimer(7);
  });
  thread.PumpUntil([&] { return false; }, 400);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(deepest, 1);
}

TEST(QtWindowThread, MessageTimersDeliverWmTimerToTheirWindow) {
  TestApp();
  std::vector<platform::Message> seen;
  ui::QtWindowThread thread([&](platform::Message& m) { seen.push_back(std::move(m)); });
  thread.SetMessageTimer(platform::WindowId::MainWindow, 101, 5);
  EXPECT_TRUE(thread.PumpUntil([&] { return !seen.empty(); }, 2000));
  thread.KillTimer(101);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0].window, platform::WindowId::MainWindow);
  EXPECT_EQ(seen[0].message, platform::WM_TIMER);
  EXPECT_EQ(seen[0].wParam, 101u);
}
