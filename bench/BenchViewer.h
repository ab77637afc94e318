#pragma once
// The viewer as every program assembles it, on headless ports, connected over
// loopback to a simulated unit: what the benchmarks that need a whole session
// drive.

#include <stdexcept>
#include <string>

#include "core/ViewerCore.h"
#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessKeyboard.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "protocol/PacketTypes.h"
#include "settings/AddressEntry.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"

namespace bench {

inline constexpr int WIDTH = 1600;
inline constexpr int HEIGHT = 1200;
inline constexpr uint32_t WAIT_MS = 20000;

// The viewer as every program assembles it.
class Viewer {
 public:
  Viewer()
      : view({WIDTH, HEIGHT}, {1920, 1400}),
        core(core::ViewerSetup{PrepareSettings(dir.File("Remote.ini")), "Tessaline", "TSV1.00"},
             core::Desktop{loop, view, dialogs, keyboard, pointer}) {
    core.Login().SetGivenAnswers("admin", "admin");
    view.SetSizeListener([this](platform::Size size) { core.OnViewSize(size); });
    core.Start();
  }
  ~Viewer() { core.Session().Disconnect(true); }

  void Connect(const std::string& address) {
    // The address is set for the run, so the first-run entry's placeholder
    // address is never tried.
    core.Connect(address);
    const video::FrameBuffer& bmp = core.Bitmap();
    const view::KVMDispatcher& dispatcher = core.Dispatcher();
    // Logged in, and the first whole picture at the native size has been filled.
    if (!loop.RunUntil(
            [&] {
              return core.Session().IsLoggedIn() && bmp.Size() == platform::Size{WIDTH, HEIGHT} &&
                     !bmp.Gate().IsBlocking() && dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR) > 0;
            },
            WAIT_MS))
      throw std::runtime_error(
          "no picture from the unit: logged in " + std::to_string(core.Session().IsLoggedIn()) +
          " size " + std::to_string(bmp.Size().width) + " blocking " +
          std::to_string(bmp.Gate().IsBlocking()) + " fills " +
          std::to_string(dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR)) + " segments " +
          std::to_string(core.Video().Segments()) + " " + core.FailureText());
  }

  // Asks for a whole picture and waits until its closing fill is applied.
  void WholePicture() {
    const view::KVMDispatcher& dispatcher = core.Dispatcher();
    const uint32_t fills = dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR);
    PacketHeader repaint(REPAINT, 0);
    core.Session().SendPacket(repaint);
    if (!loop.RunUntil([&] { return dispatcher.ReceiveCount(FILL_BMP_WITH_COLOR) > fills; },
                       WAIT_MS))
      throw std::runtime_error("the picture did not complete");
  }

 private:
  static std::string PrepareSettings(const std::string& path) {
    settings::IniFile ini(path);
    settings::WriteFirstRunDefaults(ini);
    ini.Write("MISC", "CURRSELTEXT", "Unit");
    ini.Write("MISC", "IPConnectTimeMS", "3000");
    settings::AddressEntry("Unit", "127.0.0.1", "Color always", settings::TCP_IP, false, "")
        .SaveToINI(ini);
    return path;
  }

 public:
  TempDir dir;  // the settings file's, for the viewer's lifetime
  platform::MessageLoop loop;
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessKeyboard keyboard;
  platform::HeadlessPointer pointer;
  core::ViewerCore core;
};

}  // namespace bench
