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
#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "platform/WindowMessages.h"
#include "protocol/PacketTypes.h"
#include "session/Login.h"
#include "session/Orb.h"
#include "settings/Address.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "video/FrameBitmap.h"
#include "view/KVMDispatcher.h"
#include "view/OrbSessionPort.h"
#include "view/ViewGeometry.h"
#include "view/ViewGeometryLink.h"
#include "view/ViewVideoPath.h"

namespace {

constexpr int WIDTH = 1600;
constexpr int HEIGHT = 1200;
constexpr uint32_t WAIT_MS = 20000;

std::string FreshIniPath() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orb-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern + "/Remote.ini";
}

// The viewer's receiving side, wired as orbctl wires it.
class Viewer {
 public:
  explicit Viewer(const std::string& address)
      : ini(FreshIniPath()),
        view({WIDTH, HEIGHT}, {1920, 1400}),
        bmp(ini),
        video(bmp),
        orb(session::OrbEnvironment{ini, loop, view, dialogs, pointer, "Tessaline", "TSV1.00"}),
        port(orb, ini),
        login(port, ini, dialogs, "Tessaline"),
        dispatcher(port, login, view, dialogs, "Tessaline"),
        link(orb, loop),
        geometry(view, bmp, link, ini, dialogs) {
    settings::WriteFirstRunDefaults(ini);
    ini.Write("MISC", "CURRSELTEXT", "Unit");
    ini.Write("MISC", "IPConnectTimeMS", "3000");
    settings::CAddress("Unit", address, "Color always", settings::TCP_IP, false, "").SaveToINI(ini);
    login.SetGivenAnswers("admin", "admin");
    orb.SetHooks({&video, nullptr, nullptr});
    dispatcher.SetHandlers({&geometry, nullptr, nullptr});
    loop.SetDispatcher([this](platform::Message& message) {
      if (message.window == platform::WindowId::View) dispatcher.KVMMessageHandler(message);
    });
    geometry.OnInitialUpdate();
  }
  ~Viewer() { orb.Disconnect(true); }

  void Connect(const std::string& address) {
    // The address is set on the controller itself, so it never tries the
    // first-run entry's placeholder address.
    orb.SetCurrentTargetAddress(address);
    orb.RewindFailover();
    port.BeginConnectAttempt();
    orb.ConnectCurrentTarget();
    // Logged in, and the first whole picture at the native size has been filled.
    if (!loop.RunUntil(
            [&] {
              return orb.IsLoggedIn() && bmp.Size() == platform::Size{WIDTH, HEIGHT} &&
                     !bmp.IsBlocking() && dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR) > 0;
            },
            WAIT_MS))
      throw std::runtime_error(
          "no picture from the unit: logged in " + std::to_string(orb.IsLoggedIn()) + " size " +
          std::to_string(bmp.Size().width) + " blocking " + std::to_string(bmp.IsBlocking()) +
          " fills " + std::to_string(dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR)) + " segments " +
          std::to_string(video.Segments()) + " " + orb.FailureText());
  }

  // Asks for a whole picture and waits until its closing fill is applied.
  void WholePicture() {
    const uint32_t fills = dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR);
    PacketHeader repaint(REPAINT, 0);
    orb.SendPacket(repaint);
    if (!loop.RunUntil([&] { return dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR) > fills; },
                       WAIT_MS))
      throw std::runtime_error("the picture did not complete");
  }

  settings::IniFile ini;
  platform::MessageLoop loop;
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessPointer pointer;
  video::CFrameBitmap bmp;
  view::ViewVideoPath video;
  session::COrb orb;
  view::OrbSessionPort port;
  session::Login login;
  view::KVMDispatcher dispatcher;
  view::OrbViewLink link;
  view::ViewGeometry geometry;
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
    Viewer viewer(address);
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
