#pragma once
// The simulated unit: listens for viewers, serves one at a time and tells any other that it
// is busy. The target computer behind it lasts as long as the unit. Runs on its own threads, so a
// test or benchmark can embed it.

#include <atomic>
#include <mutex>
#include <thread>

#include "Options.h"
#include "Socket.h"
#include "Target.h"
#include "UnitRecords.h"

namespace sim {

class Unit {
 public:
  explicit Unit(UnitOptions options);
  ~Unit();
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;

  // Binds and starts accepting; returns the port listened on. Throws std::runtime_error when
  // the address cannot be used.
  int Start();
  // Closes every connection and joins the threads; safe to call more than once.
  void Stop();

  const UnitOptions& Options() const { return m_options; }

 private:
  void AcceptLoop();
  void TellBusy(Socket client);

  const UnitOptions m_options;
  Target m_target;        // the session thread's alone while it runs
  UnitRecords m_records;  // likewise
  Socket m_listener;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_serving{false};
  std::thread m_acceptor;
  std::thread m_session;
};

}  // namespace sim
