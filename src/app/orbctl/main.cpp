// orbctl: the viewer's core on the command line.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>

#include "AdminFiles.h"
#include "FileVerb.h"
#include "FlashVerb.h"
#include "HeadlessClient.h"
#include "KeyCommands.h"
#include "Modems.h"
#include "Options.h"
#include "PowerStrip.h"
#include "RemoteCommands.h"
#include "Screenshot.h"
#include "Users.h"
#include "platform/TextError.h"
#include "settings/Branding.h"
#include "settings/VersionInfo.h"

namespace {

// A text that begins with "--" is already worded for the operator; the marker
// itself is not shown, as the viewer's own message boxes leave it out.
int Fail(const std::string& text) {
  const std::string shown =
      text.rfind("--", 0) == 0 ? text.substr(std::min<size_t>(3, text.size())) : text;
  std::cerr << shown << (shown.empty() || shown.back() != '\n' ? "\n" : "");
  return orbctl::EXIT_FAILED;
}

int Usage(const std::string& text) {
  std::cerr << text << (text.empty() || text.back() != '\n' ? "\n" : "");
  return orbctl::EXIT_USAGE;
}

// Runs one command on a fresh client; its failure text goes to standard error.
// The client's end stops the viewer's threads in whatever state they are.
int RunWithClient(const orbctl::Options& options, const settings::Branding& branding,
                  const std::string& version,
                  const std::function<void(orbctl::HeadlessClient&)>& command) {
  orbctl::HeadlessClient client(options, branding.productName, version);
  try {
    command(client);
    client.Disconnect();
    return orbctl::EXIT_DONE;
  } catch (const orbctl::UsageError& e) {
    // Found before anything was sent; the session still leaves properly.
    client.Disconnect();
    return Usage(e.Text());
  } catch (const TextError& e) {
    // A unit that sent something unusable is still left properly.
    if (!client.Viewer().IsLinkEnded()) client.Disconnect();
    return Fail(e.Text());
  }
}

void Ping(orbctl::HeadlessClient& client) {
  const orbctl::PingReport report = client.Ping();
  std::printf("Unit version: %s\n", report.unitVersion.c_str());
  std::printf("Rights: %s\n", report.administrator ? "administrator" : "user");
  std::printf("Cipher: %s\n", report.cipherName.c_str());
  std::printf("Ping: %.2f ms\n", report.tripMs);
  std::fflush(stdout);
}

int Run(const orbctl::Options& options) {
  const settings::Branding branding = settings::ReadBranding();
  const std::string version = settings::ViewerVersionString(branding.viewerPrefix);
  if (options.help) {
    std::cout << orbctl::HelpText();
    return orbctl::EXIT_DONE;
  }
  if (const std::optional<std::string> help =
          orbctl::CommandHelpText(options.command, options.arguments)) {
    std::cout << *help;
    return orbctl::EXIT_DONE;
  }
  if (options.version) {
    std::cout << version << "\n";
    return orbctl::EXIT_DONE;
  }
  if (options.command == "modems") {
    if (!options.arguments.empty())
      return Usage("modems takes no arguments, not '" + options.arguments[0] + "'.");
    orbctl::ListModems(options, std::cout);
    return orbctl::EXIT_DONE;
  }
  if (options.command == "ping") return RunWithClient(options, branding, version, Ping);
  if (options.command == "screenshot") {
    const orbctl::ScreenshotRequest request = orbctl::ParseScreenshotArguments(options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::TakeScreenshot(client, request);
    });
  }
  if (options.command == "type") {
    const orbctl::TypeRequest request = orbctl::ParseTypeArguments(options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::TypeText(client, request);
    });
  }
  if (options.command == "ctrl-alt-del" || options.command == "alt-tab") {
    if (!options.arguments.empty())
      return Usage(options.command + " takes no arguments, not '" + options.arguments[0] + "'.");
    const orbctl::KeyCommand command =
        options.command == "alt-tab" ? orbctl::KeyCommand::AltTab : orbctl::KeyCommand::CtrlAltDel;
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::SendKeyCommand(client, command);
    });
  }
  if (options.command == "users") {
    const orbctl::UsersRequest request = orbctl::ParseUsersArguments(options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::RunUsers(client, request, std::cout);
    });
  }
  if (options.command == "switch") {
    const orbctl::FileRequest request = orbctl::ParseFileArguments("switch", options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::RunSwitch(client, request, branding.switchNames);
    });
  }
  if (options.command == "config") {
    const orbctl::FileRequest request = orbctl::ParseFileArguments("config", options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::RunConfig(client, request);
    });
  }
  if (options.command == "power") {
    const orbctl::PowerRequest request = orbctl::ParsePowerArguments(options.arguments);
    const std::optional<std::string> profile = orbctl::ReadLocalProfile(request);
    if (profile && !request.send) {
      orbctl::PrintProfile(*profile, std::cout, std::cerr);
      return orbctl::EXIT_DONE;
    }
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::RunPower(client, request, profile, std::cout, std::cerr);
    });
  }
  if (options.command == "flash") {
    const auto update = orbctl::ParseFlashArguments(options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::RunFlash(client, *update, branding.productName);
    });
  }
  if (options.command == "file") {
    const orbctl::UnitFileRequest request = orbctl::ParseUnitFileArguments(options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::RunUnitFile(client, request);
    });
  }
  if (options.command == "refresh") {
    if (!options.arguments.empty())
      return Usage("refresh takes no arguments, not '" + options.arguments[0] + "'.");
    return RunWithClient(options, branding, version, orbctl::SendRefresh);
  }
  if (options.command == "line-speed") {
    const int32_t rate = orbctl::ParseLineSpeedArguments(options.arguments);
    return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
      orbctl::SendLineSpeed(client, rate);
    });
  }
  if (options.command.empty()) return Usage("No command given (see --help).");
  return Usage("Unknown command '" + options.command + "' (see --help).");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(orbctl::ParseOptions(std::vector<std::string>(argv + 1, argv + argc)));
  } catch (const orbctl::UsageError& e) {
    return Usage(e.Text());
  } catch (const TextError& e) {
    return Fail(e.Text());
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
