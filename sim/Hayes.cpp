#include "Hayes.h"

#include <cctype>

namespace sim {

namespace {

struct Code {
  const char* text;
  int number;
};

Code CodeOf(Result result) {
  switch (result) {
    case Result::Ok:
      return {"OK", 0};
    case Result::Connect:
      return {"CONNECT", 1};
    case Result::Ring:
      return {"RING", 2};
    case Result::NoCarrier:
      return {"NO CARRIER", 3};
    case Result::Error:
      return {"ERROR", 4};
    case Result::Busy:
      return {"BUSY", 7};
    case Result::NoAnswer:
      return {"NO ANSWER", 8};
  }
  return {"ERROR", 4};
}

// Reads the optional number after a command letter; `at` moves past it.
int Argument(const std::string& body, std::size_t& at) {
  int value = 0;
  while (at < body.size() && std::isdigit(static_cast<unsigned char>(body[at])))
    value = value * 10 + (body[at++] - '0');
  return value;
}

}  // namespace

void Hayes::Reset() {
  m_echo = true;
  m_verbose = true;
  m_quiet = false;
}

Command Hayes::Execute(const std::string& line, bool& answered) {
  std::string upper;
  for (char c : line) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto start = upper.find("AT");
  answered = start != std::string::npos;
  if (!answered) return {};
  const std::string body = upper.substr(start + 2);

  Command command;
  std::size_t at = 0;
  while (at < body.size()) {
    const char letter = body[at++];
    if (letter == ' ') continue;
    switch (letter) {
      case 'D':
        command.action = Action::Dial;
        for (; at < body.size(); ++at) {
          if (body[at] == 'T' || body[at] == 'P')
            command.pulse = body[at] == 'P';
          else if (body[at] != ' ')
            command.number += body[at];
        }
        return command;
      case 'A':
        command.action = Action::Answer;
        return command;
      case 'H':
        Argument(body, at);
        command.action = Action::HangUp;
        return command;
      case 'O':
        Argument(body, at);
        command.action = Action::Online;
        return command;
      case 'E':
        m_echo = Argument(body, at) != 0;
        break;
      case 'V':
        m_verbose = Argument(body, at) != 0;
        break;
      case 'Q':
        m_quiet = Argument(body, at) != 0;
        break;
      case 'Z':
        Argument(body, at);
        Reset();
        break;
      case 'S':  // S<n>=<value> or S<n>?: registers are accepted, not kept
        Argument(body, at);
        if (at < body.size() && body[at] == '=') Argument(body, ++at);
        if (at < body.size() && body[at] == '?') ++at;
        break;
      case '&':
      case '\\':
      case '%':
        if (at >= body.size() || !std::isalpha(static_cast<unsigned char>(body[at]))) {
          command.result = Result::Error;
          return command;
        }
        if (letter == '&' && body[at] == 'F') Reset();
        ++at;
        Argument(body, at);
        break;
      case '+':  // an extended or maker's command runs to the next ';'
      case '#':
      case '*':
      case '-':
      case '$':
        while (at < body.size() && body[at] != ';') ++at;
        if (at < body.size()) ++at;
        break;
      case 'B':
      case 'I':
      case 'L':
      case 'M':
      case 'N':
      case 'P':
      case 'T':
      case 'W':
      case 'X':
      case 'Y':
        Argument(body, at);
        break;
      default:
        command.result = Result::Error;
        return command;
    }
  }
  return command;
}

std::string Hayes::Answer(Result result, int speed) const {
  if (m_quiet) return "";
  const Code code = CodeOf(result);
  if (!m_verbose) return std::to_string(code.number) + "\r";
  std::string text = code.text;
  if (result == Result::Connect) text += " " + std::to_string(speed);
  return "\r\n" + text + "\r\n";
}

}  // namespace sim
