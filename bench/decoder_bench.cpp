// The video decoder against bare inflate on the same stream: full-screen
// 1600 x 1200 updates of the simulated unit's desktop (gradient, windows with
// text, colour chart), encoded by the unit's own encoder as opcode streams on
// one deflate stream with sync flushes. The decoder's work beyond inflating
// (walking opcodes, expanding colour codes, writing the frame buffer) shows as
// the ratio of the two rates; the goal is at least 0.8.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Desktop.h"
#include "VideoEncoder.h"
#include "protocol/PacketTypes.h"
#include "settings/IniFile.h"
#include "video/FrameBuffer.h"
#include "video/VideoDecoder.h"

namespace {

constexpr int WIDTH = 1600;
constexpr int HEIGHT = 1200;
constexpr int FRAMES = 4;

struct Stream {
  std::vector<sim::Packet> packets;
  int64_t pixels = 0;
};

const Stream& FullScreenUpdates() {
  static const Stream stream = [] {
    Stream built;
    sim::Desktop desktop;
    sim::VideoEncoder encoder;
    encoder.Reset(WIDTH, HEIGHT);
    for (int frame = 0; frame < FRAMES; ++frame) {
      const sim::Picture picture = desktop.Render(WIDTH, HEIGHT, 100 + 7 * frame, 2);
      for (auto& packet : encoder.Update(picture, true, sim::Encoding::MultiSegment))
        built.packets.push_back(std::move(packet));
      built.pixels += int64_t{WIDTH} * HEIGHT;
    }
    return built;
  }();
  return stream;
}

void Report(benchmark::State& state, const Stream& stream) {
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(stream.pixels) * 1e-6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
  int64_t bytes = 0;
  for (const auto& packet : stream.packets) bytes += static_cast<int64_t>(packet.data.size());
  state.SetBytesProcessed(bytes * state.iterations());
}

void Decoder(benchmark::State& state) {
  const Stream& stream = FullScreenUpdates();
  settings::IniFile ini("/dev/null/Remote.ini");
  video::FrameBuffer bmp(ini);
  bmp.SetBitmapSize(WIDTH, HEIGHT);
  video::VideoDecoder decoder(bmp);
  for (auto _ : state) {
    decoder.ResetZLib();
    for (const auto& packet : stream.packets) {
      PacketHeader header(packet.type, packet.subtype, 0,
                          static_cast<uint16_t>(packet.data.size()));
      decoder.HandleInterval(header, packet.data.data(), packet.data.size());
    }
  }
  Report(state, stream);
}

void BareInflate(benchmark::State& state) {
  const Stream& stream = FullScreenUpdates();
  std::vector<uint8_t> out(video::MAX_INFLATED_BYTES + 1);
  for (auto _ : state) {
    z_stream zlib{};
    inflateInit(&zlib);
    inflateValidate(&zlib, 0);  // as the decoder runs its stream
    for (const auto& packet : stream.packets) {
      zlib.next_in = const_cast<Bytef*>(packet.data.data());
      zlib.avail_in = static_cast<uInt>(packet.data.size());
      zlib.next_out = out.data();
      zlib.avail_out = static_cast<uInt>(out.size());
      if (inflate(&zlib, Z_SYNC_FLUSH) != Z_OK) state.SkipWithError("inflate failed");
      benchmark::DoNotOptimize(out.data());
    }
    inflateEnd(&zlib);
  }
  Report(state, stream);
}

// Keeps each repetition's processor time per iteration, by benchmark, for the
// ratio printed at the end. Processor time rather than wall time, and the
// median of interleaved repetitions, so that other work on the machine moves
// both figures alike instead of one.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration)
        m_times[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio() {
    const auto decoder = m_times.find("Decoder");
    const auto inflate = m_times.find("BareInflate");
    if (decoder == m_times.end() || inflate == m_times.end()) return;
    std::printf("decoder / bare inflate throughput: %.2f (goal >= 0.80; medians of %zu runs)\n",
                Median(inflate->second) / Median(decoder->second), decoder->second.size());
  }

 private:
  static double Median(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  }

  std::map<std::string, std::vector<double>> m_times;
};

}  // namespace

BENCHMARK(Decoder)->Unit(benchmark::kMillisecond);
BENCHMARK(BareInflate)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  // Five interleaved repetitions unless the command line says otherwise.
  std::vector<char*> args(argv, argv + argc);
  char repetitions[] = "--benchmark_repetitions=5";
  char interleaving[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, {repetitions, interleaving});
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
