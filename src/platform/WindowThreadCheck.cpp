#include "platform/WindowThreadCheck.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void WindowThreadCheck::Check(const char* method) const {
  if (std::this_thread::get_id() == m_owner.load()) return;
  std::fprintf(stderr, "%s called off the window thread.\n", method);
  std::abort();
}

}  // namespace platform
