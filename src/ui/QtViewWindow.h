#pragma once
// The ViewWindow port over the main frame: the view's client area is the view
// widget (the scroll bars lie beside it, not over it), the main window is the
// frame with its decoration.

#include <functional>

#include "platform/Desktop.h"
#include "ui/MainFrame.h"

namespace ui {

class QtViewWindow : public platform::ViewWindow {
 public:
  explicit QtViewWindow(MainFrame& frame) : m_frame(frame) {}

  // Full screen is the owner's: its toggle, and whether it is on.
  void SetFullScreen(std::function<void()> toggle, std::function<bool()> isOn) {
    m_onFullScreen = std::move(toggle);
    m_isFullScreen = std::move(isOn);
  }

  std::optional<platform::Rect> ClientRect() const override;
  std::optional<platform::Point> ClientOrigin() const override;
  std::optional<platform::Rect> WindowRect() const override;
  bool Invalidate(const std::optional<platform::Rect>& area, bool erase) override;
  void InvalidateMainWindow(bool erase) override;
  void SetScrollBar(platform::ScrollBar bar, const platform::ScrollBarState& state) override;
  platform::ScrollBarState GetScrollBar(platform::ScrollBar bar) const override;
  platform::Size ScrollBarThickness() const override;
  std::optional<platform::Rect> MainWindowRect() const override;
  bool MoveMainWindow(const platform::Rect& rect) override;
  void MaximiseMainWindow() override;
  void ClearMaximised() override;
  void SetMainWindowTopmost(bool topmost) override;
  void SetStatusText(int pane, const std::string& text) override;
  void SetTitle(const std::string& title) override;
  bool IsFullScreen() const override;
  void ToggleFullScreen() override;
  std::optional<platform::Size> LocalScreenSize() const override;

 private:
  MainFrame& m_frame;
  std::function<void()> m_onFullScreen;
  std::function<bool()> m_isFullScreen;
};

}  // namespace ui
