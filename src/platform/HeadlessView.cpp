#include "platform/HeadlessView.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {
constexpr int MAIN_WINDOW_LEFT = 100;
constexpr int MAIN_WINDOW_TOP = 100;
constexpr int FRAME_WIDTH = HeadlessView::FRAME_LEFT + HeadlessView::FRAME_RIGHT;
constexpr int FRAME_HEIGHT = HeadlessView::FRAME_TOP + HeadlessView::FRAME_BOTTOM;
}  // namespace

HeadlessView::HeadlessView(Size client, Size screen)
    : m_main{MAIN_WINDOW_LEFT, MAIN_WINDOW_TOP, MAIN_WINDOW_LEFT + client.width + FRAME_WIDTH,
             MAIN_WINDOW_TOP + client.height + FRAME_HEIGHT},
      m_screen(screen) {}

Size HeadlessView::ClientSizeLocked() const {
  return {std::max(0, m_main.Width() - FRAME_WIDTH), std::max(0, m_main.Height() - FRAME_HEIGHT)};
}

std::optional<Rect> HeadlessView::ClientRect() const {
  m_windowThread.Check("ViewWindow::ClientRect");
  std::lock_guard lock(m_mutex);
  if (!m_hasWindow) return std::nullopt;
  const Size client = ClientSizeLocked();
  return Rect{0, 0, client.width, client.height};
}

std::optional<Point> HeadlessView::ClientOrigin() const {
  m_windowThread.Check("ViewWindow::ClientOrigin");
  std::lock_guard lock(m_mutex);
  if (!m_hasWindow) return std::nullopt;
  return Point{m_main.left + FRAME_LEFT, m_main.top + FRAME_TOP};
}

std::optional<Rect> HeadlessView::WindowRect() const {
  m_windowThread.Check("ViewWindow::WindowRect");
  std::lock_guard lock(m_mutex);
  if (!m_hasWindow) return std::nullopt;
  const Size client = ClientSizeLocked();
  const int left = m_main.left + FRAME_LEFT;
  const int top = m_main.top + FRAME_TOP;
  return Rect{left, top, left + client.width, top + client.height};
}

bool HeadlessView::Invalidate(const std::optional<Rect>& area, bool erase) {
  m_windowThread.Check("ViewWindow::Invalidate");
  std::lock_guard lock(m_mutex);
  if (!m_hasWindow) return false;
  m_invalidations.push_back({false, area, erase});
  return true;
}

void HeadlessView::InvalidateMainWindow(bool erase) {
  m_windowThread.Check("ViewWindow::InvalidateMainWindow");
  std::lock_guard lock(m_mutex);
  m_invalidations.push_back({true, std::nullopt, erase});
}

void HeadlessView::SetScrollBar(ScrollBar bar, const ScrollBarState& state) {
  m_windowThread.Check("ViewWindow::SetScrollBar");
  std::lock_guard lock(m_mutex);
  m_scrollBars[bar] = state;
}

ScrollBarState HeadlessView::GetScrollBar(ScrollBar bar) const {
  m_windowThread.Check("ViewWindow::GetScrollBar");
  std::lock_guard lock(m_mutex);
  auto it = m_scrollBars.find(bar);
  return it == m_scrollBars.end() ? ScrollBarState{} : it->second;
}

Size HeadlessView::ScrollBarThickness() const {
  m_windowThread.Check("ViewWindow::ScrollBarThickness");
  return {16, 16};
}

std::optional<Rect> HeadlessView::MainWindowRect() const {
  m_windowThread.Check("ViewWindow::MainWindowRect");
  std::lock_guard lock(m_mutex);
  if (!m_hasWindow) return std::nullopt;
  return m_main;
}

std::function<void(Size)> HeadlessView::PlaceMainWindow(const Rect& rect) {
  const Size before = ClientSizeLocked();
  m_main = rect;
  if (ClientSizeLocked() == before) return {};
  return m_sizeListener;
}

