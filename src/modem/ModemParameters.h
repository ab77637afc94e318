#pragma once
// One installed modem as the modem database describes it: where it is
// attached, its command strings (line ends already expanded) and its table of
// answers.

#include <string>
#include <vector>

#include "modem/ResponseClasses.h"

namespace modem {

struct ModemParameters {
  std::string model;
  // A device path or a "COMn" name.
  std::string portName;
  std::string reset;
  std::string answer;
  std::string hangup;
  std::string userInit;
  std::vector<std::string> init;
  // The Settings values.
  std::string prefix;
  std::string terminator;
  std::string dialPrefix;
  std::string tone;
  std::string pulse;
  std::string errorControlForced;
  std::string flowControlHard;
  std::string compressionOff;
  ResponseClasses responses;

  // A direct cable between two computers rather than a modem: its name says
  // so, as the platform's own name for one does.
  bool IsNullModem() const { return model.find("between") != std::string::npos; }
};

}  // namespace modem
