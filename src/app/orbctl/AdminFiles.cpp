#include "AdminFiles.h"

#include "VerbArguments.h"
#include "admin/ConfigDocument.h"
#include "admin/ServerConfigData.h"
#include "protocol/PacketTypes.h"

namespace orbctl {
namespace {

// The table the unit sends for one request.
admin::SwitchSettings FetchSwitchTable(HeadlessClient& client,
                                       const admin::SwitchModelNames& models) {
  const view::KVMDispatcher& dispatcher = client.Viewer().Dispatcher();
  const uint32_t before = dispatcher.ReceiveCount(SWITCH_SETTINGS);
  admin::RequestSwitchSettings(client.Viewer().Session());
  client.RunUntil([&] { return dispatcher.ReceiveCount(SWITCH_SETTINGS) > before; });
  admin::SwitchSettings table(models);
  const std::string problems =
      table.LoadGridFromString(dispatcher.SwitchSettingsText(), "the unit");
  if (!problems.empty())
    throw TextError("The unit's switch table: " + std::string(admin::PATTERN_PROBLEMS) + problems);
  return table;
}

}  // namespace

FileRequest ParseFileArguments(const std::string& verb, const std::vector<std::string>& arguments) {
  FileRequest request;
  CLI::App app("", verb);
  app.set_help_flag();
  app.require_subcommand(1);
  CLI::App* get = app.add_subcommand("get", "save the unit's to FILE");
  get->add_option("FILE", request.file)->required();
  get->set_help_flag();
  CLI::App* put = app.add_subcommand("put", "send FILE to the unit");
  put->add_option("FILE", request.file)->required();
  put->set_help_flag();
  ParseVerbArguments(app, arguments);
  request.put = put->parsed();
  return request;
}

admin::SwitchSettings ReadSwitchFile(const std::string& file,
                                     const admin::SwitchModelNames& models) {
  admin::SwitchSettings table(models);
  std::string problems;
  try {
    problems = table.ReadInFile(file);
  } catch (const TextError& e) {
    throw UsageError("switch put " + file + ": " + e.Text());
  }
  if (!problems.empty()) throw UsageError(admin::PATTERN_PROBLEMS + problems);
  return table;
}

void RunSwitch(HeadlessClient& client, const FileRequest& request,
               const admin::SwitchModelNames& models) {
  if (!request.put) {
    client.LogInAsAdministrator();
    FetchSwitchTable(client, models).WriteOutFile(request.file);
    return;
  }
  const admin::SwitchSettings table = ReadSwitchFile(request.file, models);
  client.LogInAsAdministrator();
  client.SendAndConfirm([&] { admin::SendSwitchSettings(client.Viewer().Session(), table); });
  const admin::SwitchSettings held = FetchSwitchTable(client, models);
  if (!held.SameTable(table)) throw TextError("The unit's switch table differs from the one sent.");
}

void RunConfig(HeadlessClient& client, const FileRequest& request) {
  if (request.put) {
    admin::ConfigDocument document;
    try {
      document = admin::ConfigDocument::LoadFromFile(request.file);
    } catch (const TextError& e) {
      throw UsageError("config put " + request.file + ": " + e.Text());
    }
    // Compressed and checked before anything goes.
    const std::string text = document.ToString();
    try {
      admin::CompressServerConfig(text);
    } catch (const TextError& e) {
      throw UsageError("config put " + request.file + ": " + e.Text());
    }
    client.LogInAsAdministrator();
    client.SendAndConfirm([&] { admin::SendServerConfig(client.Viewer().Session(), text); });
    return;
  }
  client.LogInAsAdministrator();
  const view::KVMDispatcher& dispatcher = client.Viewer().Dispatcher();
  client.RunUntil([&] { return dispatcher.ReceiveCount(SERVER_CONFIG_DATA) > 0; });
  if (!dispatcher.ServerConfigFault().empty()) throw TextError(dispatcher.ServerConfigFault());
  admin::ConfigDocument::FillFromString(dispatcher.ServerConfigText()).SaveToFile(request.file);
}

}  // namespace orbctl
