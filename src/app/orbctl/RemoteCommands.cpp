#include "RemoteCommands.h"

#include <map>

#include "Options.h"
#include "VerbArguments.h"
#include "protocol/PacketTypes.h"
#include "session/LineSpeed.h"

namespace orbctl {

int32_t ParseLineSpeedArguments(const std::vector<std::string>& arguments) {
  const std::map<std::string, int32_t> rates = {{"slow", session::PRETEND_LOW_SPEED},
                                                {"fast", session::PRETEND_HIGH_SPEED}};
  std::string speed;
  CLI::App app("", "line-speed");
  app.set_help_flag();
  app.add_option("SPEED", speed)->required()->check(CLI::IsMember({"slow", "fast"}));
  ParseVerbArguments(app, arguments);
  return rates.at(speed);
}

void SendRefresh(HeadlessClient& client) {
  client.LogIn();
  client.SendAndConfirm([&] {
    PacketHeader repaint(REPAINT, 0);
    client.Viewer().Session().SendPacket(repaint);
  });
}

void SendLineSpeed(HeadlessClient& client, int32_t rate) {
  client.LogIn();
  client.SendAndConfirm([&] { session::SendObservedRate(client.Viewer().Session(), rate); });
}

}  // namespace orbctl
