#include "OperatorTest.h"

#include <filesystem>

#include "settings/AddressBook.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"

namespace acceptance {

std::string DesktopName(const ::testing::TestParamInfo<Desktop>& info) {
  return info.param == Desktop::Openbox ? "UnderOpenbox" : "WithoutWindowManager";
}

INSTANTIATE_TEST_SUITE_P(Desktops, Operator, ::testing::Values(Desktop::Bare, Desktop::Openbox),
                         DesktopName);

void Operator::SetUp() {
  const std::optional<std::string> xvfb = FindXvfb();
  if (!xvfb) GTEST_SKIP() << "Xvfb is not installed (scripts/test.sh installs it)";
  std::optional<std::string> openbox;
  if (HasWindowManager()) {
    openbox = FindProgram("openbox");
    if (!openbox) GTEST_SKIP() << "openbox is not installed (scripts/test.sh installs it)";
  }
  m_x = std::make_unique<XSession>(*xvfb, SCREEN_WIDTH, SCREEN_HEIGHT);
  X().SetPointerControl(OWN_ACCELERATION);
  // The pointer rests in the corner, off the window and the unit's picture.
  X().MoveTo(SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1);
  if (!openbox) return;
  m_windowManager = std::make_unique<ChildProcess>(
      std::vector<std::string>{*openbox, "--sm-disable"},
      std::vector<std::string>{"DISPLAY=" + X().Name()}, m_dir.Path().string());
  ASSERT_TRUE(X().WaitForWindowManager(START_MS)) << "openbox did not start";
}

SimProcess& Operator::StartUnit(int port, std::vector<std::string> flags) {
  m_unit.reset();
  std::filesystem::remove(DumpPath());
  std::vector<std::string> all = {"--log-keys", "--log-mouse",      "--frame-interval-ms",
                                  "0",          "--no-fill-square", "--dump-frame",
                                  DumpPath()};
  if (port != 0) all.insert(all.end(), {"--listen", "127.0.0.1:" + std::to_string(port)});
  all.insert(all.end(), flags.begin(), flags.end());
  m_unit = std::make_unique<SimProcess>(all);
  return *m_unit;
}

void Operator::WriteSettings(const std::string& address, bool teaching,
                             const std::vector<std::pair<std::string, std::string>>& misc) {
  const std::string path = m_dir.File("Remote.ini");
  std::filesystem::remove(path);
  settings::IniFile ini(path);
  settings::WriteFirstRunDefaults(ini);
  settings::AddressBook book;
  book.InsertItem("Sim", address, "Color always", settings::TCP_IP, false, "");
  book.SetCurrentSelection(0);
  book.SaveToINI(ini);
  if (!teaching) {
    settings::WriteMisc(ini, "TEACH_PASSTHRU_EXIT_KEYS", "0");
    settings::WriteMisc(ini, "TEACH_FULLSCREEN_EXIT_KEYS", "0");
  }
  for (const auto& [name, value] : misc) settings::WriteMisc(ini, name, value);
}

void Operator::StartViewer(std::vector<std::string> arguments) {
  m_viewer.reset();
  m_main = None;
  // Under AddressSanitizer: the X keymap library copies counted strings with
  // strndup, which the strict string check reads as overruns, and the D-Bus
  // library Qt loads keeps a buffer to the end; the viewer's own code stays
  // checked by everything else.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const char* lsan = std::getenv("LSAN_OPTIONS");
  const std::string suppressions = m_dir.File("leaks.supp");
  WriteWholeFile(suppressions, "leak:libdbus-1.so\n");
  std::vector<std::string> args = {std::string(ORB_BIN_DIR) + "/tessaline-viewer", "--ini",
                                   m_dir.File("Remote.ini")};
  args.insert(args.end(), arguments.begin(), arguments.end());
  m_viewer = std::make_unique<ChildProcess>(
      args,
      std::vector<std::string>{
          "DISPLAY=" + X().Name(), "QT_QPA_PLATFORM=xcb",
          "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":strict_string_checks=0",
          "LSAN_OPTIONS=" + std::string(lsan ? lsan : "") + ":suppressions=" + suppressions},
      m_dir.Path().string());
  const std::optional<Window> main = X().WaitForWindow(MAIN_TITLE, START_MS);
  ASSERT_TRUE(main) << "the viewer's window did not come up; shown: " << Shown();
  m_main = *main;
}

ScreenRect Operator::MainGeometry() const { return m_x->Geometry(m_main).value_or(ScreenRect{}); }

void Operator::ClickStatusBar() {
  // A window manager may still be placing the window: clicked again where it is now.
  const bool focused = XSession::WaitFor<bool>(
                           [&]() -> std::optional<bool> {
                             const ScreenRect window = MainGeometry();
                             X().Click(window.x + 6, window.Bottom() - 6);
                             if (!X().WaitForFocus(m_main, 200)) return std::nullopt;
                             return true;
                           },
                           DIALOG_MS)
                           .has_value();
  X().MoveTo(SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1);
  ASSERT_TRUE(focused) << "a click on the window does not give it the keyboard";
  // A repaint comes after it has taken in the click and the focus.
  ASSERT_TRUE(X().Repaints(m_main, DIALOG_MS)) << "the window does not repaint";
}

void Operator::MenuCommand(KeySym menu, KeySym item) {
  X().Chord({XK_Alt_L, menu});
  ASSERT_TRUE(X().WaitForMenu(true, MENU_MS)) << "the menu did not open; shown: " << Shown();
  X().TypeKeysym(item);
  const bool closed = X().WaitForMenu(false, MENU_MS);
  if (!closed) {
    X().TypeKeysym(XK_Escape);
    X().TypeKeysym(XK_Escape);
  }
  ASSERT_TRUE(closed) << "the menu has no item under that letter";
}

void Operator::WaitForDialog(const std::string& title, Window& dialog) {
  const std::optional<Window> shown = X().WaitForWindowTitled(title, DIALOG_MS);
  ASSERT_TRUE(shown) << "no dialog \"" << title << "\"; shown: " << Shown();
  ASSERT_TRUE(X().WaitForFocus(*shown, DIALOG_MS))
      << "the dialog \"" << title << "\" does not have the keyboard";
  dialog = *shown;
}

void Operator::AnswerDialog(const std::string& title, KeySym key) {
  Window dialog = None;
  ASSERT_NO_FATAL_FAILURE(WaitForDialog(title, dialog));
  X().TypeKeysym(key);
  ASSERT_TRUE(X().WaitForWindowGone(dialog, DIALOG_MS))
      << "the dialog \"" << title << "\" stayed; shown: " << Shown();
}

void Operator::LogIn() {
  for (const char* question : {"the user's name", "the password"}) {
    SCOPED_TRACE(question);
    Window dialog = None;
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(LOGIN_TITLE, dialog));
    X().Type("admin\n");
    ASSERT_TRUE(X().WaitForWindowGone(dialog, DIALOG_MS)) << "the login dialog stayed";
  }
}

