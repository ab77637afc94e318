#pragma once
// One QApplication for the whole test program, made on first use on the
// thread that runs the tests (Qt's main thread from then on).

#include <QApplication>

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}
