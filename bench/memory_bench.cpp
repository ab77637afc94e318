// Memory: the peak resident size (VmHWM) of the real window after a stretch of
// 1600 x 1200 video from orb-sim's animated desktop, read just before it is
// stopped, and the peak resident size (ru_maxrss) of orbctl taking a
// 1600 x 1200 screenshot. Goals: under 80 MB and under 20 MB (1 MB = 10^6
// bytes).
//
//   memory_bench [--seconds N]
//
// N is how long the window streams (default 60).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "WindowRig.h"

namespace {

constexpr int WIDTH = 1600;
constexpr int HEIGHT = 1200;
constexpr double VIEWER_BOUND_MB = 80;
constexpr double ORBCTL_BOUND_MB = 20;
constexpr const char* FRAME_INTERVAL_MS = "50";

double MegabytesOfKiB(long long kib) { return kib * 1024.0 / 1e6; }

void Report(const char* what, double mb, double boundMb) {
  std::printf("%s: %.1f MB (bound %.0f MB), ratio %.2f, %s\n", what, mb, boundMb, mb / boundMb,
              mb < boundMb ? "met" : "NOT met");
  std::fflush(stdout);
}

double ViewerPeakMb(int seconds) {
  bench::RigSetup setup;
  setup.width = WIDTH;
  setup.height = HEIGHT;
  setup.cipher = 13;
  const std::string unitPicture = "unit.ppm";
  setup.simFlags = {"--frame-interval-ms", FRAME_INTERVAL_MS, "--dump-frame", unitPicture};
  bench::WindowRig rig(setup);
  // orb-sim writes its picture out once the viewer has logged in and asked for video.
  const std::string dumped = rig.Dir().File(unitPicture);
  for (int waited = 0; !std::filesystem::exists(dumped); waited += 100) {
    if (waited > bench::STARTUP_WAIT_MS) throw std::runtime_error("no video reached the viewer");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  if (!rig.Viewer().Running()) throw std::runtime_error("the viewer ended while streaming");
  return MegabytesOfKiB(rig.Viewer().StatusKiB("VmHWM"));
}

double OrbctlPeakMb() {
  TempDir dir;
  bench::SimUnit sim({"--screen", std::to_string(WIDTH) + "x" + std::to_string(HEIGHT),
                      "--frame-interval-ms", "0"},
                     dir.Path().string());
  bench::WriteViewerSettings(dir.File("Remote.ini"), settings::REPAINT_DELAY_DEFAULT_MS);
  const std::string picture = dir.File("unit.png");
  bench::BenchProcess orbctl(
      {bench::BinPath("orbctl"), "--ini", dir.File("Remote.ini"), "--connect", sim.Address(),
       "--size", std::to_string(WIDTH) + "x" + std::to_string(HEIGHT), "screenshot", picture},
      {{}, dir.Path().string()});
  const bench::BenchProcess::Ended ended = orbctl.Wait();
  if (!WIFEXITED(ended.status) || WEXITSTATUS(ended.status) != 0 ||
      !std::filesystem::exists(picture))
    throw std::runtime_error("orbctl screenshot failed");
  // ru_maxrss is in kibibytes on Linux.
  return MegabytesOfKiB(ended.usage.ru_maxrss);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      seconds = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: memory_bench [--seconds N]\n");
      return 2;
    }
  }
  if (seconds < 1) {
    std::fprintf(stderr, "memory_bench: --seconds needs a number above 0\n");
    return 2;
  }
  std::printf("load average before: %s\n", bench::LoadAverage().c_str());
  int failures = 0;
  try {
    const std::string what = "tessaline-viewer peak resident (VmHWM) after " +
                             std::to_string(seconds) + " s of 1600x1200 video, Blowfish, one " +
                             "update every " + FRAME_INTERVAL_MS + " ms";
    Report(what.c_str(), ViewerPeakMb(seconds), VIEWER_BOUND_MB);
  } catch (const std::exception& e) {
    std::printf("tessaline-viewer failed: %s\n", e.what());
    ++failures;
  }
  try {
    Report("orbctl screenshot 1600x1200 peak resident (ru_maxrss)", OrbctlPeakMb(),
           ORBCTL_BOUND_MB);
  } catch (const std::exception& e) {
    std::printf("orbctl failed: %s\n", e.what());
    ++failures;
  }
  std::printf("load average after: %s\n", bench::LoadAverage().c_str());
  return failures == 0 ? 0 : 1;
}
