#pragma once
// Host-name lookup that the caller can abandon. The system's resolver cannot
// be interrupted, so it runs on a thread of its own that the caller stops
// waiting for when asked to stop; that thread finishes on its own later.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/StopSignal.h"

namespace platform {

// Resolves a host name to an IPv4 address in network byte order. It is copied
// onto the lookup's thread, which may outlive the caller, so it must own (or
// share) whatever it uses.
using HostResolver = std::function<std::optional<uint32_t>(const std::string& host)>;

// The address, or nothing when the name cannot be resolved or the stop was
// raised first (stop.IsRaised() tells which).
std::optional<uint32_t> LookUpHost(const std::string& host, const HostResolver& resolver,
                                   const StopSignal& stop);

}  // namespace platform
