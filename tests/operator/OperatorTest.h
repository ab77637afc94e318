#pragma once
// The real tessaline-viewer on a private X server, once on a bare X server and
// once under openbox, against orb-sim, driven only from outside: XTest keys
// and clicks, windows found by their titles, the X server's pixels compared
// with the unit's own picture, and the unit's key log as the remote
// computer's view.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "UnitKeys.h"
#include "UnitPicture.h"
#include "settings/TempDir.h"
#include "support/SimProcess.h"
#include "support/XSession.h"

namespace acceptance {

enum class Desktop { Bare, Openbox };
inline void PrintTo(Desktop desktop, std::ostream* out) {
  *out << (desktop == Desktop::Openbox ? "openbox" : "no window manager");
}

inline constexpr int SCREEN_WIDTH = 1280;
inline constexpr int SCREEN_HEIGHT = 1024;
// Generous bounds for a busy machine or a sanitizer build, never a sleep.
inline constexpr int START_MS = 15000;
inline constexpr int DIALOG_MS = 10000;
inline constexpr int MENU_MS = 3000;
inline constexpr int PICTURE_MS = 10000;
inline constexpr std::chrono::milliseconds KEYS_TIMEOUT(5000);

inline constexpr const char* PRODUCT = "Tessaline";
inline constexpr const char* MAIN_TITLE = "Tessaline Viewer";
inline constexpr const char* LOGIN_TITLE = "Tessaline Login";
// The operator's own pointer acceleration, which pass-through switches off.
inline constexpr std::array<int, 3> OWN_ACCELERATION{3, 2, 5};
inline constexpr std::array<int, 3> NO_ACCELERATION{1, 1, 0};

class Operator : public ::testing::TestWithParam<Desktop> {
 protected:
  void SetUp() override;

  XSession& X() { return *m_x; }
  bool HasWindowManager() const { return GetParam() == Desktop::Openbox; }
  std::string DumpPath() const { return m_dir.File("unit.ppm"); }

  // The unit on a loopback port (its own choice unless given), logging keys
  // and mouse and dumping its picture; stops the one before.
  SimProcess& StartUnit(int port = 0, std::vector<std::string> flags = {});
  SimProcess& Unit() { return *m_unit; }

  // The settings file: the address book's only unit, "Sim", at the address;
  // the dialogs that tell the way out of full screen and pass-through, on or
  // off; further MISC values.
  void WriteSettings(const std::string& address, bool teaching = true,
                     const std::vector<std::pair<std::string, std::string>>& misc = {});
  // Starts the viewer with the settings file and the arguments, and waits
  // for its main window.
  void StartViewer(std::vector<std::string> arguments = {});
  ChildProcess& Viewer() { return *m_viewer; }
  Window Main() const { return m_main; }
  ScreenRect MainGeometry() const;

  // Gives the main window the keyboard as an operator does without a window
  // manager: a click on it, on the status bar, away from the view.
  void ClickStatusBar();
  // A menu command by its mnemonics: Alt and the menu's letter, then the item's.
  void MenuCommand(KeySym menu, KeySym item);
  // Connect → Connect, to the address book's current unit.
  void ConnectFromBook() { MenuCommand(XK_c, XK_c); }
  // Answers the unit's two questions, user then password, each in its own dialog.
  void LogIn();
  // Logs in and declines the pass-through the teaching dialog offers after
  // the login, so that the keys are the window's (the teaching dialogs on).
  void LogInOutsidePassThrough();
  // The way most tests begin: the unit, the settings (teaching dialogs on),
  // the viewer, connected from the address book and logged in outside
  // pass-through.
  void ConnectFromBookOutsidePassThrough();
  // Waits for a dialog with the title to have the keyboard.
  void WaitForDialog(const std::string& title, Window& dialog);
  // Presses the key in the dialog with the title, and waits for it to go.
  void AnswerDialog(const std::string& title, KeySym key);
  // The pass-through hotkey, Left Ctrl+Alt+P.
  void PassThroughHotkey() { X().Chord({XK_Control_L, XK_Alt_L, XK_p}); }

  // Pass-through is seen from outside by the pointer's acceleration, which
  // it switches off and gives back on leaving.
  bool WaitForPassThrough(bool on);

  // Waits until the window shows the unit's latest picture pixel for pixel:
  // a picture the unit drew at the width the view asks for (none: any), all
  // of it, or a large part when the view scrolls.
  PictureMatch WaitForUnitPicture(std::optional<int> width = std::nullopt, bool scrolled = false);
  // The status bar's message pane (the left half of the bar's lowest rows).
  std::vector<uint32_t> StatusPanePixels();
  // Whether the message pane holds any text: dark pixels on its light grey.
  bool StatusMessageShown();
  // The title of a window other than the viewer's main window and its menus
  // (untitled, or titled with the program's name): a dialog, a message,
  // shown within the time.
  std::optional<std::string> OtherWindowWithin(int timeoutMs);
  // Every shown window's title, for failure messages.
  std::string Shown() const;
  // A program other than the viewer (xclip) that holds the clipboard and
  // offers the data as the type (none: as text), for as long as the test keeps it.
  // (The one before must have gone, or the test would find it holding the clipboard.)
  std::unique_ptr<ChildProcess> OwnClipboard(const std::string& data, const std::string& type = "");

 private:
  TempDir m_dir;
  std::unique_ptr<XSession> m_x;
  std::unique_ptr<ChildProcess> m_windowManager;
  std::unique_ptr<SimProcess> m_unit;
  std::unique_ptr<ChildProcess> m_viewer;
  Window m_main = None;
};

std::string DesktopName(const ::testing::TestParamInfo<Desktop>& info);

}  // namespace acceptance
