#pragma once
// What the configuration document says about the power strip: whether one is
// installed on a port, and whether a modem holds the port a profile names.

#include <string>

#include "admin/ConfigDocument.h"

namespace admin {

inline constexpr const char* POWER_SWITCH_TYPE = "PowerSwitch";
inline constexpr const char* MODEM_TYPE = "Modem";

bool PowerStripInstalled(const ConfigDocument& document);
// Ports are named by their number at the end ("COM2" is port 2).
bool ModemOnPort(const ConfigDocument& document, int port);

}  // namespace admin
