// The window under a real X server: tessaline-viewer connects to orb-sim, its
// pixels as the X server holds them show the unit's picture, keys typed on the
// X server reach the unit, in pass-through the lock lights follow the unit
// and are given back on leaving, and a click in the view enters pass-through
// again, after which buttons and movement reach the unit.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/SimProcess.h"
#include "support/XSession.h"

namespace {

constexpr int SCREEN_WIDTH = 1280;
constexpr int SCREEN_HEIGHT = 1024;
constexpr int WAIT_MS = 20000;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB
};

std::optional<Picture> ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  Picture picture;
  if (!(in >> magic >> picture.width >> picture.height >> maxValue) || magic != "P6")
    return std::nullopt;
  in.get();
  std::vector<unsigned char> bytes(static_cast<size_t>(picture.width) * picture.height * 3);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return std::nullopt;
  for (size_t i = 0; i < bytes.size(); i += 3)
    picture.pixels.push_back(bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
  return picture;
}

// The share of the picture's top-left block that the screen shows at the offset.
double Match(const std::vector<uint32_t>& screen, const Picture& picture, int dx, int dy) {
  constexpr int BLOCK_W = 320;
  constexpr int BLOCK_H = 240;
  int same = 0;
  for (int y = 0; y < BLOCK_H; y += 2)
    for (int x = 0; x < BLOCK_W; x += 2)
      same += screen[static_cast<size_t>(y + dy) * SCREEN_WIDTH + x + dx] ==
              picture.pixels[static_cast<size_t>(y) * picture.width + x];
  return same / double(BLOCK_W / 2 * BLOCK_H / 2);
}

// Where on the screen the unit's picture appears, if it does.
std::optional<std::pair<int, int>> FindPicture(const XSession& x, const Picture& picture) {
  int width = 0, height = 0;
  const std::vector<uint32_t> screen = x.Screenshot(width, height);
  for (int dy = 0; dy <= 160; ++dy)
    for (int dx = 0; dx <= 40; ++dx)
      if (Match(screen, picture, dx, dy) > 0.98) return std::pair{dx, dy};
  return std::nullopt;
}

}  // namespace

