#include "Options.h"

#include <charconv>

#include "platform/TextError.h"

namespace orbctl {
namespace {

int Number(const std::string& option, const std::string& text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    throw UsageError(option + ": expected a number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not '" + text + "'");
  return value;
}

platform::Size ParseSize(const std::string& text) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError("--size: expected WIDTHxHEIGHT, not '" + text + "'");
  return {Number("--size", text.substr(0, x), 1, 4096),
          Number("--size", text.substr(x + 1), 1, 4096)};
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  size_t i = 0;
  auto value = [&](const std::string& option) -> const std::string& {
    if (i + 1 >= args.size()) throw UsageError(option + ": a value is missing");
    return args[++i];
  };
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--ini") {
      options.ini = value(arg);
    } else if (arg == "--connect") {
      options.connect = value(arg);
    } else if (arg == "--user") {
      options.user = value(arg);
    } else if (arg == "--password") {
      options.password = value(arg);
    } else if (arg == "--size") {
      options.size = ParseSize(value(arg));
    } else if (arg == "--timeout-ms") {
      options.timeoutMs = Number(arg, value(arg), 1, 3600000);
    } else if (arg.rfind("--", 0) == 0) {
      throw UsageError("Unknown option '" + arg + "' (see --help).");
    } else {
      options.command = arg;
      options.arguments.assign(args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
  }
  return options;
}

std::string HelpText() {
  return R"(orbctl: the headless client of the viewer.

Usage: orbctl [OPTIONS] COMMAND [ARGS]

Options
  --ini FILE            the settings file (default ./Remote.ini; a missing file is
                        created with the first-run settings)
  --connect HOST[:PORT] connect to this address over TCP/IP instead of the address
                        book's current entry (port 5678 unless given); without it
                        the current entry is connected the way it says: TCP/IP,
                        or a modem or cable of modems.ini (see modems)
  --user ID             the user name to log in with
  --password PW         the password to log in with
                        Without these the MISC keys UserID and Password are used
                        ("~" means none); without either, a terminal is asked (the
                        password is not echoed), otherwise orbctl fails.
  --size WxH            the client area of the headless view (default 1024x768);
                        the view is scaled as VIEW_TYPE's default, the local screen
                        1920x1080
  --timeout-ms N        give up after N milliseconds (default 15000)
  --help                this text
  --version             the viewer version string

Commands
  ping                  connect, negotiate, log in, send the initial packets, time
                        one PING round trip, print the unit's version string, the
                        rights (administrator or user), the session cipher and the
                        trip time, then disconnect with a DISCONNECT packet
  screenshot FILE [--settle-ms N]
                        connect and log in, let the unit draw its screen at the
                        size the view asks for, and once video has come and then
                        none for N ms (default 500), or a live screen has drawn
                        for 3 s, save the picture to FILE: a bitmap file for
                        .bmp, PNG for .png; then disconnect
  type TEXT [--key-delay-ms N]
                        connect and log in, enter pass-through and type TEXT as a
                        US keyboard (layout 00000409) types it: each character's
                        key down and up, N ms apart (default 20), with left Shift
                        held around upper-case letters and shifted symbols; a line
                        feed is Enter, a tab is Tab; then disconnect. A character
                        no US key types is refused before connecting
  ctrl-alt-del          connect and log in, send the remote Ctrl-Alt-Del command's
                        six keys, 50 ms apart, then disconnect
  alt-tab               the same with the remote Alt-Tab command's four keys
  modems                list the modems and cables of modems.ini (beside the
                        settings file): the model, a tab, the port

Exit status: 0 on success; 1 when the link or the unit failed, with the viewer's
failure text on standard error; 2 for bad usage or bad input, found before
anything was sent.
)";
}

}  // namespace orbctl
