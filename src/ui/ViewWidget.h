#pragma once
// The view's client area: paints through the owner's painter and hands its
// keys, mouse, focus and size to the owner, which turns them into window
// messages.

#include <QSinglePointEvent>
#include <QWidget>
#include <functional>

namespace ui {

class ViewWidget : public QWidget {
 public:
  struct Handlers {
    std::function<void(QPainter&, const QRect&)> paint;
    std::function<void(QSize)> resized;
    // True when the key was taken.
    std::function<bool(const QKeyEvent&, bool down)> key;
    std::function<void(bool focused)> focus;
    // Mouse buttons, movement and the wheel.
    std::function<void(const QSinglePointEvent&)> mouse;
    // True while every key belongs to the remote computer (pass-through):
    // the window's shortcuts and menu keys then stand aside.
    std::function<bool()> claimsKeys;
  };

  explicit ViewWidget(QWidget* parent = nullptr);
  void SetHandlers(Handlers handlers) { m_handlers = std::move(handlers); }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  Handlers m_handlers;
};

}  // namespace ui
