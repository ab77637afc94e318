#pragma once
// The serial side of a modem link, from an open port to a line ready for the
// option negotiation: dialling a modem and waiting for its carrier, or the
// hand-shake of a direct cable; and the unit's call-back, answered on the
// same port. Each returns the failure text worded for the operator, or
// nothing once the line is up. A stop makes every wait end at once (the text
// is then "Aborted at your request.\n").

#include <functional>
#include <optional>
#include <string>

#include "modem/Modem.h"

namespace modem {

inline constexpr const char* ABORTED_TEXT = "Aborted at your request.\n";
inline constexpr const char* CALL_BACK_GREETING = "hello from bnvk";
inline constexpr const char* CALL_BACK_REPLY = "Hello from orb";
inline constexpr int CABLE_TRIES = 5;

// Texts for the operator's status line, as the line comes up.
using StatusReport = std::function<void(const std::string&)>;

struct DialRequest {
  std::string number;
  bool pulse = false;
  std::string productName;
  // WaitForConnectTime.
  int waitForConnectMs = 80000;
};

// A modem: initialised, dialled, its carrier awaited. A cable: "ATD\r"
// answered with "CONNECT ". Then the line is emptied for the negotiation.
std::optional<std::string> BringUpLine(Modem& modem, const DialRequest& request,
                                       const StatusReport& status);

// The unit hangs up and calls back: the line is dropped (the port stays
// open), the ring awaited for up to ringTimeMs, the call answered and the
// unit's greeting checked.
std::optional<std::string> AnswerCallBack(Modem& modem, int ringTimeMs,
                                          const std::string& productName,
                                          const StatusReport& status);

}  // namespace modem