TEST(RealX, TheWindowShowsTheUnitsPictureAndItsKeysReachTheUnit) {
  const std::optional<std::string> xvfb = FindXvfb();
  if (!xvfb) GTEST_SKIP() << "Xvfb is not installed (scripts/test.sh installs it)";

  TempDir dir;
  const std::string dump = dir.File("unit.ppm");
  SimProcess sim({"--log-keys", "--log-mouse", "--frame-interval-ms", "0", "--no-fill-square",
                  "--dump-frame", dump});
  {
    settings::IniFile ini(dir.File("Remote.ini"));
    settings::WriteFirstRunDefaults(ini);
    // The teaching dialogs would stand between the typed keys and the view.
    settings::WriteMisc(ini, "TEACH_PASSTHRU_EXIT_KEYS", "0");
    settings::WriteMisc(ini, "TEACH_FULLSCREEN_EXIT_KEYS", "0");
  }

  // Under AddressSanitizer: the X keymap library copies counted strings with
  // strndup, which the strict string check reads as overruns; the viewer's own
  // code stays checked by everything else.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string viewerAsan =
      "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":strict_string_checks=0";

  XSession x(*xvfb, SCREEN_WIDTH, SCREEN_HEIGHT);
  // The operator's own acceleration, which pass-through switches off.
  const std::array<int, 3> ownAcceleration{3, 2, 5};
  x.SetPointerControl(ownAcceleration);
  ChildProcess viewer({std::string(ORB_BIN_DIR) + "/tessaline-viewer", "-ConnectTo", sim.Address(),
                       "-WindowPos", "0,0,1200,1000", "--ini", dir.File("Remote.ini")},
                      {"DISPLAY=" + x.Name(), "QT_QPA_PLATFORM=xcb", viewerAsan},
                      dir.Path().string());

  // The unit asks for a user and a password; each question is its own dialog.
  for (int question = 0; question < 2; ++question) {
    ASSERT_TRUE(x.WaitForWindow("Tessaline Login", WAIT_MS)) << "question " << question;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    x.Type("admin\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }

  // The unit's picture, read back from the X server, where the window shows it.
  const auto picture = XSession::WaitFor<Picture>(
      [&]() -> std::optional<Picture> {
        auto read = ReadPpm(dump);
        return read && read->width >= 320 && read->height >= 240 ? read : std::nullopt;
      },
      WAIT_MS);
  ASSERT_TRUE(picture) << "orb-sim wrote no picture";
  const auto at = XSession::WaitFor<std::pair<int, int>>(
      [&] { return FindPicture(x, *ReadPpm(dump)); }, WAIT_MS);
  ASSERT_TRUE(at) << "the window does not show the unit's picture";

  // A click in the view gives it the keyboard; typed keys go to the unit.
  x.Click(at->first + 600, at->second + 500);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  x.Type("q");
  EXPECT_TRUE(sim.WaitForLine("KEY WM_KEYDOWN 00000051 00100001", std::chrono::seconds(10)));
  EXPECT_TRUE(sim.WaitForLine("KEY WM_KEYUP 00000051 C0100001", std::chrono::seconds(10)));

  // The viewer is in pass-through since the login, without acceleration:
  // Caps Lock goes to the unit, whose light answers.
  EXPECT_EQ(x.PointerControl(), (std::array<int, 3>{1, 1, 0}));
  ASSERT_FALSE(x.CapsLockLight());
  x.TypeKeysym(XK_Caps_Lock);
  EXPECT_TRUE(sim.WaitForLine("KEY WM_KEYDOWN 00000014 003A0001", std::chrono::seconds(10)));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(x.CapsLockLight());
  // Leaving by the hotkey gives the local light back, without a key of its own
  // reaching the unit.
  x.Chord({XK_Control_L, XK_Alt_L, XK_p});
  EXPECT_TRUE(XSession::WaitFor<bool>(
      [&]() -> std::optional<bool> {
        if (x.CapsLockLight()) return std::nullopt;
        return true;
      },
      WAIT_MS));
  EXPECT_FALSE(sim.WaitForLine("KEY WM_KEYDOWN 00000014", std::chrono::seconds(1)));
  EXPECT_EQ(x.PointerControl(), ownAcceleration);

  // A click in the view is the viewer's and enters pass-through: typed keys
  // go to the unit again.
  x.Click(at->first + 300, at->second + 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  x.Type("w");
  EXPECT_TRUE(sim.WaitForLine("KEY WM_KEYDOWN 00000057", std::chrono::seconds(10)));
  // In pass-through a click is sent whole, and the pointer's movement goes as
  // relative motion (MOUSE <message> <wParam> <lParam> <dx> <dy>). The first
  // movements after a change of the view are not sent.
  x.Click(at->first + 500, at->second + 400);
  EXPECT_TRUE(sim.WaitForLine("MOUSE 00000201 00000001 ", std::chrono::seconds(10)));
  EXPECT_TRUE(sim.WaitForLine("MOUSE 00000202 00000000 ", std::chrono::seconds(10)));
  for (int step = 0; step < 5; ++step) {
    x.MoveBy(0, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const auto moved = sim.WaitForLine("MOUSE 00000200 00000000 ", std::chrono::seconds(10));
  ASSERT_TRUE(moved);
  std::istringstream fields(*moved);
  std::string word, message, wParam, lParam;
  int dx = 0, dy = 0;
  fields >> word >> message >> wParam >> lParam >> dx >> dy;
  EXPECT_EQ(dx, 0) << *moved;
  EXPECT_GT(dy, 0) << *moved;
  EXPECT_TRUE(viewer.Running());
}
