#pragma once
// An operator command's wait for the operation it started: a local loop, run
// only at the top of the command and never inside a core operation, until the
// operation's continuation calls Done. The window keeps painting and the
// window thread's tasks and timers run; what the operator does meanwhile waits
// until the loop ends, so no second command starts inside the first.

#include <QEventLoop>

namespace ui {

class OperatorWait {
 public:
  // The continuation's: ends Run, or makes it return at once if it has not begun.
  void Done();
  // True once Done came; false when the application's end stopped the loop first.
  bool Run();

 private:
  QEventLoop m_loop;
  bool m_done = false;
};

}  // namespace ui
