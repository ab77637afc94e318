#pragma once
// The modem link of one session, beside TcpLink: the modem engine (made by
// the connect thread once it knows the modem), the connect and monitor
// threads that work on it, and the stop signal every wait of theirs polls, so
// the window thread can end them in every state (dialling, waiting for the
// carrier, negotiating, receiving, waiting for a call-back's ring). The
// threads close the port on their way out; closing drops DTR, which hangs up.

#include <memory>
#include <mutex>

#include "modem/Modem.h"
#include "session/LinkThreads.h"

namespace session {

class ModemLink : public LinkThreads {
 public:
  ModemLink() = default;
  // Stops and joins both threads.
  ~ModemLink();

  // Window thread: ends what is left of the previous attempt (stopping and
  // joining its threads, dropping its modem) and lowers the stop signal.
  void Prepare();
  // Any thread: wakes both threads wherever they wait.
  void RequestStop() { RaiseStop(); }

  // The connect thread hands over the modem it made; it lives until the
  // next Prepare.
  void SetModem(std::unique_ptr<modem::Modem> modem);
  // Null until the connect thread made one. Any thread.
  modem::Modem* Modem() const;

 private:
  mutable std::mutex m_modemLock;
  std::unique_ptr<modem::Modem> m_modem;
};

}  // namespace session
