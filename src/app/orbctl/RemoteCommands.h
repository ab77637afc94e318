#pragma once
// orbctl refresh and line-speed: the small commands that ask the unit to
// resend its whole picture, or to treat the link as slow or fast.

#include <cstdint>
#include <string>
#include <vector>

#include "HeadlessClient.h"

namespace orbctl {

// slow | fast, as the observed throughput the unit is told. Throws UsageError.
int32_t ParseLineSpeedArguments(const std::vector<std::string>& arguments);

// Each logs in, sends its packet and confirms the unit took it. Throws TextError.
void SendRefresh(HeadlessClient& client);
void SendLineSpeed(HeadlessClient& client, int32_t rate);

}  // namespace orbctl
