#pragma once
// One QApplication for the whole test program, made on first use on the
// thread that runs the tests (Qt's main thread from then on), and closed when
// the tests end: left to the program's exit, it outlives Qt's own statics and
// crashes on its way out.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <functional>
#include <memory>

class TestAppEnvironment : public ::testing::Environment {
 public:
  static std::unique_ptr<QApplication>& Holder() {
    static std::unique_ptr<QApplication> app;
    return app;
  }
  void TearDown() override { Holder().reset(); }
};

inline ::testing::Environment* const TEST_APP_ENVIRONMENT =
    ::testing::AddGlobalTestEnvironment(new TestAppEnvironment);

inline QApplication& TestApp() {
  std::unique_ptr<QApplication>& app = TestAppEnvironment::Holder();
  if (!app) {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
  }
  return *app;
}

// Runs Qt's events, at the test's top level, until done or timeoutMs have passed.
inline bool RunQtUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}
