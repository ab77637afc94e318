#include "session/TargetAddress.h"

#include "settings/LeadingInt.h"

namespace session {

TargetAddress ParseTargetAddress(const std::string& text) {
  TargetAddress target;
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon <= 5) {
    target.host = text;
    return target;
  }
  target.host = text.substr(0, colon);
  target.hasPort = true;
  // A port beyond 16 bits becomes 0, which no unit listens on, rather than
  // wrapping onto some other service.
  const int port = settings::LeadingInt(std::string_view(text).substr(colon + 1));
  target.port = static_cast<uint16_t>(port < 0 || port > 0xFFFF ? 0 : port);
  return target;
}

}  // namespace session
