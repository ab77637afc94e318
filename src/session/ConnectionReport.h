#pragma once
// Where the connect thread leaves what the operator will be told: the failure
// text of the session and the current target's failover text, which the
// connect progress dialog shows as it grows. The session controller implements
// it (and guards it, as the window thread reads both).

#include <string>

namespace session {

class ConnectionReport {
 public:
  virtual ~ConnectionReport() = default;
  virtual void SetFailureText(const std::string& text) = 0;
  virtual void AppendFailoverText(const std::string& text) = 0;
};

}  // namespace session
