#include "Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <string_view>

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

// One entry a command (or a command's subcommand), in the order the help
// lists them: the whole help is built from them, and a command's own help
// is its entries.
struct CommandHelp {
  std::string_view verb;
  std::string_view subcommand;
  std::string_view text;
};

constexpr CommandHelp COMMAND_HELP[] = {
    {"ping", "",
     R"(  ping                  connect, negotiate, log in, send the initial packets, time
                        one PING round trip, print the unit's version string, the
                        rights (administrator or user), the session cipher and the
                        trip time, then disconnect with a DISCONNECT packet
)"},
    {"screenshot", "",
     R"(  screenshot FILE [--settle-ms N]
                        connect and log in, let the unit draw its screen at the
                        size the view asks for, and once video has come and then
                        none for N ms (default 500), or a live screen has drawn
                        for 3 s, save the picture to FILE: a bitmap file for
                        .bmp, PNG for .png; then disconnect
)"},
    {"type", "",
     R"(  type TEXT [--key-delay-ms N]
                        connect and log in, enter pass-through and type TEXT as a
                        US keyboard (layout 00000409) types it: each character's
                        key down and up, N ms apart (default 20), with left Shift
                        held around upper-case letters and shifted symbols; a line
                        feed is Enter, a tab is Tab; then disconnect. A character
                        no US key types is refused before connecting
)"},
    {"ctrl-alt-del", "",
     R"(  ctrl-alt-del          connect and log in, send the remote Ctrl-Alt-Del command's
                        six keys, 50 ms apart, then disconnect
)"},
    {"alt-tab", "",
     R"(  alt-tab               the same with the remote Alt-Tab command's four keys
)"},
    {"users", "list",
     R"(  users list            connect and log in as an administrator, wait for the
                        unit's list of accounts and print one row per account:
                        User ID, Dialback Number (empty for none), IP Mask and
                        Admin (YES or NO), separated by tabs, after a header row
)"},
    {"users", "add",
     R"(  users add ID --new-password PW [--dialback N] [--ip-mask M] [--admin]
                        add an account (IP mask *.*.*.* unless given)
)"},
    {"users", "remove",
     R"(  users remove ID       remove an account (never the last administrator)
)"},
    {"users", "passwd",
     R"(  users passwd ID PW    give an account a new password
                        Each edit applies the user details rules to the unit's
                        list and sends the whole list back; a broken rule is
                        shown and nothing is sent (exit status 2)
)"},
    {"switch", "get",
     R"(  switch get FILE       ask the unit for its switch table and save it to FILE
                        (CR LF line ends)
)"},
    {"switch", "put",
     R"(  switch put FILE       check the table in FILE line by line, send it, and check
                        that the unit then holds it; problems in the file are
                        listed and nothing is sent (exit status 2)
)"},
    {"config", "get",
     R"(  config get FILE       wait for the configuration document the unit sends an
                        administrator and save it to FILE
)"},
    {"config", "put",
     R"(  config put FILE       read and check the document in FILE, then send it
                        compressed
)"},
    {"power", "show",
     R"(  power show [--profile FILE]
                        print the power strip profile, the unit's active copy
                        unless FILE is given: its settings, one per line, then
                        one line per command (Command, name, command string),
                        separated by tabs; problems go to standard error
)"},
    {"power", "send",
     R"(  power send COMMAND [--profile FILE]
                        open the unit's serial port with the profile's settings,
                        send the profile's Init, COMMAND (with its pauses) and
                        Exit, print what the strip answered, close the port
)"},
    {"flash", "",
     R"(  flash IMAGE           connect and log in, send the firmware image IMAGE (kind 2
                        when its name contains ".FlashPCI", else 1 when it
                        contains ".bin"; any other name is refused, exit status
                        2) in chunks of 4,996 bytes, with a progress line on
                        standard error when that is a terminal; fails when the
                        unit refuses the image or the link is lost on the way
)"},
    {"file", "get",
     R"(  file get UNIT_PATH LOCAL_FILE
                        save the unit's file UNIT_PATH (below /mnt/flash/Quil/)
                        to LOCAL_FILE
)"},
    {"file", "put",
     R"(  file put LOCAL_FILE UNIT_PATH
                        store LOCAL_FILE on the unit as UNIT_PATH; each waits
                        about five seconds for the unit's answer
)"},
    {"refresh", "",
     R"(  refresh               ask the unit to resend its whole picture
)"},
    {"line-speed", "",
     R"(  line-speed slow|fast  tell the unit to treat the link as slow (28,000) or
                        fast (1,000,000), which chooses its compression
)"},
    {"modems", "",
     R"(  modems                list the modems and cables of modems.ini (beside the
                        settings file): the model, a tab, the port
)"},
};

