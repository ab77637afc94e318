#include "ui/ViewGrab.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace ui {
namespace {

constexpr int RETRY_MS = 20;
// Two seconds: longer than a window manager holds the keyboard to move the
// focus, or a closed dialog takes to leave the modal stack.
constexpr int RETRIES = 100;

}  // namespace

ViewGrab::ViewGrab(QWidget& view, Device device) : m_view(view), m_device(device) {
  m_view.window()->installEventFilter(this);
  m_retry.setInterval(RETRY_MS);
  connect(&m_retry, &QTimer::timeout, this, [this] { Reconcile(); });
}

ViewGrab::~ViewGrab() {
  m_wanted = false;
  Reconcile();
}

void ViewGrab::Want(bool wanted) {
  m_wanted = wanted;
  Retry(false);
}

bool ViewGrab::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked:
      m_blocked = event->type() == QEvent::WindowBlocked;
      Retry(false);
      break;
    case QEvent::Show:
    case QEvent::WindowStateChange:
    case QEvent::WindowActivate:
      // Mapped anew, the window lost any grab the server had granted it.
      Retry(true);
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void ViewGrab::Retry(bool serverLostIt) {
  if (serverLostIt) m_granted = false;
  m_retriesLeft = RETRIES;
  Reconcile();
}

bool ViewGrab::Blocked() const {
  // A dialog that came up before the grab was wanted blocks the window too.
  const QWidget* modal = QApplication::activeModalWidget();
  return m_blocked || (modal && modal != m_view.window());
}

void ViewGrab::Reconcile() {
  const bool hold = m_wanted && !Blocked();
  if (hold && !m_held) {
    if (m_device == Device::Keyboard)
      m_view.grabKeyboard();
    else
      m_view.grabMouse();
    m_held = true;
    m_granted = false;
  } else if (!hold && m_held) {
    Release();
    m_held = false;
    m_granted = false;
  }
  if (m_held && !m_granted) m_granted = TakeFromServer();
  const bool pending = (m_wanted && !m_held) || (m_held && !m_granted);
  if (pending && m_retriesLeft-- > 0) {
    if (!m_retry.isActive()) m_retry.start();
  } else {
    m_retry.stop();
  }
}

bool ViewGrab::TakeFromServer() {
  QWindow* window = m_view.window()->windowHandle();
  if (!window || !window->isVisible()) return false;
  return m_device == Device::Keyboard ? window->setKeyboardGrabEnabled(true)
                                      : window->setMouseGrabEnabled(true);
}

void ViewGrab::Release() {
  if (m_device == Device::Keyboard)
    m_view.releaseKeyboard();
  else
    m_view.releaseMouse();
}

}  // namespace ui
