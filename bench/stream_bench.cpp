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
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "Unit.h"
#include "core/ViewerCore.h"
#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessKeyboard.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "protocol/PacketTypes.h"
#include "settings/Address.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"

namespace {

constexpr int WIDTH = 1600;
constexpr int HEIGHT = 1200;
constexpr uint32_t WAIT_MS = 20000;

std::string FreshIniPath() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orb-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern + "/Remote.ini";
}

// The viewer as every program assembles it.
class Viewer {
 public:
  Viewer()
      : view({WIDTH, HEIGHT}, {1920, 1400}),
        core(core::ViewerSetup{PrepareSettings(), "Tessaline", "TSV1.00"},
             core::Desktop{loop, view, dialogs, keyboard, pointer}) {
    core.Login().SetGivenAnswers("admin", "admin");
    loop.SetDispatcher([this](platform::Message& message) { core.HandleMessage(message); });
    view.SetSizeListener([this](platform::Size size) { core.OnViewSize(size); });
    core.Start();
  }
  ~Viewer() { core.Orb().Disconnect(true); }

  void Connect(const std::string& address) {
    // The address is set for the run, so the first-run entry's placeholder
    // address is never tried.
    core.Connect(address);
    const video::CFrameBitmap& bmp = core.Bitmap();
    const view::KVMDispatcher& dispatcher = core.Dispatcher();
    // Logged in, and the first whole picture at the native size has been filled.
    if (!loop.RunUntil(
            [&] {
              return core.Orb().IsLoggedIn() && bmp.Size() == platform::Size{WIDTH, HEIGHT} &&
                     !bmp.IsBlocking() && dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR) > 0;
            },
            WAIT_MS))
      throw std::runtime_error(
          "no picture from the unit: logged in " + std::to_string(core.Orb().IsLoggedIn()) +
          " size " + std::to_string(bmp.Size().width) + " blocking " +
          std::to_string(bmp.IsBlocking()) + " fills " +
          std::to_string(dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR)) + " segments " +
          std::to_string(core.Video().Segments()) + " " + core.FailureText());
  }

  // Asks for a whole picture and waits until its closing fill is applied.
  void WholePicture() {
    const view::KVMDispatcher& dispatcher = core.Dispatcher();
    const uint32_t fills = dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR);
    PacketHeader repaint(REPAINT, 0);
    core.Orb().SendPacket(repaint);
    if (!loop.RunUntil([&] { return dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR) > fills; },
                       WAIT_MS))
      throw std::runtime_error("the picture did not complete");
  }

 private:
  static std::string PrepareSettings() {
    const std::string path = FreshIniPath();
    settings::IniFile ini(path);
    settings::WriteFirstRunDefaults(ini);
    ini.Write("MISC", "CURRSELTEXT", "Unit");
    ini.Write("MISC", "IPConnectTimeMS", "3000");
    settings::CAddress("Unit", "127.0.0.1", "Color always", settings::TCP_IP, false, "")
        .SaveToINI(ini);
    return path;
  }

  platform::MessageLoop loop;
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessKeyboard keyboard;
  platform::HeadlessPointer pointer;
  core::ViewerCore core;
};

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
