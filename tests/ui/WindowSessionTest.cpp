// The window's commands against orb-sim on loopback, without a screen: the
// clipboard typed as keys, and the picture sizes asked for in and out of full
// screen.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/Pictures.h"
#include "support/SimProcess.h"
#include "ui/Commands.h"
#include "ui/ViewerWindow.h"

namespace {

constexpr int WAIT_MS = 10000;

bool WaitUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > WAIT_MS) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// The unit's login questions, answered "admin" as they come up.
class LoginAnswerer {
 public:
  LoginAnswerer() {
    QObject::connect(&m_timer, &QTimer::timeout, [] {
      if (auto* question = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
        question->setTextValue("admin");
        question->accept();
      }
    });
    m_timer.start(10);
  }

 private:
  QTimer m_timer;
};

class WindowSessionTest : public ::testing::Test {
 protected:
  WindowSessionTest()
      : sim({"--log-keys", "--frame-interval-ms", "0", "--dump-frame", dir.File("unit.ppm")}) {
    WriteQuietFirstRun(setup.iniPath);
  }

  // The size of the picture the unit last drew for the viewer.
  QSize UnitPicture() {
    // Nothing drawn yet until the unit's first update is written out.
    if (!std::filesystem::exists(dir.File("unit.ppm"))) return {};
    const Picture picture = ReadPpm(dir.File("unit.ppm"));
    return {picture.width, picture.height};
  }

  TempDir dir;
  SimProcess sim;
  ui::ViewerWindowSetup setup = TestWindowSetup(dir);
};

}  // namespace

TEST_F(WindowSessionTest, PasteAsKeystrokesTypesTheClipboardOnTheUnit) {
  ui::ViewerWindow window(setup);
  window.Show();
  {
    LoginAnswerer answers;
    window.RunConnectProgress(sim.Address());
  }
  ASSERT_TRUE(WaitUntil([&] { return window.Core().Session().IsLoggedIn(); }));
  window.Core().Keyboard().ForcePassthruMode(false);

  QGuiApplication::clipboard()->setText("Hi!");
  window.OnCommand(ui::ID_EDIT_PASTE_KEYSTROKES);
  for (const char* key : {"KEY WM_KEYDOWN 00000010 002A0001", "KEY WM_KEYDOWN 00000048 00230001",
                          "KEY WM_KEYUP 00000048 C0230001", "KEY WM_KEYUP 00000010 C02A0001",
                          "KEY WM_KEYDOWN 00000049 00170001", "KEY WM_KEYUP 00000049 C0170001",
                          "KEY WM_KEYDOWN 00000010 002A0001", "KEY WM_KEYDOWN 00000031 00020001"})
    EXPECT_TRUE(sim.WaitForLine(key, std::chrono::seconds(10))) << key;
  // The operator's mode is given back.
  EXPECT_FALSE(window.Core().Keyboard().IsPassthru());
}

TEST_F(WindowSessionTest, AbortStopsTheTypingBetweenKeys) {
  ui::ViewerWindow window(setup);
  window.Show();
  {
    LoginAnswerer answers;
    window.RunConnectProgress(sim.Address());
  }
  ASSERT_TRUE(WaitUntil([&] { return window.Core().Session().IsLoggedIn(); }));
  window.Core().Keyboard().ForcePassthruMode(false);

  // Long enough to take seconds; the operator aborts once some keys went.
  QGuiApplication::clipboard()->setText(QString(600, 'a') + "z");
  QTimer abort;
  QObject::connect(&abort, &QTimer::timeout, [] {
    auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    if (progress && progress->value() >= 16) progress->findChild<QPushButton*>()->click();
  });
  abort.start(10);
  window.OnCommand(ui::ID_EDIT_PASTE_KEYSTROKES);
  EXPECT_TRUE(sim.WaitForLine("KEY WM_KEYDOWN 00000041", std::chrono::seconds(5)));
  EXPECT_FALSE(sim.WaitForLine("KEY WM_KEYDOWN 0000005A", std::chrono::seconds(1)));
  EXPECT_TRUE(window.Core().Keyboard().IsIdle());
  EXPECT_FALSE(window.Core().Keyboard().IsPassthru());
}

TEST_F(WindowSessionTest, FullScreenAsksForTheScreensSizeAndLeavingForTheWindows) {
  ui::ViewerWindow window(setup);
  window.Show();
  {
    LoginAnswerer answers;
    window.RunConnectProgress(sim.Address());
  }
  ASSERT_TRUE(WaitUntil([&] { return window.Core().Session().IsLoggedIn(); }));
  const QSize windowed = window.Frame().View().size();
  ASSERT_TRUE(WaitUntil([&] { return UnitPicture() == windowed; }));

  const platform::Size screen = window.Core().Geometry().LocalScreen();
  window.OnCommand(ui::ID_VIEW_FULL_SCREEN);
  ASSERT_TRUE(window.IsFullScreen());
  EXPECT_TRUE(WaitUntil([&] { return UnitPicture() == QSize(screen.width, screen.height); }))
      << UnitPicture().width() << " x " << UnitPicture().height();
  // Full screen brings pass-through; leaving it leaves full screen too.
  EXPECT_TRUE(window.Core().Keyboard().IsPassthru());
  // The status bar's first pane says where keys and mouse go.
  EXPECT_TRUE(WaitUntil([&] {
    return window.Frame().PassThroughIndicatorTip().contains("go to the remote computer");
  }));

  // Asked for while pass-through ends, the window leaves once that is done.
  window.Core().Keyboard().ForcePassthruMode(false);
  EXPECT_TRUE(WaitUntil([&] { return !window.IsFullScreen(); }));
  EXPECT_TRUE(WaitUntil(
      [&] { return window.Frame().PassThroughIndicatorTip().contains("stay on this computer"); }));
  EXPECT_TRUE(WaitUntil([&] { return UnitPicture() == windowed; }))
      << UnitPicture().width() << " x " << UnitPicture().height();
}
