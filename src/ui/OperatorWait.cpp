#include "ui/OperatorWait.h"

namespace ui {

void OperatorWait::Done() {
  m_done = true;
  m_loop.quit();
}

bool OperatorWait::Run() {
  if (!m_done) m_loop.exec(QEventLoop::ExcludeUserInputEvents);
  return m_done;
}

}  // namespace ui
