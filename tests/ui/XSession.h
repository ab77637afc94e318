#pragma once
// A private X server for one test: Xvfb on a display number it picks itself
// (-displayfd), a client connection to it, and the few things a test does on
// it: start a program there, find a window by title, read pixels back, type.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// X11's headers define names that clash with Qt's; this file stays Qt-free.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

// A child process started with execv, stopped (SIGTERM, then waited for) at the end.
class ChildProcess {
 public:
  ChildProcess(std::vector<std::string> args, std::vector<std::string> environment,
               const std::string& workingDirectory, int keepFd = -1) {
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
      for (auto& entry : environment) ::putenv(entry.data());
      if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
      if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~ChildProcess() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool Running() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

 private:
  pid_t m_pid = -1;
};

// Where the Xvfb program is, or nothing when it is not installed.
inline std::optional<std::string> FindXvfb() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
    const std::string candidate = dir + "/Xvfb";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return std::nullopt;
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
  }
  ~XSession() {
    if (m_display) XCloseDisplay(m_display);
  }

  const std::string& Name() const { return m_name; }
  Display* Dpy() const { return m_display; }

  // A top-level window whose title starts with the text, searched through the tree.
  std::optional<Window> FindWindow(const std::string& titlePrefix) const {
    return Find(DefaultRootWindow(m_display), titlePrefix);
  }

  // Waits for a window whose title starts with the text.
  std::optional<Window> WaitForWindow(const std::string& titlePrefix, int timeoutMs) const {
    return WaitFor<Window>([&] { return FindWindow(titlePrefix); }, timeoutMs);
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

  void TypeKeysym(KeySym symbol) const {
    const KeyCode code = XKeysymToKeycode(m_display, symbol);
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    XSync(m_display, False);
  }
  // Lower-case letters, digits and Return ('\n').
  void Type(const std::string& text) const {
    for (char c : text) {
      TypeKeysym(c == '\n' ? XK_Return : static_cast<KeySym>(c));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
  void Click(int x, int y) const {
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
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
  std::optional<Window> Find(Window window, const std::string& prefix) const {
    char* name = nullptr;
    if (XFetchName(m_display, window, &name) && name) {
      const bool match = std::string(name).rfind(prefix, 0) == 0;
      XFree(name);
      XWindowAttributes attributes;
      if (match && XGetWindowAttributes(m_display, window, &attributes) &&
          attributes.map_state == IsViewable)
        return window;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, window, &root, &parent, &children, &count)) return std::nullopt;
    std::optional<Window> found;
    for (unsigned i = 0; i < count && !found; ++i) found = Find(children[i], prefix);
    if (children) XFree(children);
    return found;
  }

  std::unique_ptr<ChildProcess> m_server;
  std::string m_name;
  Display* m_display = nullptr;
};
