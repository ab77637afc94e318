#include "admin/PowerStripDevices.h"

namespace admin {
namespace {

bool InstalledOfType(const ConfigDocument& document, const std::string& type, int port) {
  for (const ConfigObject& device : document.Objects("DEVICE")) {
    if (device.type != type) continue;
    const std::string on = document.InstalledOn(device.name);
    if (on.empty()) continue;
    if (port < 0) return true;
    const size_t digits = on.find_last_not_of("0123456789") + 1;
    if (digits < on.size() && on.size() - digits <= 3 && std::stoi(on.substr(digits)) == port)
      return true;
  }
  return false;
}

}  // namespace

bool PowerStripInstalled(const ConfigDocument& document) {
  return InstalledOfType(document, POWER_SWITCH_TYPE, -1);
}

bool ModemOnPort(const ConfigDocument& document, int port) {
  return port >= 0 && InstalledOfType(document, MODEM_TYPE, port);
}

}  // namespace admin
