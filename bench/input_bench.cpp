// Input latency of the assembled viewer in pass-through, logged in to the
// simulated unit over loopback TCP: a key event entering the viewer's input
// (ViewerCore::HandleKey, then HandleKeystrokes) and a mouse move entering
// HandleMouse (then HandleMouseMove), timed until the call has written
// the packet to the socket (the goal: a median under 100 us), and until the
// unit has read and parsed it (which adds the loopback and the unit's own
// thread wake-up). Prints the median and the 99th percentile of each.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "BenchViewer.h"
#include "Unit.h"
#include "input/Cursor.h"
#include "input/KeyEvent.h"
#include "input/MouseEvent.h"
#include "input/MousePipeline.h"

namespace {

constexpr int SAMPLES = 2000;
constexpr double GOAL_US = 100;
constexpr input::KeyEvent KEY_A_DOWN{.virtualKey = 0x41, .scanCode = 0x1E};
constexpr input::KeyEvent KEY_A_UP{
    .virtualKey = 0x41, .scanCode = 0x1E, .down = false, .wasDown = true};

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

double Microseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::micro>(to - from).count();
}

struct Latencies {
  std::vector<double> written;
  std::vector<double> received;
};

// The unit's side: the time each key or mouse message arrives.
struct Arrivals {
  std::atomic<uint64_t> count{0};
  std::atomic<int64_t> lastNs{0};
  void Note() {
    lastNs = Clock::now().time_since_epoch().count();
    ++count;
  }
};

// Sends one input through the pipeline, then waits for the unit to have it.
void Measure(bench::Viewer& viewer, Arrivals& arrivals, const std::function<void()>& send,
             Latencies& out) {
  const uint64_t before = arrivals.count;
  const Clock::time_point start = Clock::now();
  send();
  const Clock::time_point written = Clock::now();
  while (arrivals.count == before) {
    if (Clock::now() - written > std::chrono::seconds(5))
      throw std::runtime_error("the unit never received the input");
    std::this_thread::yield();
  }
  const Clock::time_point received{Clock::duration(arrivals.lastNs.load())};
  out.written.push_back(Microseconds(start, written));
  out.received.push_back(Microseconds(start, received));
  // Whatever the unit sent meanwhile is handled outside the timed part.
  viewer.loop.RunPending();
}

void Print(const char* what, const Latencies& latencies) {
  const double median = Percentile(latencies.written, 0.5);
  std::printf(
      "%s, to the socket: median %.1f us, 99th percentile %.1f us; bound %.0f us, "
      "ratio %.2f (%s)\n",
      what, median, Percentile(latencies.written, 0.99), GOAL_US, median / GOAL_US,
      median < GOAL_US ? "met" : "not met");
  std::printf("%s, read by the unit: median %.1f us, 99th percentile %.1f us\n", what,
              Percentile(latencies.received, 0.5), Percentile(latencies.received, 0.99));
}

}  // namespace

int main() {
  Arrivals keys, moves;
  sim::UnitOptions options;
  options.listenPort = 0;
  options.nativeWidth = bench::WIDTH;
  options.nativeHeight = bench::HEIGHT;
  options.onKey = [&](const sim::KeyEvent&) { keys.Note(); };
  options.onMouse = [&](const sim::MouseEvent&) { moves.Note(); };
  sim::Unit unit(options);
  const int port = unit.Start();
  {
    bench::Viewer viewer;
    viewer.Connect("127.0.0.1:" + std::to_string(port));
    core::ViewerCore& core = viewer.core;
    // The mouse's exit gestures would end pass-through part way.
    core.Ini().Write("MISC", "ESCAPE_BY_SLOWMOUSE", "F");
    core.Ini().Write("MISC", "ESCAPE_BY_FASTMOUSE", "F");
    core.Mouse().ReadSettings();
    core.Keyboard().ForcePassthruMode(true);

    Latencies keyLatencies;
    for (int i = 0; i < SAMPLES; ++i) {
      const input::KeyEvent& key = i % 2 == 0 ? KEY_A_DOWN : KEY_A_UP;
      Measure(
          viewer, keys, [&] { core.HandleKey(key); }, keyLatencies);
    }

    Latencies moveLatencies;
    const platform::Point centre = input::ClientCentre(viewer.view);
    // The first moves after the view changed at connect are not sent; they go untimed.
    for (int i = 0; moves.count == 0 && i < 100; ++i) {
      core.HandleMouse({.position = {centre.x + 1, centre.y + 1}});
      viewer.loop.RunFor(10);
    }
    for (int i = 0; i < SAMPLES; ++i) {
      // Back and forth, so the cursor never travels far.
      const int step = i % 2 == 0 ? 3 : -3;
      const input::MouseEvent move{.position = {centre.x + step, centre.y + step}};
      Measure(
          viewer, moves, [&] { core.HandleMouse(move); }, moveLatencies);
    }
    Print("key (HandleKeystrokes)", keyLatencies);
    Print("mouse move (HandleMouseMove)", moveLatencies);
  }
  unit.Stop();
  return 0;
}
