#pragma once
// The modem's command language: "AT" command lines, the settings they change and the result
// codes, verbose ("\r\nOK\r\n") or numeric ("0\r"). What a command does to a call is left to
// the caller.

#include <string>

namespace sim {

enum class Result { Ok, Connect, Ring, NoCarrier, Error, Busy, NoAnswer };

enum class Action {
  None,    // a setting, or no command at all
  Dial,    // D: dial `number`
  Answer,  // A
  HangUp,  // H
  Online,  // O: back to the call after an escape
};

struct Command {
  Action action = Action::None;
  Result result = Result::Ok;  // for Action::None; the caller answers the others
  std::string number;          // the dial string after D, without its T or P
  bool pulse = false;          // the dial string asked for pulse dialling
};

class Hayes {
 public:
  // One line as received, without its carriage return. Text before "AT" is line noise and is
  // skipped; a line without "AT" is no command and gets no answer (`answered` false).
  Command Execute(const std::string& line, bool& answered);

  // The result as the modem sends it under the current settings; "" when quiet.
  std::string Answer(Result result, int speed) const;
  bool Echo() const { return m_echo; }

 private:
  void Reset();

  bool m_echo = true;
  bool m_verbose = true;
  bool m_quiet = false;
};

}  // namespace sim
