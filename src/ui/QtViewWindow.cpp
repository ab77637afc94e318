#include "ui/QtViewWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

namespace ui {
namespace {

platform::Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

}  // namespace

std::optional<platform::Rect> QtViewWindow::ClientRect() const {
  const QSize size = m_frame.View().size();
  return platform::Rect{0, 0, size.width(), size.height()};
}

std::optional<platform::Point> QtViewWindow::ClientOrigin() const {
  const QPoint origin = m_frame.View().mapToGlobal(QPoint(0, 0));
  return platform::Point{origin.x(), origin.y()};
}

std::optional<platform::Rect> QtViewWindow::WindowRect() const {
  const ViewWidget& view = m_frame.View();
  const QPoint origin = view.mapToGlobal(QPoint(0, 0));
  return ToRect(QRect(origin, view.size()));
}

bool QtViewWindow::Invalidate(const std::optional<platform::Rect>& area, bool erase) {
  (void)erase;  // the painter draws every pixel, margins included
  if (area)
    m_frame.View().update(area->left, area->top, area->Width(), area->Height());
  else
    m_frame.View().update();
  return true;
}

void QtViewWindow::InvalidateMainWindow(bool erase) {
  (void)erase;
  m_frame.update();
  m_frame.View().update();
}

// The classic bar runs from minimum to maximum with a page inside it, so the
// thumb's last position is maximum - page + 1.
void QtViewWindow::SetScrollBar(platform::ScrollBar bar, const platform::ScrollBarState& state) {
  QScrollBar& qbar = m_frame.ScrollBar(bar == platform::ScrollBar::Vertical);
  const QSignalBlocker block(qbar);
  const int page = std::max(state.page, 1);
  qbar.setRange(state.minimum, std::max(state.minimum, state.maximum - page + 1));
  qbar.setPageStep(page);
  qbar.setValue(state.position);
  qbar.setVisible(state.visible);
}

platform::ScrollBarState QtViewWindow::GetScrollBar(platform::ScrollBar bar) const {
  const QScrollBar& qbar = m_frame.ScrollBar(bar == platform::ScrollBar::Vertical);
  platform::ScrollBarState state;
  state.visible = qbar.isVisibleTo(&m_frame);
  state.minimum = qbar.minimum();
  state.page = qbar.pageStep();
  state.maximum = qbar.maximum() + state.page - 1;
  state.position = qbar.value();
  return state;
}

platform::Size QtViewWindow::ScrollBarThickness() const {
  const int extent = m_frame.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return {extent, extent};
}

std::optional<platform::Rect> QtViewWindow::MainWindowRect() const {
  return ToRect(m_frame.frameGeometry());
}

// The classic move places the outer frame; Qt places the inside, so the
// decoration's widths are taken off.
bool QtViewWindow::MoveMainWindow(const platform::Rect& rect) {
  const QRect outer = m_frame.frameGeometry();
  const QRect inner = m_frame.geometry();
  const int left = inner.left() - outer.left();
  const int top = inner.top() - outer.top();
  const int width = outer.width() - inner.width();
  const int height = outer.height() - inner.height();
  m_frame.setGeometry(rect.left + left, rect.top + top, std::max(1, rect.Width() - width),
                      std::max(1, rect.Height() - height));
  return true;
}

void QtViewWindow::MaximiseMainWindow() { m_frame.showMaximized(); }

void QtViewWindow::ClearMaximised() {
  if (!m_frame.isMaximized()) return;
  const QRect keep = m_frame.geometry();
  m_frame.setWindowState(m_frame.windowState() & ~Qt::WindowMaximized);
  m_frame.setGeometry(keep);
}

void QtViewWindow::SetMainWindowTopmost(bool topmost) {
  const bool visible = m_frame.isVisible();
  m_frame.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
  if (visible) m_frame.show();
}

void QtViewWindow::SetStatusText(int pane, const std::string& text) {
  m_frame.SetStatusText(pane, QString::fromStdString(text));
}

void QtViewWindow::SetTitle(const std::string& title) {
  m_frame.setWindowTitle(QString::fromStdString(title));
}

bool QtViewWindow::IsFullScreen() const { return m_isFullScreen && m_isFullScreen(); }

void QtViewWindow::ToggleFullScreen() {
  if (m_onFullScreen) m_onFullScreen();
}

std::optional<platform::Size> QtViewWindow::LocalScreenSize() const {
  const QScreen* screen = m_frame.screen() ? m_frame.screen() : QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  const QSize size = screen->size();
  return platform::Size{size.width(), size.height()};
}

}  // namespace ui
