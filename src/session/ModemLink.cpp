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

void ModemLink::SetModem(std::unique_ptr<modem::CModem> modem) {
  std::unique_ptr<modem::CModem> old;
  {
    std::lock_guard lock(m_modemLock);
    old = std::exchange(m_modem, std::move(modem));
  }
  // Closed outside the lock: closing takes the engine's port lock.
}

modem::CModem* ModemLink::Modem() const {
  std::lock_guard lock(m_modemLock);
  return m_modem.get();
}

}  // namespace session
