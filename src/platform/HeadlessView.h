#pragma once
// A view without a screen: its sizes are set by the test or the command-line
// client, and everything the core does to it is recorded for inspection.
// Moving or maximising the main window resizes the client area by a fixed
// frame, as a real window manager would.

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Desktop.h"
#include "platform/WindowThreadCheck.h"

namespace platform {

class HeadlessView : public ViewWindow {
 public:
  // Border widths between the main window's outside and the view's client area.
  static constexpr int FRAME_LEFT = 8;
  static constexpr int FRAME_TOP = 54;
  static constexpr int FRAME_RIGHT = 8;
  static constexpr int FRAME_BOTTOM = 8;

  struct Invalidation {
    bool mainWindow = false;
    std::optional<Rect> area;  // nothing: the whole window
    bool erase = false;
  };

  explicit HeadlessView(Size client = {1024, 768}, Size screen = {1920, 1080});

  std::optional<Rect> ClientRect() const override;
  std::optional<Point> ClientOrigin() const override;
  std::optional<Rect> WindowRect() const override;
  bool Invalidate(const std::optional<Rect>& area, bool erase) override;
  void InvalidateMainWindow(bool erase) override;
  void SetScrollBar(ScrollBar bar, const ScrollBarState& state) override;
  ScrollBarState GetScrollBar(ScrollBar bar) const override;
  Size ScrollBarThickness() const override;
  std::optional<Rect> MainWindowRect() const override;
  bool MoveMainWindow(const Rect& rect) override;
  void MaximiseMainWindow() override;
  void ClearMaximised() override;
  void SetMainWindowTopmost(bool topmost) override;
  void SetStatusText(int pane, const std::string& text) override;
  void SetTitle(const std::string& title) override;
  bool IsFullScreen() const override;
  void ToggleFullScreen() override;
  std::optional<Size> LocalScreenSize() const override;

  // Set-up. The size listener runs (outside the view's lock) whenever the
  // client size changes, so an owner can deliver WM_SIZE.
  void SetClientSize(Size client);
  void SetLocalScreenSize(std::optional<Size> screen);
  void SetHasWindow(bool hasWindow);
  void SetSizeListener(std::function<void(Size)> listener);

  // Inspection.
  std::vector<Invalidation> Invalidations() const;
  void ClearInvalidations();
  std::string Title() const;
  std::string StatusText(int pane) const;
  bool IsMaximised() const;
  bool IsTopmost() const;

 private:
  // Caller holds m_mutex; returns the listener to call once it is released.
  std::function<void(Size)> PlaceMainWindow(const Rect& rect);
  Size ClientSizeLocked() const;

  mutable std::mutex m_mutex;
  Rect m_main;
  std::optional<Size> m_screen;
  bool m_hasWindow = true;
  bool m_maximised = false;
  bool m_topmost = false;
  bool m_fullScreen = false;
  std::string m_title;
  std::map<int, std::string> m_status;
  std::map<ScrollBar, ScrollBarState> m_scrollBars;
  std::vector<Invalidation> m_invalidations;
  std::function<void(Size)> m_sizeListener;
  WindowThreadCheck m_windowThread;
};

}  // namespace platform
