// Glass to glass: how long a change of the unit's screen takes to reach the
// pixels of the real window. orb-sim paints a 32 x 32 square, or its whole
// screen, in a new colour on request and says when the update began to leave;
// the X server's pixels are read back (XGetImage of a few points) until they
// show the change. Cases: unit screens 1024 x 768 and 1600 x 1200, plain and
// Blowfish payloads, RepaintDelayMS 101 and 0. Prints the median and 99th
// percentile of each case, the changes the window never showed (lost), and the
// viewer's processor time per whole-screen update. Exits with 1 when a case
// could not be measured at all.
//
//   glass_bench [--samples N] [--quick] [--delay MS]
//
// --quick takes 20 samples per case instead of 100; --delay runs only the
// cases with that RepaintDelayMS (101 or 0).

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "WindowRig.h"

namespace {

using bench::MonotonicMicroseconds;
using bench::RigSetup;
using bench::WindowRig;

constexpr int SAMPLE_WAIT_MS = 10000;
constexpr int LOST_AFTER_MS = 2000;
constexpr int RECOVERY_ATTEMPTS = 5;
constexpr int LOCATE_LOOKS = 25;  // 200 ms apart
constexpr auto POLL_PAUSE = std::chrono::microseconds(200);
constexpr int MARK_SIDE = 32;
constexpr int IDLE_SECONDS = 3;

struct Point {
  int x = 0, y = 0;
};

struct Change {
  long long sentUs = 0;
  uint32_t colour = 0;  // 0xRRGGBB
};

uint32_t PixelAt(Display* display, Point at) {
  XImage* image =
      XGetImage(display, DefaultRootWindow(display), at.x, at.y, 1, 1, AllPlanes, ZPixmap);
  if (!image) throw std::runtime_error("XGetImage failed");
  const uint32_t pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

// What the unit shows: its plain whole-screen colour, the colour of its marked
// square when painted since, and where its picture lies on the X screen.
class Glass {
 public:
  explicit Glass(WindowRig& rig) : m_rig(rig) {
    const RigSetup& setup = rig.Setup();
    m_mark = {setup.width / 2 - MARK_SIDE / 2, setup.height / 2 - MARK_SIDE / 2};
    Locate();
  }

  // Asks for the change and times it until every point it covers shows it. Nothing when the
  // window did not show it within LOST_AFTER_MS: the change is counted as lost, and whole
  // screens are painted until one shows everywhere, so the next sample starts from a known
  // picture.
  std::optional<double> SampleMs(bool whole) {
    const std::vector<Point> points = whole ? WholePoints() : MarkPoints();
    std::vector<uint32_t> before;
    for (const Point& p : points) before.push_back(ShownBefore(p));
    std::vector<uint32_t> seen(points.size());
    m_rig.Sim().WriteLine(whole ? "full" : "small");
    const std::optional<long long> seenUs = WaitUntilShown(points, before, seen);
    if (!seenUs) {
      Remember(whole, ReadChange().colour);
      Recover();
      return std::nullopt;
    }
    const Change change = ReadChange();
    for (uint32_t pixel : seen)
      if (pixel != change.colour) {
        char text[120];
        std::snprintf(text, sizeof text, "the window shows %06X where the unit painted %06X", pixel,
                      change.colour);
        throw std::runtime_error(text);
      }
    Remember(whole, change.colour);
    return (*seenUs - change.sentUs) / 1000.0;
  }

 private:
  // Paints the whole screen and finds the picture on the X screen by its colour; paints it
  // again when a paint was lost before the picture showed everywhere.
  void Locate() {
    const RigSetup& setup = m_rig.Setup();
    for (int attempt = 0; attempt < RECOVERY_ATTEMPTS; ++attempt) {
      m_rig.Sim().WriteLine("full");
      const Change change = ReadChange();
      Remember(true, change.colour);
      for (int look = 0; look < LOCATE_LOOKS; ++look) {
        int width = 0, height = 0;
        const std::vector<uint32_t> screen = m_rig.X().Screenshot(width, height);
        const auto first = std::find(screen.begin(), screen.end(), change.colour);
        if (first != screen.end()) {
          const int x = static_cast<int>((first - screen.begin()) % width);
          const int y = static_cast<int>((first - screen.begin()) / width);
          const auto at = [&](int dx, int dy) {
            return x + dx < width && y + dy < height &&
                   screen[static_cast<size_t>(y + dy) * width + x + dx] == change.colour;
          };
          // The whole picture on screen, one to one: its far corner is there, and no further.
          if (at(setup.width - 1, setup.height - 1) && !at(setup.width, setup.height - 1) &&
              !at(setup.width - 1, setup.height)) {
            m_origin = {x, y};
            return;
          }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
    }
    throw std::runtime_error("the window does not show the unit's whole picture one to one");
  }

  // When every point differs from what it showed before: the monotonic time of the read that
  // saw it. Nothing when that did not happen within LOST_AFTER_MS; `seen` holds the last read.
  std::optional<long long> WaitUntilShown(const std::vector<Point>& points,
                                          const std::vector<uint32_t>& before,
                                          std::vector<uint32_t>& seen) {
    const long long deadline = MonotonicMicroseconds() + LOST_AFTER_MS * 1000LL;
    for (;;) {
      bool all = true;
      for (size_t i = 0; i < points.size(); ++i) {
        seen[i] = PixelAt(m_rig.X().Dpy(), OnScreen(points[i]));
        all = all && seen[i] != before[i];
      }
      const long long now = MonotonicMicroseconds();
      if (all) return now;
      if (now > deadline) return std::nullopt;
      std::this_thread::sleep_for(POLL_PAUSE);
    }
  }

  void Recover() {
    const std::vector<Point> points = WholePoints();
    for (int attempt = 0; attempt < RECOVERY_ATTEMPTS; ++attempt) {
      m_rig.Sim().WriteLine("full");
      const Change change = ReadChange();
      Remember(true, change.colour);
      const long long deadline = MonotonicMicroseconds() + LOST_AFTER_MS * 1000LL;
      while (MonotonicMicroseconds() < deadline) {
        bool all = true;
        for (const Point& p : points)
          all = all && PixelAt(m_rig.X().Dpy(), OnScreen(p)) == change.colour;
        if (all) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    throw std::runtime_error("the window shows none of the last whole screens everywhere");
  }

  Change ReadChange() {
    const auto line = m_rig.Sim().WaitForLine("CHANGE SENT ", SAMPLE_WAIT_MS);
    if (!line) throw std::runtime_error("orb-sim did not send the change");
    std::istringstream fields(line->substr(12));
    Change change;
    std::string kind, colour;
    fields >> change.sentUs >> kind >> colour;
    change.colour = static_cast<uint32_t>(std::stoul(colour, nullptr, 16));
    return change;
  }

  void Remember(bool whole, uint32_t colour) {
    if (whole) {
      m_whole = colour;
      m_markColour.reset();
    } else {
      m_markColour = colour;
    }
  }

  bool InMark(Point p) const {
    return p.x >= m_mark.x && p.x < m_mark.x + MARK_SIDE && p.y >= m_mark.y &&
           p.y < m_mark.y + MARK_SIDE;
  }
  uint32_t ShownBefore(Point p) const {
    return m_markColour && InMark(p) ? *m_markColour : m_whole;
  }
  Point OnScreen(Point p) const { return {m_origin.x + p.x, m_origin.y + p.y}; }

  // Corners and middle of the marked square.
  std::vector<Point> MarkPoints() const {
    const int last = MARK_SIDE - 1;
    return {{m_mark.x, m_mark.y},
            {m_mark.x + last, m_mark.y + last},
            {m_mark.x + MARK_SIDE / 2, m_mark.y + MARK_SIDE / 2}};
  }
  // The picture's corners, the far one last drawn, and its middle.
  std::vector<Point> WholePoints() const {
    const int right = m_rig.Setup().width - 1, bottom = m_rig.Setup().height - 1;
    return {{0, 0}, {right, 0}, {0, bottom}, {right / 2, bottom / 2}, {right, bottom}};
  }

  WindowRig& m_rig;
  Point m_mark;
  Point m_origin;
  uint32_t m_whole = 0;
  std::optional<uint32_t> m_markColour;
};

struct Figures {
  double median = 0, p99 = 0;
};

Figures Summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  // Nearest rank.
  const auto rank = [&](double share) {
    const size_t index = static_cast<size_t>(std::ceil(share * values.size()));
    return values[std::clamp<size_t>(index, 1, values.size()) - 1];
  };
  return {rank(0.5), rank(0.99)};
}

struct Case {
  int width, height, cipher, delayMs;
  std::string Name() const {
    char text[80];
    std::snprintf(text, sizeof text, "%4dx%-4d %-8s RepaintDelayMS %3d", width, height,
                  cipher == 11 ? "plain" : "Blowfish", delayMs);
    return text;
  }
};

void Run(const Case& c, int samples, std::mt19937& random) {
  RigSetup setup;
  setup.width = c.width;
  setup.height = c.height;
  setup.cipher = c.cipher;
  setup.repaintDelayMs = c.delayMs;
  setup.simFlags = {"--frame-interval-ms", "0", "--change-on-stdin"};
  WindowRig rig(setup);
  Glass glass(rig);
  // A pause between samples that is no multiple of the view's 10 ms tick, so
  // the changes fall at every phase of it.
  std::uniform_int_distribution<int> pauseMs(5, 35);
  const auto measure = [&](bool whole, const char* what) {
    std::vector<double> times;
    int lost = 0;
    for (int i = 0; i < samples; ++i) {
      if (const auto ms = glass.SampleMs(whole))
        times.push_back(*ms);
      else
        ++lost;
      std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
    }
    std::printf("%s  %s", c.Name().c_str(), what);
    if (!times.empty()) {
      const Figures figures = Summarise(times);
      std::printf("  median %7.1f ms  p99 %7.1f ms  (%zu samples)", figures.median, figures.p99,
                  times.size());
    }
    if (lost > 0) std::printf("  %d changes lost: not shown within %d ms", lost, LOST_AFTER_MS);
    std::printf("\n");
    std::fflush(stdout);
  };
  measure(false, "32x32 change");

  // What the viewer spends with nothing to show (its view tick, keep-alives), to take out of
  // the figure per update.
  const double idleBefore = rig.Viewer().CpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(IDLE_SECONDS));
  const double idlePerSecond = (rig.Viewer().CpuSeconds() - idleBefore) / IDLE_SECONDS;

  const double cpuBefore = rig.Viewer().CpuSeconds();
  const long long wallBefore = MonotonicMicroseconds();
  measure(true, "whole screen");
  const double cpu = rig.Viewer().CpuSeconds() - cpuBefore;
  const double wallS = (MonotonicMicroseconds() - wallBefore) / 1e6;
  const double idle = idlePerSecond * wallS;
  std::printf(
      "%s  viewer CPU per whole-screen update %.2f ms (%.2f s over %.1f s, less %.2f s idle, "
      "the rate of %d s without changes)\n",
      c.Name().c_str(), std::max(0.0, cpu - idle) * 1000 / samples, cpu, wallS, idle, IDLE_SECONDS);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int samples = 100;
  std::vector<int> delays{101, 0};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      samples = 20;
    } else if (arg == "--samples" && i + 1 < argc) {
      samples = std::atoi(argv[++i]);
    } else if (arg == "--delay" && i + 1 < argc) {
      delays = {std::atoi(argv[++i])};
    } else {
      std::fprintf(stderr, "usage: glass_bench [--samples N] [--quick] [--delay MS]\n");
      return 2;
    }
  }
  if (samples < 1) {
    std::fprintf(stderr, "glass_bench: --samples needs a number above 0\n");
    return 2;
  }
  std::printf("load average before: %s\n", bench::LoadAverage().c_str());
  std::mt19937 random(1);
  int failures = 0;
  for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{1600, 1200}})
    for (const int cipher : {11, 13})
      for (const int delayMs : delays) {
        const Case c{width, height, cipher, delayMs};
        try {
          Run(c, samples, random);
        } catch (const std::exception& e) {
          std::printf("%s  failed: %s\n", c.Name().c_str(), e.what());
          ++failures;
        }
      }
  std::printf("load average after: %s\n", bench::LoadAverage().c_str());
  return failures == 0 ? 0 : 1;
}