bool HeadlessView::MoveMainWindow(const Rect& rect) {
  m_windowThread.Check("ViewWindow::MoveMainWindow");
  std::function<void(Size)> listener;
  Size client;
  {
    std::lock_guard lock(m_mutex);
    if (!m_hasWindow || rect.IsEmpty()) return false;
    listener = PlaceMainWindow(rect);
    client = ClientSizeLocked();
  }
  if (listener) listener(client);
  return true;
}

void HeadlessView::MaximiseMainWindow() {
  m_windowThread.Check("ViewWindow::MaximiseMainWindow");
  std::function<void(Size)> listener;
  Size client;
  {
    std::lock_guard lock(m_mutex);
    if (!m_screen) return;
    m_maximised = true;
    listener = PlaceMainWindow({0, 0, m_screen->width, m_screen->height});
    client = ClientSizeLocked();
  }
  if (listener) listener(client);
}

void HeadlessView::ClearMaximised() {
  m_windowThread.Check("ViewWindow::ClearMaximised");
  std::lock_guard lock(m_mutex);
  m_maximised = false;
}

void HeadlessView::SetMainWindowTopmost(bool topmost) {
  m_windowThread.Check("ViewWindow::SetMainWindowTopmost");
  std::lock_guard lock(m_mutex);
  m_topmost = topmost;
}

void HeadlessView::SetStatusText(int pane, const std::string& text) {
  m_windowThread.Check("ViewWindow::SetStatusText");
  std::lock_guard lock(m_mutex);
  m_status[pane] = text;
}

void HeadlessView::SetTitle(const std::string& title) {
  m_windowThread.Check("ViewWindow::SetTitle");
  std::lock_guard lock(m_mutex);
  m_title = title;
}

bool HeadlessView::IsFullScreen() const {
  m_windowThread.Check("ViewWindow::IsFullScreen");
  std::lock_guard lock(m_mutex);
  return m_fullScreen;
}

void HeadlessView::ToggleFullScreen() {
  m_windowThread.Check("ViewWindow::ToggleFullScreen");
  std::lock_guard lock(m_mutex);
  m_fullScreen = !m_fullScreen;
}

std::optional<Size> HeadlessView::LocalScreenSize() const {
  m_windowThread.Check("ViewWindow::LocalScreenSize");
  std::lock_guard lock(m_mutex);
  return m_screen;
}

void HeadlessView::SetClientSize(Size client) {
  std::function<void(Size)> listener;
  {
    std::lock_guard lock(m_mutex);
    listener = PlaceMainWindow({m_main.left, m_main.top, m_main.left + client.width + FRAME_WIDTH,
                                m_main.top + client.height + FRAME_HEIGHT});
  }
  if (listener) listener(client);
}

void HeadlessView::SetLocalScreenSize(std::optional<Size> screen) {
  std::lock_guard lock(m_mutex);
  m_screen = screen;
}

void HeadlessView::SetHasWindow(bool hasWindow) {
  std::lock_guard lock(m_mutex);
  m_hasWindow = hasWindow;
}

void HeadlessView::SetSizeListener(std::function<void(Size)> listener) {
  std::lock_guard lock(m_mutex);
  m_sizeListener = std::move(listener);
}

std::vector<HeadlessView::Invalidation> HeadlessView::Invalidations() const {
  std::lock_guard lock(m_mutex);
  return m_invalidations;
}

void HeadlessView::ClearInvalidations() {
  std::lock_guard lock(m_mutex);
  m_invalidations.clear();
}

std::string HeadlessView::Title() const {
  std::lock_guard lock(m_mutex);
  return m_title;
}

std::string HeadlessView::StatusText(int pane) const {
  std::lock_guard lock(m_mutex);
  auto it = m_status.find(pane);
  return it == m_status.end() ? std::string() : it->second;
}

bool HeadlessView::IsMaximised() const {
  std::lock_guard lock(m_mutex);
  return m_maximised;
}

bool HeadlessView::IsTopmost() const {
  std::lock_guard lock(m_mutex);
  return m_topmost;
}

}  // namespace platform
