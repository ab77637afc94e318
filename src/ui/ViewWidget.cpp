#include "ui/ViewWidget.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

namespace ui {

ViewWidget::ViewWidget(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  // Every pixel is drawn by the painter: the picture or its margins.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMinimumSize(1, 1);
}

// Tab and Backtab belong to the remote screen, not to Qt's focus chain.
bool ViewWidget::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && m_handlers.claimsKeys &&
      m_handlers.claimsKeys()) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QWidget::event(event);
}

void ViewWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (m_handlers.paint) m_handlers.paint(painter, event->rect());
}

void ViewWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (m_handlers.resized) m_handlers.resized(size());
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
  if (!m_handlers.key || !m_handlers.key(*event, true)) QWidget::keyPressEvent(event);
}

void ViewWidget::keyReleaseEvent(QKeyEvent* event) {
  if (!m_handlers.key || !m_handlers.key(*event, false)) QWidget::keyReleaseEvent(event);
}

void ViewWidget::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (m_handlers.focus) m_handlers.focus(true);
}

void ViewWidget::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  if (m_handlers.focus) m_handlers.focus(false);
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
  if (m_handlers.mouse) m_handlers.mouse(*event);
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (m_handlers.mouse) m_handlers.mouse(*event);
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
  if (m_handlers.mouse) m_handlers.mouse(*event);
}

void ViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (m_handlers.mouse) m_handlers.mouse(*event);
}

void ViewWidget::wheelEvent(QWheelEvent* event) {
  if (m_handlers.mouse) m_handlers.mouse(*event);
}

}  // namespace ui
