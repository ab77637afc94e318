#pragma once
// A private X server for one test: Xvfb on a display number it picks itself
// (-displayfd), a client connection to it, and what an operator does on it
// from outside the programs under test: start a program there, find its
// windows by title, type and click through XTest, resize and close windows,
// read the pixels back, and see whether a window's program still repaints it.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// X11's headers define names that clash with Qt's; this file stays Qt-free.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

// A child process started with execve, stopped (SIGTERM, then SIGKILL when it
// does not go) and waited for at the end.
class ChildProcess {
 public:
  // environment: NAME=VALUE entries set over the test's own environment.
  ChildProcess(std::vector<std::string> args, const std::vector<std::string>& environment,
               const std::string& workingDirectory, int keepFd = -1) {
    // Everything is built before fork: the child of a threaded process may not allocate.
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      const std::string name = text.substr(0, text.find('='));
      bool replaced = false;
      for (const std::string& own : environment) replaced |= own.rfind(name + "=", 0) == 0;
      if (!replaced) entries.push_back(text);
    }
    entries.insert(entries.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (auto& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const char* directory = workingDirectory.empty() ? nullptr : workingDirectory.c_str();
    m_pid = ::fork();
    if (m_pid == 0) {
      if (directory && ::chdir(directory) != 0) ::_exit(126);
      if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
  }
  ~ChildProcess() {
    if (m_pid <= 0 || m_status) return;
    ::kill(m_pid, SIGTERM);
    if (!WaitForExit(5000)) {
      ::kill(m_pid, SIGKILL);
      WaitForExit(5000);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return m_pid; }
  bool Running() { return m_pid > 0 && !Reap(WNOHANG); }
  void Signal(int number) const {
    if (m_pid > 0 && !m_status) ::kill(m_pid, number);
  }
  // The exit status once the process has ended (128 + the signal that ended
  // it), or nothing when it still runs after the time.
  std::optional<int> WaitForExit(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (Reap(WNOHANG)) return m_status;
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

 private:
  bool Reap(int options) {
    if (m_status) return true;
    int status = 0;
    if (::waitpid(m_pid, &status, options) != m_pid) return false;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
  }

  pid_t m_pid = -1;
  std::optional<int> m_status;
};

// Where a program is on the PATH, or nothing when it is not installed.
inline std::optional<std::string> FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
    const std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

inline std::optional<std::string> FindXvfb() { return FindProgram("Xvfb"); }

// A rectangle on the screen, in the root window's coordinates.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool operator==(const ScreenRect&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ScreenRect& rect) {
  return out << rect.width << "x" << rect.height << " at " << rect.x << "," << rect.y;
}

class XSession {
 public:
  XSession(const std::string& xvfb, int width, int height) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    m_server = std::make_unique<ChildProcess>(
        std::vector<std::string>{xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                 std::to_string(width) + "x" + std::to_string(height) + "x24",
                                 "-nolisten", "tcp"},
        std::vector<std::string>{}, "", fds[1]);
    ::close(fds[1]);
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) throw std::runtime_error("Xvfb did not start");
    m_name = ":" + number;
    m_display = XOpenDisplay(m_name.c_str());
    if (!m_display) throw std::runtime_error("cannot open " + m_name);
    // A window may go between finding it and asking about it; the answer is
    // then "no such window", never the end of the test program.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~XSession() {
    if (m_display) XCloseDisplay(m_display);
  }

  const std::string& Name() const { return m_name; }
  Display* Dpy() const { return m_display; }

  // A shown window whose title starts with the text, searched through the tree.
  std::optional<Window> FindWindow(const std::string& titlePrefix) const {
    return Find(DefaultRootWindow(m_display),
                [&](const std::string& title) { return title.rfind(titlePrefix, 0) == 0; });
  }
  // A shown window whose title is the text.
  std::optional<Window> FindWindowTitled(const std::string& title) const {
    return Find(DefaultRootWindow(m_display),
                [&](const std::string& name) { return name == title; });
  }
  std::optional<Window> WaitForWindow(const std::string& titlePrefix, int timeoutMs) const {
    return WaitFor<Window>([&] { return FindWindow(titlePrefix); }, timeoutMs);
  }
  std::optional<Window> WaitForWindowTitled(const std::string& title, int timeoutMs) const {
    return WaitFor<Window>([&] { return FindWindowTitled(title); }, timeoutMs);
  }
  // Whether the window is gone (destroyed or no longer shown) within the time.
  bool WaitForWindowGone(Window window, int timeoutMs) const {
    return WaitFor<bool>(
               [&]() -> std::optional<bool> {
                 if (IsShown(window)) return std::nullopt;
                 return true;
               },
               timeoutMs)
        .has_value();
  }
  bool IsShown(Window window) const {
    XWindowAttributes attributes;
    return XGetWindowAttributes(m_display, window, &attributes) &&
           attributes.map_state == IsViewable;
  }
  // The titles of every shown window.
  std::vector<std::string> ShownTitles() const {
    std::vector<std::string> titles;
    Walk(DefaultRootWindow(m_display), [&](const std::string& title) { titles.push_back(title); });
    return titles;
  }

  // Where the window's inside is on the screen.
  std::optional<ScreenRect> Geometry(Window window) const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_display, window, &attributes)) return std::nullopt;
    int x = 0, y = 0;
    Window child;
    if (!XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y,
                               &child))
      return std::nullopt;
    return ScreenRect{x, y, attributes.width, attributes.height};
  }
  // A window manager would be asked for the size; without one it is given at once.
  void Resize(Window window, int width, int height) const {
    XResizeWindow(m_display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(m_display, False);
  }
  // What a window manager's close button sends.
  void Close(Window window) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XSync(m_display, False);
  }
  // Whether the window's program repaints it within the time: a patch of a
  // colour no program here draws is laid over the window and taken away, and
  // the window must paint over what it left (its background is its own to
  // paint, so the X server leaves the patch until the program does).
  bool Repaints(Window window, int timeoutMs) const {
    constexpr unsigned long PATCH = 0xFF00FE;  // beyond a 5-6-5 picture, and no widget's
    constexpr int SIZE = 32;
    const std::optional<ScreenRect> place = Geometry(window);
    if (!place || place->width < 2 * SIZE || place->height < 4 * SIZE) return false;
    const int x = place->x + SIZE / 4;
    const int y = place->Bottom() - 2 * SIZE;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = PATCH;
    const Window patch =
        XCreateWindow(m_display, DefaultRootWindow(m_display), x, y, SIZE, SIZE, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(m_display, patch);
    XSync(m_display, False);
    const auto patched = [&] {
      XImage* image =
          XGetImage(m_display, DefaultRootWindow(m_display), x, y, SIZE, SIZE, AllPlanes, ZPixmap);
      if (!image) return false;
      bool found = false;
      for (int row = 0; row < SIZE && !found; ++row)
        for (int column = 0; column < SIZE && !found; ++column)
          found = (XGetPixel(image, column, row) & 0xFFFFFF) == PATCH;
      XDestroyImage(image);
      return found;
    };
    const bool laid = patched();
    XDestroyWindow(m_display, patch);
    XSync(m_display, False);
    return laid && WaitFor<bool>(
                       [&]() -> std::optional<bool> {
                         if (patched()) return std::nullopt;
                         return true;
                       },
                       timeoutMs)
                       .has_value();
  }

  // A menu popped up: a shown window the window manager does not manage, of
  // a menu's size (a tool tip is lower; Qt does not always mark the window's
  // type as a menu's).
  bool MenuShown() const {
    constexpr int MENU_MIN = 40;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
      return false;
    bool shown = false;
    for (unsigned i = 0; i < count && !shown; ++i) {
      XWindowAttributes attributes;
      shown = XGetWindowAttributes(m_display, children[i], &attributes) &&
              attributes.map_state == IsViewable && attributes.override_redirect &&
              attributes.width >= MENU_MIN && attributes.height >= MENU_MIN;
    }
    if (children) XFree(children);
    return shown;
  }
  bool WaitForMenu(bool shown, int timeoutMs) const {
    return WaitFor<bool>(
               [&]() -> std::optional<bool> {
                 if (MenuShown() != shown) return std::nullopt;
                 return true;
               },
               timeoutMs)
        .has_value();
  }

  // A window manager names itself on the root window once it manages windows.
  bool WaitForWindowManager(int timeoutMs) const {
    const Atom check = XInternAtom(m_display, "_NET_SUPPORTING_WM_CHECK", False);
    return WaitFor<bool>(
               [&]() -> std::optional<bool> {
                 Atom actual;
                 int format;
                 unsigned long items, after;
                 unsigned char* data = nullptr;
                 const bool named = XGetWindowProperty(m_display, DefaultRootWindow(m_display),
                                                       check, 0, 1, False, XA_WINDOW, &actual,
                                                       &format, &items, &after, &data) == Success &&
                                    items == 1;
                 if (data) XFree(data);
                 if (!named) return std::nullopt;
                 return true;
               },
               timeoutMs)
        .has_value();
  }
  // Whether a program holds the selection (CLIPBOARD, PRIMARY) within the time.
  bool WaitForSelectionOwner(const char* selection, int timeoutMs) const {
    const Atom atom = XInternAtom(m_display, selection, False);
    return WaitFor<bool>(
               [&]() -> std::optional<bool> {
                 if (XGetSelectionOwner(m_display, atom) == None) return std::nullopt;
                 return true;
               },
               timeoutMs)
        .has_value();
  }

  // The window that has the keyboard, or one inside it.
  bool HasFocus(Window window) const {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    while (focus != None && focus != PointerRoot) {
      if (focus == window) return true;
      Window root, parent, *children = nullptr;
      unsigned count = 0;
      if (!XQueryTree(m_display, focus, &root, &parent, &children, &count)) return false;
      if (children) XFree(children);
      if (parent == root) return false;
      focus = parent;
    }
    return false;
  }
  bool WaitForFocus(Window window, int timeoutMs) const {
    return WaitFor<bool>(
               [&]() -> std::optional<bool> {
                 if (!HasFocus(window)) return std::nullopt;
                 return true;
               },
               timeoutMs)
        .has_value();
  }

  // The screen's pixels as 0xRRGGBB, row by row.
  std::vector<uint32_t> Screenshot(int& width, int& height) const {
    XWindowAttributes attributes;
    XGetWindowAttributes(m_display, DefaultRootWindow(m_display), &attributes);
    width = attributes.width;
    height = attributes.height;
    XImage* image =
        XGetImage(m_display, DefaultRootWindow(m_display), 0, 0, width, height, AllPlanes, ZPixmap);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        pixels[static_cast<size_t>(y) * width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
    XDestroyImage(image);
    return pixels;
  }

  void Press(KeySym symbol, bool down) const {
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, symbol), down ? True : False,
                      CurrentTime);
    XSync(m_display, False);
  }
  void TypeKeysym(KeySym symbol) const {
    Press(symbol, true);
    Press(symbol, false);
  }
  // Letters (upper-case ones with Shift held), digits, blanks and Return ('\n').
  void Type(const std::string& text, int gapMs = 20) const {
    for (char c : text) {
      if (c >= 'A' && c <= 'Z') {
        Chord({XK_Shift_L, static_cast<KeySym>(c - 'A' + 'a')});
      } else {
        TypeKeysym(c == '\n' ? XK_Return : c == ' ' ? XK_space : static_cast<KeySym>(c));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
    }
  }
  // Keys held together, pressed in order and released in reverse.
  void Chord(const std::vector<KeySym>& symbols) const {
    for (KeySym symbol : symbols)
      XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, symbol), True, CurrentTime);
    for (auto it = symbols.rbegin(); it != symbols.rend(); ++it)
      XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, *it), False, CurrentTime);
    XSync(m_display, False);
  }
  bool CapsLockLight() const {
    int index = 0;
    Bool on = False;
    XkbGetNamedIndicator(m_display, XInternAtom(m_display, "Caps Lock", False), &index, &on,
                         nullptr, nullptr);
    return on;
  }
  void MoveTo(int x, int y) const {
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
    XSync(m_display, False);
  }
  void Click(int x, int y) const {
    MoveTo(x, y);
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    XSync(m_display, False);
  }
  // The pointer's acceleration: numerator, denominator, threshold.
  std::array<int, 3> PointerControl() const {
    std::array<int, 3> control{};
    XGetPointerControl(m_display, &control[0], &control[1], &control[2]);
    return control;
  }
  void SetPointerControl(const std::array<int, 3>& control) const {
    XChangePointerControl(m_display, True, True, control[0], control[1], control[2]);
    XSync(m_display, False);
  }
  // The pointer moved by the amounts, as a mouse moves it.
  void MoveBy(int dx, int dy) const {
    XTestFakeRelativeMotionEvent(m_display, dx, dy, CurrentTime);
    XSync(m_display, False);
  }

  template <class T>
  static std::optional<T> WaitFor(const std::function<std::optional<T>()>& probe, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (auto found = probe()) return found;
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

 private:
  // The first shown window, depth first, whose title the test accepts.
  std::optional<Window> Find(Window window,
                             const std::function<bool(const std::string&)>& matches) const {
    char* name = nullptr;
    if (XFetchName(m_display, window, &name) && name) {
      const bool match = matches(name);
      XFree(name);
      if (match && IsShown(window)) return window;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, window, &root, &parent, &children, &count)) return std::nullopt;
    std::optional<Window> found;
    for (unsigned i = 0; i < count && !found; ++i) found = Find(children[i], matches);
    if (children) XFree(children);
    return found;
  }

  // Every shown window with a title, depth first.
  void Walk(Window window, const std::function<void(const std::string&)>& visit) const {
    char* name = nullptr;
    if (XFetchName(m_display, window, &name) && name) {
      const std::string title = name;
      XFree(name);
      if (IsShown(window)) visit(title);
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, window, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) Walk(children[i], visit);
    if (children) XFree(children);
  }

  std::unique_ptr<ChildProcess> m_server;
  std::string m_name;
  Display* m_display = nullptr;
};
