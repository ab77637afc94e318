// orbctl: the viewer's core on the command line.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>

#include "HeadlessClient.h"
#include "Options.h"
#include "Screenshot.h"
#include "platform/TextError.h"
#include "settings/Branding.h"
#include "settings/IniFile.h"
#include "settings/ScopedTraceLog.h"
#include "settings/VersionInfo.h"

namespace {

// A text that begins with "--" is already worded for the operator; the marker
// itself is not shown, as the viewer's own message boxes leave it out.
int Fail(const std::string& text) {
  const std::string shown =
      text.rfind("--", 0) == 0 ? text.substr(std::min<size_t>(3, text.size())) : text;
  std::cerr << shown << (shown.empty() || shown.back() != '\n' ? "\n" : "");
  return 1;
}

// Runs one command on a fresh client; its failure text goes to standard error.
int RunWithClient(const orbctl::Options& options, const settings::Branding& branding,
                  const std::string& version,
                  const std::function<void(orbctl::HeadlessClient&)>& command) {
  auto client = std::make_unique<orbctl::HeadlessClient>(options, branding.productName, version);
  try {
    command(*client);
    client->Disconnect();
    return 0;
  } catch (const TextError& e) {
    Fail(e.Text());
    if (client->TimedOut()) {
      // Threads still waiting on the unit must not hold the exit past the time given.
      std::fflush(nullptr);
      ::_exit(1);
    }
    return 1;
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

int RunScreenshot(const orbctl::Options& options, const settings::Branding& branding,
                  const std::string& version) {
  const orbctl::ScreenshotRequest request = orbctl::ParseScreenshotArguments(options.arguments);
  // Made before the client, so they outlive its threads.
  orbctl::ScreenshotParts parts(options.ini);
  return RunWithClient(options, branding, version, [&](orbctl::HeadlessClient& client) {
    orbctl::TakeScreenshot(client, parts, request);
  });
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const orbctl::Options options =
        orbctl::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    const settings::Branding branding = settings::ReadBranding();
    const std::string version = settings::ViewerVersionString(branding.viewerPrefix);
    if (options.help) {
      std::cout << orbctl::HelpText();
      return 0;
    }
    if (options.version) {
      std::cout << version << "\n";
      return 0;
    }
    // Traced as the viewer traces, by the LOGGING section of the same file;
    // the log and Filters.txt go beside it.
    const settings::IniFile ini(options.ini);
    const settings::ScopedTraceLog traceLog(ini,
                                            std::filesystem::absolute(options.ini).parent_path());
    if (options.command == "ping") return RunWithClient(options, branding, version, Ping);
    if (options.command == "screenshot") return RunScreenshot(options, branding, version);
    if (options.command.empty()) return Fail("No command given (see --help).");
    return Fail("Unknown command '" + options.command + "' (see --help).");
  } catch (const TextError& e) {
    return Fail(e.Text());
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
