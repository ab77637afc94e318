#pragma once
// What the core asks of the desktop it runs on: the view's window, dialogs for
// the operator, the local keyboard and the local pointer. The graphical shell
// implements these over its toolkit; the Headless* classes implement them for
// the command-line client and the tests.
//
// Threads: every method of every port here is for the window thread only (the
// thread that runs the WindowThread loop; in the graphical shell the toolkit's
// main thread, where its widgets live). The connect and monitor threads post
// what the operator must see to the window thread instead of calling a port.
// The headless ports abort on a call from any other thread, so a slip fails
// the test that makes it.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive, as in client rectangles.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class ScrollBar { Horizontal, Vertical };

struct ScrollBarState {
  bool visible = false;
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;
  friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

// The view window and the main window around it. Window thread only.
class ViewWindow {
 public:
  virtual ~ViewWindow() = default;

  // Client area, origin 0,0; nothing while the view has no window.
  virtual std::optional<Rect> ClientRect() const = 0;
  // Where the client area's origin lies on the screen.
  virtual std::optional<Point> ClientOrigin() const = 0;
  // The view window's outer rectangle in screen coordinates.
  virtual std::optional<Rect> WindowRect() const = 0;
  // Marks a part of the view (all of it without a rectangle) for repainting.
  virtual bool Invalidate(const std::optional<Rect>& area, bool erase) = 0;
  virtual void InvalidateMainWindow(bool erase) = 0;

  virtual void SetScrollBar(ScrollBar bar, const ScrollBarState& state) = 0;
  virtual ScrollBarState GetScrollBar(ScrollBar bar) const = 0;
  // The thickness of a vertical bar (width) and of a horizontal one (height).
  virtual Size ScrollBarThickness() const = 0;

  // The main window in screen coordinates, moved as a whole.
  virtual std::optional<Rect> MainWindowRect() const = 0;
  virtual bool MoveMainWindow(const Rect& rect) = 0;
  virtual void MaximiseMainWindow() = 0;
  // Leaves the maximised state; the window keeps its present place and size.
  virtual void ClearMaximised() = 0;
  virtual void SetMainWindowTopmost(bool topmost) = 0;

  // Panes of the main window's status bar, counted from 0.
  virtual void SetStatusText(int pane, const std::string& text) = 0;
  virtual void SetTitle(const std::string& title) = 0;

  // The full-screen window: the view's full-screen command, which the
  // full-screen hotkey gives and leaving pass-through ends.
  virtual bool IsFullScreen() const = 0;
  virtual void ToggleFullScreen() = 0;

  // The local screen; nothing when it cannot be read.
  virtual std::optional<Size> LocalScreenSize() const = 0;
};

enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class DialogIcon { None, Information, Warning, Error, Question };
enum class DialogChoice { Ok, Cancel, Yes, No, Retry };

// The operator's answer to a dialog that explains how to leave a mode.
struct TeachingAnswer {
  bool proceed = false;        // OK rather than Cancel
  bool dontShowAgain = false;  // the box for not showing the dialog again
};

// Modal exchanges with the operator. Each returns once the operator answered.
// Window thread only.
class OperatorDialogs {
 public:
  virtual ~OperatorDialogs() = default;

  virtual DialogChoice MessageBox(const std::string& title, const std::string& text,
                                  DialogButtons buttons, DialogIcon icon) = 0;
  // A short title with the failure's full text as details.
  virtual void ShowError(const std::string& title, const std::string& details) = 0;
  // A long text in a scrollable box.
  virtual void ShowText(const std::string& title, const std::string& text) = 0;
  // A message window that closes by itself after the given seconds.
  virtual void ShowTimedMessage(const std::string& title, const std::string& text, int seconds) = 0;
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
  // How to leave the mode about to be entered, with OK, Cancel and a box for
  // not showing it again.
  virtual TeachingAnswer TeachExitKeys(const std::string& title, const std::string& text) = 0;
  // Nothing when the operator cancelled.
  virtual std::optional<std::string> PromptText(const std::string& title, const std::string& prompt,
                                                const std::string& initial) = 0;
  virtual std::optional<std::string> PromptPassword(const std::string& title,
                                                    const std::string& prompt) = 0;
  // filter: "Description|*.ext" pairs joined by "|".
  virtual std::optional<std::string> ChooseFileToOpen(const std::string& title,
                                                      const std::string& filter) = 0;
  virtual std::optional<std::string> ChooseFileToSave(const std::string& title,
                                                      const std::string& filter,
                                                      const std::string& suggestedName) = 0;
};

// Lock-state byte, as the unit reports it in KBD_LEDS.
inline constexpr uint8_t LOCK_SCROLL = 0x01;
inline constexpr uint8_t LOCK_NUM = 0x02;
inline constexpr uint8_t LOCK_CAPS = 0x04;

// Virtual-key codes of the lock keys.
inline constexpr int VK_CAPITAL = 0x14;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;

// The local keyboard. Window thread only.
class KeyboardDevice {
 public:
  virtual ~KeyboardDevice() = default;

  // Whether the key (a virtual-key code) is held down now.
  virtual bool IsKeyDown(int virtualKey) const = 0;
  // The lock keys' toggle states as a lock-state byte.
  virtual uint8_t LockLights() const = 0;
  // Sets the lock keys' states directly, without key events.
  virtual void SetLockLights(uint8_t lights) = 0;
  // Injects a key event as if typed locally; a lock key's press toggles it.
  // Throws TextError with the platform's reason when no key can be injected.
  virtual void SendSyntheticKey(int virtualKey, int scanCode, bool keyUp) = 0;

  // Captures system keys for the view, which receives them as grabbed keys.
  virtual bool StartGrab() = 0;
  virtual void EndGrab() = 0;
  virtual bool IsGrabbed() const = 0;

  // The keyboard layout's identifier in the form the unit's users know:
  // "00000409" for US English.
  virtual std::string LayoutName() const = 0;
};

// The local mouse parameters that amplify motion.
struct MouseAcceleration {
  int threshold1 = 0;
  int threshold2 = 0;
  int acceleration = 0;
  friend bool operator==(const MouseAcceleration&, const MouseAcceleration&) = default;
};

// The local pointer. Window thread only.
class PointerDevice {
 public:
  virtual ~PointerDevice() = default;

  // Screen coordinates.
  virtual Point CursorPosition() const = 0;
  // Throws TextError with the platform's reason when the cursor cannot move.
  virtual void SetCursorPosition(Point screenPoint) = 0;
  virtual void ShowCursor(bool visible) = 0;
  // Keeps the cursor inside the screen rectangle; nothing releases it.
  virtual void Confine(const std::optional<Rect>& screenArea) = 0;
  // Nothing when the parameters cannot be read.
  virtual std::optional<MouseAcceleration> GetAcceleration() const = 0;
  virtual bool SetAcceleration(const MouseAcceleration& acceleration) = 0;
};

}  // namespace platform