constexpr std::string_view HELP_HEAD = R"(orbctl: the headless client of the viewer.

Usage: orbctl [OPTIONS] COMMAND [ARGS]

Options
  --ini FILE            the settings file (default ./Remote.ini; a missing file is
                        created with the first-run settings)
  --connect HOST[:PORT] connect to this address over TCP/IP instead of the address
                        book's current entry (port 5678 unless given); without it
                        the current entry is connected the way it says: TCP/IP,
                        or a modem or cable of modems.ini (see modems)
  --user ID             the user name to log in with; without it the MISC key
                        UserID ("~" means none), else the terminal is asked
  --password PW         the password to log in with; other local users can read
                        it in the process list, so prefer --password-file or
                        ORB_PASSWORD
  --password-file FILE  log in with the first line of FILE as the password (a
                        trailing CR or LF is not part of it)
                        The password comes from --password, else
                        --password-file, else the environment variable
                        ORB_PASSWORD (when not empty), else the MISC key
                        Password ("~" means none), else the terminal (not
                        echoed); with none of them and no terminal orbctl stops
                        before connecting, with exit status 2
  --size WxH            the client area of the headless view (default 1024x768);
                        the view is scaled as VIEW_TYPE's default, the local screen
                        1920x1080
  --timeout-ms N        give up after N milliseconds (default 15000)
  --help                this text
  --version             the viewer version string

Commands
)";

constexpr std::string_view HELP_TAIL = R"(
Environment
  ORB_PASSWORD          the password to log in with, when neither --password nor
                        --password-file is given

Exit status: 0 on success; 1 when the link or the unit failed, with the viewer's
failure text on standard error; 2 for bad usage or bad input, found before
anything was sent.
)";

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  std::optional<std::string> size;
  std::optional<std::string> timeout;
  CLI::App app("the headless client of the viewer", "orbctl");
  // The help is orbctl's own text, and the command's arguments are its own.
  app.set_help_flag();
  app.prefix_command();
  // An option given twice keeps its last value.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag("-h,--help", options.help);
  app.add_flag("--version", options.version);
  app.add_option("--ini", options.ini);
  app.add_option("--connect", options.connect);
  app.add_option("--user", options.user);
  app.add_option("--password", options.password);
  app.add_option("--password-file", options.passwordFile);
  app.add_option("--size", size);
  app.add_option("--timeout-ms", timeout);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const std::string text = e.what();
    const size_t colon = text.find(':');
    if (colon != std::string::npos && text.rfind("--", 0) == 0)
      throw UsageError(text.substr(0, colon) + ": a value is missing");
    throw UsageError(text + " (see --help).");
  }
  if (size) options.size = ParseSize(*size);
  if (timeout) options.timeoutMs = Number("--timeout-ms", *timeout, 1, 3600000);
  const std::vector<std::string> rest = app.remaining();
  if (!rest.empty()) {
    if (rest[0].rfind("--", 0) == 0)
      throw UsageError("Unknown option '" + rest[0] + "' (see --help).");
    options.command = rest[0];
    options.arguments.assign(rest.begin() + 1, rest.end());
  }
  return options;
}

std::string HelpText() {
  std::string text(HELP_HEAD);
  for (const CommandHelp& entry : COMMAND_HELP) text += entry.text;
  text += HELP_TAIL;
  return text;
}

std::optional<std::string> CommandHelpText(const std::string& command,
                                           const std::vector<std::string>& arguments) {
  // Asked for before "--", after which every argument is the command's own.
  const auto end = std::find(arguments.begin(), arguments.end(), "--");
  if (std::find_if(arguments.begin(), end, [](const std::string& argument) {
        return argument == "--help" || argument == "-h";
      }) == end)
    return std::nullopt;
  const std::string subcommand = arguments.empty() ? "" : arguments.front();
  const auto matches = [&](const CommandHelp& entry, bool bySubcommand) {
    return entry.verb == command && (!bySubcommand || entry.subcommand == subcommand);
  };
  // The subcommand's own entry when one is named, else every entry of the command.
  const bool named = std::any_of(
      std::begin(COMMAND_HELP), std::end(COMMAND_HELP),
      [&](const CommandHelp& entry) { return !entry.subcommand.empty() && matches(entry, true); });
  std::string text;
  for (const CommandHelp& entry : COMMAND_HELP)
    if (matches(entry, named)) text += entry.text;
  if (text.empty()) return std::nullopt;
  return "Usage: orbctl [OPTIONS] " + command + (named ? " " + subcommand : "") + " ...\n\n" +
         text + "\nThe options before the command are those of orbctl --help.\n";
}

}  // namespace orbctl
