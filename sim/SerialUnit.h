#pragma once
// The simulated unit on a serial line: behind a Hayes modem that the viewer dials (and that
// the unit calls back through), or on a null-modem cable. One viewer at a time, as a line
// allows. Runs on its own thread, so a test can embed it.

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "Line.h"
#include "Link.h"
#include "Options.h"
#include "Target.h"
#include "UnitRecords.h"

namespace sim {

class SerialUnit {
 public:
  explicit SerialUnit(UnitOptions options);
  ~SerialUnit();
  SerialUnit(const SerialUnit&) = delete;
  SerialUnit& operator=(const SerialUnit&) = delete;

  // Opens the line and starts serving; returns the path of the viewer's end. Throws
  // std::runtime_error when the line cannot be opened.
  std::string Start();
  // Ends any call and joins the thread; safe to call more than once.
  void Stop();

 private:
  void ServeModem();
  void ServeCable();
  void RunSession(Link& link);
  void Ended();

  const UnitOptions m_options;
  Target m_target;
  UnitRecords m_records;
  std::optional<Line> m_line;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace sim
