#include "session/ModemLink.h"

#include <utility>

namespace session {

ModemLink::~ModemLink() {
  RequestStop();
  Join();
}

void ModemLink::Prepare() {
  RequestStop();
  Join();
  SetModem(nullptr);
  LowerStop();
}

void ModemLink::SetModem(std::unique_ptr<modem::Modem> modem) {
  std::unique_ptr<modem::Modem> old;
  {
    std::lock_guard lock(m_modemLock);
    old = std::exchange(m_modem, std::move(modem));
  }
  // Closed outside the lock: closing takes the engine's port lock.
}

modem::Modem* ModemLink::Modem() const {
  std::lock_guard lock(m_modemLock);
  return m_modem.get();
}

}  // namespace session
