#include "PowerStrip.h"

#include <limits>
#include <optional>
#include <ostream>

#include "Options.h"
#include "VerbArguments.h"
#include "admin/PowerStripControl.h"
#include "admin/PowerSwitchFiles.h"
#include "admin/ReplyWait.h"
#include "platform/TextError.h"

namespace orbctl {
namespace {

constexpr const char* SHOWN_SETTINGS[] = {"Name",      "Port",        "BaudRate",
                                          "DataBits",  "StopBits",    "Parity",
                                          "ReadDelay", "FlowControl", "UseRTSCTS"};

admin::PowerStripLink LinkOf(HeadlessClient& client) {
  view::KVMDispatcher& dispatcher = client.Viewer().Dispatcher();
  return {client.Viewer().Session(), client.Window(), dispatcher.FileReply(),
          dispatcher.SerialReply()};
}

// Runs the window thread, here at the top of the verb, until the operation
// started on it has ended. Every step of the operation is bounded by its own
// time-out, so the run needs no bound of its own.
void RunUntilEnded(HeadlessClient& client, const std::optional<std::string>& failure) {
  client.Window().RunUntil([&] { return failure.has_value(); },
                           std::numeric_limits<uint32_t>::max());
  if (failure && !failure->empty()) throw TextError(*failure);
}

std::string FetchActiveProfile(HeadlessClient& client, const admin::PowerStripLink& link) {
  admin::ReplyWait wait(link.window);
  std::optional<std::string> failure;
  std::string profile;
  admin::LoadActiveProfile(link, wait, [&](const std::string& ended, const std::string& text) {
    failure = ended;
    profile = text;
  });
  RunUntilEnded(client, failure);
  return profile;
}

// Opens the port, sends Init, the command and Exit, reads the answer, and
// closes the port whatever failed once it was open.
std::string DriveStrip(HeadlessClient& client, const admin::PowerStripLink& link,
                       const std::string& profile, const std::string& name, std::ostream& err) {
  const admin::ProfileCommands commands = admin::CommandsOf(profile);
  if (commands.lost) err << admin::TOO_MANY_COMMANDS << '\n';
  const admin::ProfileEntry* chosen = admin::FindCommand(commands, name);
  if (!chosen) throw UsageError("power send: the profile has no command '" + name + "'.");
  const admin::SerialSettings settings = admin::SerialSettingsOf(profile);
  admin::PowerStripControl control(link, [&](const std::string& status) {
    if (!status.empty()) err << status << '\n';
  });
  control.Open(settings);
  std::string answer;
  for (const char* step : {"Init", "", "Exit"}) {
    const admin::ProfileEntry* command = *step ? admin::FindCommand(commands, step) : chosen;
    if (command) control.Send(command->value);
    if (!*step) control.Read([&](const std::string& text) { answer = text; });
  }
  std::optional<std::string> failure;
  control.Start([&](const std::string& ended) {
    std::string outcome = ended;
    if (control.IsOpen()) {
      try {
        control.Close();
      } catch (const TextError& e) {
        outcome = e.Text();
      }
    }
    failure = outcome;
  });
  RunUntilEnded(client, failure);
  return answer;
}

}  // namespace

PowerRequest ParsePowerArguments(const std::vector<std::string>& arguments) {
  PowerRequest request;
  CLI::App power("the power strip", "power");
  power.set_help_flag();
  power.require_subcommand(1);
  CLI::App* show = power.add_subcommand("show", "print the profile");
  show->add_option("--profile", request.profile);
  CLI::App* send = power.add_subcommand("send", "send a command of the profile");
  send->add_option("COMMAND", request.command)->required();
  send->add_option("--profile", request.profile);
  for (CLI::App* verb : power.get_subcommands({})) verb->set_help_flag();
  ParseVerbArguments(power, arguments);
  request.send = send->parsed();
  return request;
}

std::optional<std::string> ReadLocalProfile(const PowerRequest& request) {
  if (!request.profile) return std::nullopt;
  std::string text;
  try {
    text = admin::ReadProfileFile(*request.profile);
  } catch (const TextError& e) {
    throw UsageError("power: " + e.Text());
  }
  if (!request.send) return text;
  // Whatever would stop the command is found before connecting.
  try {
    if (!admin::HasRequiredFields(text))
      throw TextError(std::string(admin::FIELDS_WRONG) + "\n" + admin::RequiredFieldNotes(text));
    const admin::ProfileCommands commands = admin::CommandsOf(text);
    const admin::ProfileEntry* chosen = admin::FindCommand(commands, request.command);
    if (!chosen) throw TextError("the profile has no command '" + request.command + "'.");
    admin::CommandPieces(chosen->value);
    admin::SerialSettingsOf(text);
  } catch (const TextError& e) {
    throw UsageError("power send: " + e.Text());
  }
  return text;
}

void PrintProfile(const std::string& text, std::ostream& out, std::ostream& err) {
  const std::string notes = admin::RequiredFieldNotes(text);
  if (!notes.empty()) err << admin::FIELDS_WRONG << '\n' << notes;
  for (const char* name : SHOWN_SETTINGS)
    out << name << '\t' << admin::ProfileValue(text, name).value_or("") << '\n';
  const admin::ProfileCommands commands = admin::CommandsOf(text);
  if (commands.lost) err << admin::TOO_MANY_COMMANDS << '\n';
  for (const admin::ProfileEntry& command : commands.commands)
    out << "Command\t" << command.name << '\t' << command.value << '\n';
  out.flush();
}

void RunPower(HeadlessClient& client, const PowerRequest& request,
              const std::optional<std::string>& localProfile, std::ostream& out,
              std::ostream& err) {
  client.LogInAsAdministrator();
  const admin::PowerStripLink link = LinkOf(client);
  const std::string profile = localProfile ? *localProfile : FetchActiveProfile(client, link);
  if (!request.send) return PrintProfile(profile, out, err);
  try {
    const std::string answer = DriveStrip(client, link, profile, request.command, err);
    out << answer << (answer.empty() || answer.back() == '\n' ? "" : "\n");
    out.flush();
  } catch (const UsageError&) {
    throw;
  } catch (const TextError& e) {
    throw TextError(admin::CONTROL_FAILED + e.Text());
  }
}

}  // namespace orbctl
