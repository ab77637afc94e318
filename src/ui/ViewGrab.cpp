#include "ui/ViewGrab.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace ui {

ViewGrab::ViewGrab(QWidget& view, Device device) : m_view(view), m_device(device) {
  m_view.window()->installEventFilter(this);
}

ViewGrab::~ViewGrab() { Want(false); }

void ViewGrab::Want(bool wanted) {
  m_wanted = wanted;
  Apply();
}

bool ViewGrab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked) {
    m_blocked = event->type() == QEvent::WindowBlocked;
    Apply();
  }
  return QObject::eventFilter(watched, event);
}

void ViewGrab::Apply() {
  // A dialog that came up before the grab was wanted blocks the window too.
  const QWidget* modal = QApplication::activeModalWidget();
  const bool blocked = m_blocked || (modal && modal != m_view.window());
  const bool hold = m_wanted && !blocked;
  if (hold == m_held) return;
  m_held = hold;
  if (m_device == Device::Keyboard)
    hold ? m_view.grabKeyboard() : m_view.releaseKeyboard();
  else
    hold ? m_view.grabMouse() : m_view.releaseMouse();
}

}  // namespace ui
