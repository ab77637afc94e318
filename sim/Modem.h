#pragma once
// The modem on the viewer's line in command mode: echoes what the viewer types, answers its
// commands and rings for an incoming call, until a command needs the call's owner.

#include <atomic>
#include <string>

#include "Hayes.h"
#include "Line.h"
#include "Options.h"

namespace sim {

class Modem {
 public:
  enum class Waiting {
    Idle,     // no call: waits for a dial
    Held,     // a call is up behind an escape: waits for ATO or ATH
    Ringing,  // a call comes in: rings until ATA
  };
  enum class Event {
    Dialled,   // ATD (Idle)
    Answered,  // ATA (Ringing)
    Online,    // ATO (Held)
    HungUp,    // ATH, already answered OK (Held)
    Closed,    // the viewer closed its end of the line (Held)
    RingsOut,  // nobody answered (Ringing)
    Stopped,
  };
  struct Outcome {
    Event event = Event::Stopped;
    Command command;
  };

  Modem(Line& line, const SerialOptions& options, const std::atomic<bool>& stop);

  Outcome Await(Waiting waiting);
  // Sends a result code, unless the viewer's end is closed (nobody would hear it, and the
  // next viewer to open the line must not find it).
  void Send(Result result);
  // Waits, unless the unit is told to stop.
  void Sleep(int ms) const;

  Line& GetLine() { return m_line; }

 private:
  // Handles one complete command line; true when it ends the wait.
  bool Execute(Waiting waiting, std::string& out, Outcome& outcome);
  void Write(const std::string& text);

  Line& m_line;
  const SerialOptions& m_options;
  const std::atomic<bool>& m_stop;
  Hayes m_hayes;
  std::string m_typed;  // the command line so far
};

}  // namespace sim
