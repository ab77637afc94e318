#pragma once
// orbctl power: the power strip profile and its commands. The profile comes
// from a local file (read and checked before connecting) or is the unit's
// active copy; a command goes out through the unit's serial port with the
// profile's settings and pauses, framed by the profile's Init and Exit.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "HeadlessClient.h"

namespace orbctl {

struct PowerRequest {
  bool send = false;                   // otherwise show
  std::optional<std::string> profile;  // a local file instead of the unit's copy
  std::string command;
};

// show [--profile FILE] | send COMMAND [--profile FILE]. Throws UsageError.
PowerRequest ParsePowerArguments(const std::vector<std::string>& arguments);

// The profile of a local file, or nothing; its faults are a UsageError.
std::optional<std::string> ReadLocalProfile(const PowerRequest& request);
// Prints the settings, then one line per command; warnings go to err.
void PrintProfile(const std::string& text, std::ostream& out, std::ostream& err);

// Logs in as an administrator; the profile is localProfile or the unit's.
void RunPower(HeadlessClient& client, const PowerRequest& request,
              const std::optional<std::string>& localProfile, std::ostream& out, std::ostream& err);

}  // namespace orbctl
