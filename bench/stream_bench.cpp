// Full-screen 1600 x 1200 pictures from the simulated unit, run in-process,
// over loopback into the viewer's session controller: received, decrypted,
// decoded into the frame buffer, and finished by the unit's fill, which the
// window thread applies. Each iteration asks for a whole picture (REPAINT)
// and waits until that fill has been applied. Reported, with plain, Blowfish
// and triple-DES payloads: pictures per second; the median time from the
// unit's first packet of the picture to the completed frame buffer (the
// viewer's share: the goal for plain payloads is a median under 20 ms); and
// the median from the request, which adds the simulated unit's own rendering
// and compression.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "BenchViewer.h"
#include "Unit.h"

namespace {

using bench::HEIGHT;
using bench::Viewer;
using bench::WIDTH;

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void BM_WholePictures(benchmark::State& state) {
  sim::UnitOptions options;
  options.listenPort = 0;
  options.nativeWidth = WIDTH;
  options.nativeHeight = HEIGHT;
  options.frameIntervalMs = 0;
  options.encryption = static_cast<int>(state.range(0));
  options.encoding = sim::Encoding::MultiSegment;
  // Set on the unit's thread as the picture starts to leave.
  std::atomic<int64_t> sendStartNs{0};
  options.onPictureSend = [&] {
    sendStartNs = std::chrono::steady_clock::now().time_since_epoch().count();
  };
  sim::Unit unit(options);
  const int port = unit.Start();
  {
    const std::string address = "127.0.0.1:" + std::to_string(port);
    Viewer viewer;
    viewer.Connect(address);
    std::vector<double> fromRequest, fromSend;
    for (auto _ : state) {
      const auto start = std::chrono::steady_clock::now();
      viewer.WholePicture();
      const auto end = std::chrono::steady_clock::now();
      const std::chrono::steady_clock::time_point sent{
          std::chrono::steady_clock::duration(sendStartNs.load())};
      fromRequest.push_back(std::chrono::duration<double, std::milli>(end - start).count());
      fromSend.push_back(std::chrono::duration<double, std::milli>(end - sent).count());
    }
    state.counters["median_ms"] = Median(fromSend);
    state.counters["median_from_request_ms"] = Median(fromRequest);
    state.counters["pictures_per_s"] =
        benchmark::Counter(static_cast<double>(fromSend.size()), benchmark::Counter::kIsRate);
    state.SetLabel(state.range(0) == 11   ? "plain"
                   : state.range(0) == 12 ? "triple DES"
                                          : "Blowfish");
  }
  unit.Stop();
}

BENCHMARK(BM_WholePictures)
    ->Arg(11)
    ->Arg(13)
    ->Arg(12)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
