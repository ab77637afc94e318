#include "ui/X11Display.h"

#include <QGuiApplication>

namespace ui {

_XDisplay* X11DisplayOrNull() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) return nullptr;
  auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

}  // namespace ui