void Operator::LogInOutsidePassThrough() {
  ASSERT_NO_FATAL_FAILURE(LogIn());
  ASSERT_NO_FATAL_FAILURE(AnswerDialog(PRODUCT, XK_Escape));
  ASSERT_TRUE(X().WaitForFocus(m_main, DIALOG_MS))
      << "the window does not have the keyboard after the dialog";
}

void Operator::ConnectFromBookOutsidePassThrough() {
  StartUnit();
  WriteSettings(Unit().Address());
  ASSERT_NO_FATAL_FAILURE(StartViewer());
  ASSERT_NO_FATAL_FAILURE(ClickStatusBar());
  ASSERT_NO_FATAL_FAILURE(ConnectFromBook());
  ASSERT_NO_FATAL_FAILURE(LogInOutsidePassThrough());
}

bool Operator::WaitForPassThrough(bool on) {
  return XSession::WaitFor<bool>(
             [&]() -> std::optional<bool> {
               if (X().PointerControl() != (on ? NO_ACCELERATION : OWN_ACCELERATION))
                 return std::nullopt;
               return true;
             },
             DIALOG_MS)
      .has_value();
}

PictureMatch Operator::WaitForUnitPicture(std::optional<int> width, bool scrolled) {
  PictureMatch last;
  XSession::WaitFor<bool>(
      [&]() -> std::optional<bool> {
        const std::optional<Picture> picture = ReadPicture(DumpPath());
        if (!picture || (width && picture->width != *width)) return std::nullopt;
        last = FindPicture(ScreenPicture(X()), *picture, MainGeometry(), scrolled);
        if (!last.found) return std::nullopt;
        return true;
      },
      PICTURE_MS);
  return last;
}

std::vector<uint32_t> Operator::StatusPanePixels() {
  constexpr int BAR_HEIGHT = 18;
  const ScreenRect window = MainGeometry();
  const Picture screen = ScreenPicture(X());
  std::vector<uint32_t> pixels;
  for (int y = std::max(window.Bottom() - BAR_HEIGHT, 0);
       y < std::min(window.Bottom(), screen.height); ++y)
    for (int x = std::max(window.x, 0); x < std::min(window.x + window.width / 2, screen.width);
         ++x)
      pixels.push_back(screen.At(x, y));
  return pixels;
}

bool Operator::StatusMessageShown() {
  int dark = 0;
  for (const uint32_t pixel : StatusPanePixels())
    dark += ((pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF)) < 3 * 128;
  return dark >= 10;
}

std::optional<std::string> Operator::OtherWindowWithin(int timeoutMs) {
  return XSession::WaitFor<std::string>(
      [&]() -> std::optional<std::string> {
        for (const std::string& title : X().ShownTitles())
          if (!title.empty() && title.rfind(MAIN_TITLE, 0) != 0 && title != "tessaline-viewer")
            return title;
        return std::nullopt;
      },
      timeoutMs);
}

std::string Operator::Shown() const {
  std::string titles;
  for (const std::string& title : m_x->ShownTitles())
    titles += (titles.empty() ? "\"" : ", \"") + title + "\"";
  return titles.empty() ? "nothing" : titles;
}

std::unique_ptr<ChildProcess> Operator::OwnClipboard(const std::string& data,
                                                     const std::string& type) {
  const std::string file = m_dir.File("clipboard");
  WriteWholeFile(file, data);
  // Without -quiet xclip leaves for the background, out of the test's reach.
  std::vector<std::string> args = {*FindProgram("xclip"), "-quiet", "-selection", "clipboard"};
  if (!type.empty()) args.insert(args.end(), {"-target", type});
  args.insert(args.end(), {"-in", file});
  auto owner = std::make_unique<ChildProcess>(
      args, std::vector<std::string>{"DISPLAY=" + X().Name()}, m_dir.Path().string());
  X().WaitForSelectionOwner("CLIPBOARD", DIALOG_MS);
  return owner;
}

}  // namespace acceptance
