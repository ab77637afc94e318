#include "CommandLine.h"

#include <functional>
#include <map>
#include <stdexcept>

#include "PowerStrip.h"

namespace sim {

namespace {

long Number(const std::string& flag, const std::string& text, long low, long high) {
  std::size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty() || value < low || value > high)
    throw std::runtime_error(flag + ": expected a number from " + std::to_string(low) + " to " +
                             std::to_string(high) + ", not '" + text + "'");
  return value;
}

template <typename T>
void NumberOrNone(std::optional<T>& target, const std::string& flag, const std::string& text,
                  long low, long high) {
  if (text == "none")
    target.reset();
  else
    target = static_cast<T>(Number(flag, text, low, high));
}

void ParseListen(UnitOptions& options, const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos) throw std::runtime_error("--listen: expected ADDR:PORT");
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  if (host.empty()) throw std::runtime_error("--listen: the address is missing");
  options.listenHost = host;
  options.listenPort = static_cast<int>(Number("--listen", text.substr(colon + 1), 0, 65535));
}

void ParseScreen(UnitOptions& options, const std::string& text) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw std::runtime_error("--screen: expected WIDTHxHEIGHT");
  options.nativeWidth = static_cast<int>(Number("--screen", text.substr(0, x), 1, 1600));
  options.nativeHeight = static_cast<int>(Number("--screen", text.substr(x + 1), 1, 1200));
}

double Rate(const std::string& flag, const std::string& text) {
  std::size_t used = 0;
  double value = -1;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty() || !(value >= 0 && value <= 1))
    throw std::runtime_error(flag + ": expected a rate from 0 to 1, not '" + text + "'");
  return value;
}

Encoding ParseEncoding(const std::string& text) {
  if (text == "raw") return Encoding::Raw;
  if (text == "segment") return Encoding::Segment;
  if (text == "multisegment") return Encoding::MultiSegment;
  if (text == "mixed") return Encoding::Mixed;
  throw std::runtime_error("--encoding: expected raw, segment, multisegment or mixed, not '" +
                           text + "'");
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine result;
  UnitOptions& o = result.options;
  Faults& f = o.faults;
  SerialOptions& serial = o.serial;
  using Setter = std::function<void(const std::string&)>;
  const std::map<std::string, Setter> withValue = {
      {"--listen", [&](const std::string& v) { ParseListen(o, v); }},
      {"--protocol",
       [&](const std::string& v) { NumberOrNone(o.protocol, "--protocol", v, 0, 255); }},
      {"--version-string",
       [&](const std::string& v) {
         if (v == "none")
           o.versionString.reset();
         else
           o.versionString = v;
       }},
      {"--encryption-types",
       [&](const std::string& v) {
         NumberOrNone(o.encryptionTypes, "--encryption-types", v, 0, 255);
       }},
      {"--encryption",
       [&](const std::string& v) { NumberOrNone(o.encryption, "--encryption", v, 0, 255); }},
      {"--inactivity",
       [&](const std::string& v) {
         NumberOrNone(o.inactivitySeconds, "--inactivity", v, 0, 0xFFFFFFFFL);
       }},
      {"--special-type",
       [&](const std::string& v) { NumberOrNone(o.specialType, "--special-type", v, 0, 255); }},
      {"--segment-mode",
       [&](const std::string& v) {
         NumberOrNone(o.segmentMode, "--segment-mode", v, -0x7FFFFFFFL, 0x7FFFFFFFL);
       }},
      {"--keepalive-s",
       [&](const std::string& v) {
         o.keepAliveSeconds = static_cast<int>(Number("--keepalive-s", v, 0, 255));
       }},
      {"--login-timeout-s",
       [&](const std::string& v) {
         o.loginTimeoutSeconds = static_cast<int>(Number("--login-timeout-s", v, 0, 86400));
       }},
      {"--text-msg", [&](const std::string& v) { o.textMessage = v; }},
      {"--text-msg-seconds",
       [&](const std::string& v) {
         o.textMessageSeconds = static_cast<int>(Number("--text-msg-seconds", v, 0, 255));
       }},
      {"--users",
       [&](const std::string& v) {
         o.users = UserList::Load(v);
         o.usersFile = v;
       }},
      {"--switch-table", [&](const std::string& v) { o.switchTable = LoadSwitchTable(v); }},
      {"--config-doc", [&](const std::string& v) { o.configDocument = LoadConfigDocument(v); }},
      {"--power-profile", [&](const std::string& v) { o.powerProfile = LoadPowerProfile(v); }},
      {"--challenge-length",
       [&](const std::string& v) {
         o.challengeLength = static_cast<int>(Number("--challenge-length", v, 0, 199));
       }},
      {"--screen", [&](const std::string& v) { ParseScreen(o, v); }},
      {"--encoding", [&](const std::string& v) { o.encoding = ParseEncoding(v); }},
      {"--frame-interval-ms",
       [&](const std::string& v) {
         o.frameIntervalMs = static_cast<int>(Number("--frame-interval-ms", v, 0, 60000));
       }},
      {"--dump-frame", [&](const std::string& v) { o.dumpFramePath = v; }},
      {"--serial", [&](const std::string& v) { serial.device = v; }},
      {"--speed",
       [&](const std::string& v) {
         serial.speed = static_cast<int>(Number("--speed", v, 1200, 460800));
       }},
      {"--connect-delay-ms",
       [&](const std::string& v) {
         serial.connectDelayMs = static_cast<int>(Number("--connect-delay-ms", v, 0, 60000));
       }},
      {"--ring-interval-ms",
       [&](const std::string& v) {
         serial.ringIntervalMs = static_cast<int>(Number("--ring-interval-ms", v, 10, 60000));
       }},
      {"--fault-noise", [&](const std::string& v) { f.noiseRate = Rate("--fault-noise", v); }},
  };
  const std::map<std::string, bool*> switches = {
      {"--help", &result.help},
      {"--busy", &o.busy},
      {"--refuse-login", &o.refuseLogin},
      {"--refuse-admin", &o.refuseAdmin},
      {"--flash-fail", &o.flashFail},
      {"--malformed-admin", &f.malformedAdmin},
      {"--verbose", &o.verbose},
      {"--log-keys", &result.logKeys},
      {"--log-mouse", &result.logMouse},
      {"--log-commands", &result.logCommands},
      {"--change-on-stdin", &result.changeOnStdin},
      {"--fault-close-mid-packet", &f.closeMidPacket},
      {"--log-strip", &o.logStrip},
      {"--fault-stall", &f.stall},
      {"--fault-bad-checksum", &f.badChecksum},
      {"--fault-oversize", &f.oversizePacket},
      {"--fault-garbage", &f.garbage},
      {"--fault-no-keepalive", &f.noKeepAlive},
      {"--fault-unknown-type", &f.unknownType},
      {"--fault-finished-stream", &f.finishedStream},
      {"--fault-big-screen", &f.bigScreen},
      {"--pty", &serial.pty},
      {"--direct", &serial.direct},
      {"--call-back", &serial.callBack},
      {"--fault-drop-carrier", &f.dropCarrier},
      {"--fault-no-answer", &f.dialNoAnswer},
      {"--fault-busy", &f.dialBusy},
      {"--fault-no-ring", &f.noRing},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--no-fill-square") {
      o.fillSquare = false;
    } else if (auto s = switches.find(flag); s != switches.end()) {
      *s->second = true;
    } else if (auto w = withValue.find(flag); w != withValue.end()) {
      if (i + 1 >= args.size()) throw std::runtime_error(flag + ": a value is missing");
      w->second(args[++i]);
    } else {
      throw std::runtime_error("unknown flag '" + flag + "' (see --help)");
    }
  }
  if (serial.pty && !serial.device.empty())
    throw std::runtime_error("--pty and --serial: choose one line");
  return result;
}

std::string HelpText() {
  return R"(orb-sim: a simulated Orb unit for the viewer to connect to.

Prints "LISTENING <port>" on standard output once it listens, then serves one viewer at a
time until SIGTERM or SIGINT. A viewer that connects while another is served is told the unit
is busy (negotiation option "protocol" = 1). It prints "SESSION STARTED" on standard output
when it takes a viewer on, before answering it, and "SESSION ENDED" each time a viewer's
session is over and the unit can serve another.

Listening
  --listen ADDR:PORT        address to listen on (default 127.0.0.1:5678; port 0 picks one)
  --busy                    always answer as busy with another connection (on a serial
                            line too)
  --verbose                 log every exchange on standard error

Serial line (instead of listening)
  --pty                     open a pseudo-terminal and serve it; prints "PTY <path>" with the
                            path the viewer opens, before serving
  --serial DEVICE           serve an existing serial device (raw, 8N1); prints
                            "SERIAL <device>" before serving
  The unit sits behind a Hayes modem: commands start with AT (any text before it is skipped)
  and end with a carriage return; each is echoed (ATE0/ATE1) and answered with a result
  code, verbose "\r\nOK\r\n" (ATV1, the default) or numeric "0\r" (ATV0), none with ATQ1.
  Results: OK 0, CONNECT <speed> 1, RING 2, NO CARRIER 3, ERROR 4, BUSY 7, NO ANSWER 8.
  Settings and init strings (ATZ, AT&F, ATE0V1, AT&C1&D2, ATS0=0, ATX4, AT+..., ...) are
  answered OK, an unknown command ERROR. ATDT<number> or ATDP<number> (tone or pulse)
  answers CONNECT <speed> after the connect delay; then the negotiation and the session run
  on the call. "+++" with a second of silence before and after it is answered OK and
  returns to command mode: ATH hangs up (OK), ATO goes back to the call (CONNECT). Closing
  the line hangs up too. When the unit ends the call (DISCONNECT, a closing text, a fault)
  the modem says NO CARRIER. A pseudo-terminal has no modem control lines.
  --direct                  a null-modem cable instead: no modem; the unit answers the
                            viewer's "ATD\r" with CONNECT <speed> and then takes the
                            negotiation
  --speed BPS               the line's rate and the speed CONNECT reports (default 57600)
  --connect-delay-ms MS     from ATD or ATA to CONNECT (default 2000)
  --call-back               call back every login on a modem call: after a good login the
                            unit sends CALL_BACK and drops the call (it gives the viewer 3 s
                            to hang up first, then NO CARRIER), the modem rings ("RING" every
                            ring interval, at most 15 times); after ATA it answers CONNECT
                            <speed>, waits up to 15 s for "hello from bnvk", answers
                            "Hello from orb", and 2 s later grants the login (LOGGED_IN)
  --ring-interval-ms MS     between two rings of a call-back (default 2000)
  Line errors: on RESEND_FROM, which counts the packets other than video the viewer took in
  since the session's first CONNECT (a call-back does not start the count again), the unit
  sends a run of 5 ERROR_RESYNC markers (marker k of 5 holds k and 5 in header bytes 7 and
  8), then every packet other than video after that count as it first went out, then, while
  video streams, a whole picture compressed without reference to what went before.
  Each time a call (or a session on the cable) is over and the line is ready for the next,
  it prints "SESSION ENDED".

Negotiation (the unit's proposals; "none" leaves the option out)
  --protocol N              option 1 (default 0; 1 is the busy marker)
  --version-string TEXT     option 2, the unit's version (default ORB2.10)
  --encryption-types MASK   option 3, 1 NONE | 2 BLOWFISH | 4 TRIPLE DES (default 7); also
                            narrows the mask acknowledged in the viewer's own request
  --encryption ID           option 4, the session cipher: 11 NONE, 12 TRIPLE DES,
                            13 BLOWFISH (default 13)
  --inactivity N            option 5, seconds without a packet from the viewer before the
                            unit ends the session with "Inactivity timer expired." (default
                            0 = never)
  --special-type ID         option 6, the user list's cipher (default 13)
  --segment-mode N          option 7, the initial video segment mode (default 3)

Session and login
  --keepalive-s N           send KEEP_ALIVE every N seconds (default 15; 0 = never)
  --login-timeout-s N       end with "Time expired for logging in" when nobody has logged in
                            after N seconds (default 120; 0 = never)
  --users FILE              the accounts, one per line: name:password:admin or
                            name:password:user, optionally followed by :dialback:ipmask
                            (digits, blanks, '-' and ','; four parts each 0-255 or *);
                            '#' starts a comment line; the password may hold ':'. A list
                            an administrator sends replaces the file (comments are lost).
                            Default: admin / admin (administrator), operator / operator
                            and night / shift (dialback 555-0123, mask 192.168.1.*)
  --challenge-length N      characters of the login challenge (default 16)
  --refuse-login            refuse every login; the third refusal ends the session with
                            "Too many login attempts."
  --text-msg TEXT           send TEXT as a TEXT_MSG right after login
  --text-msg-seconds N      how long the viewer shows it (its subtype; 0 = a message box)

Administration (for a viewer logged in as an administrator)
  Right after such a login the unit sends its accounts list (USERS_LIST subtype 1, under the
  session cipher, or under the user list's cipher while the session has none; not sent when
  neither is agreed; passwords as held, every password-changed field "F") and its
  configuration document (SERVER_CONFIG_DATA subtype 1: length with the zero, then the text
  and its zero deflated with a sync flush, the stream never finished). REQUEST_SWITCH_SETTINGS
  is answered with SWITCH_SETTINGS subtype 0: the table text, LF line ends, and its zero; an
  empty USERS_LIST or SERVER_CONFIG_DATA asks for the list or the document again.
  A USERS_LIST, SWITCH_SETTINGS or SERVER_CONFIG_DATA (subtype 1 compressed as above, any
  other the text) from an administrator replaces the unit's own at once: new logins use the
  new accounts, the next request or login gets the new table or document. An account marked
  "F" keeps the password the unit holds for its name. A change the unit will not take (not
  an administrator, --refuse-admin, a malformed packet, a list without an administrator, a
  table whose lines do not end in LF alone, a document without <Document ...>) changes
  nothing and is answered with a TEXT_MSG (subtype 0) "<What> not changed: <why>.".
  Files below /mnt/flash/Quil/ live in memory for the unit's life, empty at the start:
  GET_FILE (the path and its zero) is answered with subtype 1, the length (32-bit) and the
  bytes, or subtype 0; PUT_FILE (path length, data length, path, data, each with its zero)
  stores the data without its zero and answers subtype 0, or 1 (will not overwrite) or 2
  (cannot open: a bad path or request).
  FLASH_UPDATE (subtype: image kind 1 or 2; a chunk word, then the bytes) is taken chunk by
  chunk: 4,996 bytes under the words 0, 1, 2, ... in order, then up to 4,996 under 0xFFFFFFFF,
  which ends the image. A whole image from an administrator is written in silence; a chunk
  out of order or of the wrong size, a change of kind, an empty or over-16-MiB image, a viewer
  without administrator rights or --flash-fail is told once in a TEXT_MSG "Flash not updated:
  <why>.", and the rest of that image is dropped. A new chunk 0 starts a new image.
  --switch-table FILE       the switch table as it starts, a text file with CR LF or LF line
                            ends (line 1 empty, line 2 the switch type, lines 3 to 5 empty,
                            then "`<port>`<name>`<key codes>" per port). Default: "custom",
                            ports 1 Alpha, 2 Bravo and 3 Charlie
  --config-doc FILE         the configuration document as it starts (XML with a <Document>
                            element, under 400,000 bytes). Default: ports COM1 and COM2, a
                            modem Modem1 installed on COM1, a power strip Strip1 not installed
  --refuse-admin            refuse every change an administrator sends (PUT_FILE answers 1
                            for a file the unit holds, 2 for a new one)
  --flash-fail              refuse every whole flash image (as a unit that cannot write it)
  --malformed-admin         send every accounts list, switch table and document spoilt: the
                            list's count claims one account more than it holds, the table is
                            cut in its last line without its zero, the document's zlib
                            stream does not inflate (a bad header)

  --power-profile FILE      the active power strip profile the unit starts with, stored as
                            /mnt/flash/Quil/Current.PowerSwitch
  --log-strip               the power strip on the serial port prints a line per request on
                            standard output: "STRIP OPEN port P baud B timeout T parity N
                            data D flow F stop S rtscts R", "STRIP WRITE +<ms since the
                            write before>ms <bytes in hex>", "STRIP CLOSE". The strip echoes
                            what it is sent and answers "\nOK\r\n" after each carriage
                            return; SERIAL_READ gets what it has not read yet
Video
  --screen WxH              the target's native screen (default 1024x768, at most 1600x1200)
  --encoding E              raw (uncompressed runs), segment (compressed single runs),
                            multisegment (compressed opcode stream, the default) or mixed
                            (the three in turn, one per update)
  --frame-interval-ms N     animate the desktop and send its changes every N ms (default
                            100; 0 = only on RESIZE, REPAINT and CHANGE_COLOR_LO_HI)
  --no-fill-square          do not paint the 12 x 12 square in the top right corner with
                            FILL_BMP_WITH_COLOR (it is painted by default, never by video)
  --dump-frame FILE         after each update, write the picture the viewer should then
                            show (24-bit RGB after the 5-6-5 round trip) to FILE as a binary
                            PPM; it is in place before the update's packets are sent
  --change-on-stdin         read lines from standard input, each "small" or "full": while
                            video streams to a logged-in viewer, paint the 32 x 32 square
                            whose top left corner is at (width / 2 - 16, height / 2 - 16)
                            ("small") or the whole screen ("full") in a plain colour that
                            differs from every colour such changes show at the time, send
                            the update at once and, once it is written to the connection,
                            print "CHANGE SENT <microseconds> <small|full> <RRGGBB>": when
                            the update, rendered and compressed, began to leave (on
                            CLOCK_MONOTONIC) and the colour in hexadecimal. Requests
                            wait while no video streams; other lines are reported on
                            standard error and skipped. Use it with --frame-interval-ms 0
                            so that nothing else changes

Keyboard
  Keys from a logged-in viewer go to the target, a computer with a US keyboard: what they
  type (letters, digits, punctuation, Space, Tab, Enter, Backspace; Shift and Caps Lock as
  usual, nothing while Ctrl or Alt is held) appears in the Notes window, and every press of
  Caps Lock, Num Lock or Scroll Lock toggles its state and is answered with KBD_LEDS, the new
  lock byte in the subtype (1 Scroll, 2 Num, 4 Caps). Text and lock states outlast a session;
  keys still held when a viewer leaves are let go.
  --log-keys                print each key received on standard output as it arrives,
                            one line each:
                              KEY <message> <virtual key> <key data> mods <9 bytes>
                            e.g. KEY WM_KEYDOWN 00000041 001E0001 mods 00 00 00 00 00 00 00 00 00
                            <message> is WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_DEADCHAR,
                            WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR, WM_SYSDEADCHAR,
                            WM_HOOKED_KEY (1107), or else the number in 8 hex digits; the
                            virtual key and key data are 8 upper-case hex digits; the nine
                            modifier bytes, 2 hex digits each, are Shift, Alt, Ctrl, left
                            Shift, right Shift, left Alt, right Alt, left Ctrl, right Ctrl
                            as the viewer sent them (01 down)

Mouse
  Mouse messages from a logged-in viewer are taken and counted; the target's desktop has no
  pointer of its own.
  --log-mouse               print each mouse message received on standard output, one line
                            each: MOUSE <message> <wParam> <lParam> <dx> <dy>
                            e.g. MOUSE 00000201 00000001 00A00140 0 0
                            message, wParam and lParam as the viewer sent them in 8
                            upper-case hex digits, dx and dy (the movement since the last
                            MOUSE packet) in signed decimal
  --log-commands            print a line on standard output for each of these commands from a
                            logged-in viewer: REPAINT, THROUGHPUT_OBSERVED <rate>, and
                            FLASH WRITTEN <bytes> bytes kind <kind> for a flash image written

Faults (each fires once, at the first video update unless said otherwise)
  --fault-close-mid-packet  send half of the first video packet, then close the socket
  --fault-stall             after the first full picture send nothing more, keep the socket
  --fault-bad-checksum      corrupt the checksum of the first video packet
  --fault-oversize          send a packet whose PayloadSize exceeds 60,000
  --fault-garbage           send 100,001 bytes of garbage
  --fault-no-keepalive      send the first KEEP_ALIVE only
  --fault-unknown-type      right after login, send a packet of type 99
  --fault-finished-stream   end the first compressed video packet with Z_FINISH
  --fault-big-screen        announce a screen of 1,601 x 1,200 in NEW_SIZE
  --fault-noise RATE        on every packet after the first video packet (which starts the
                            one compressed stream, so no resend could replace it), with
                            probability RATE (0 to 1), line noise: 1 to 16 random bytes
                            before the packet or a broken checksum, so the viewer must
                            resynchronise (seeded, repeatable)
  --fault-drop-carrier      drop the line after the first full picture (a modem says NO
                            CARRIER; a cable goes quiet)
  --fault-no-answer         every dial ends in NO ANSWER
  --fault-busy              every dial ends in BUSY
  --fault-no-ring           a call-back never rings (with --call-back)
  (--refuse-login, --busy, --refuse-admin and --malformed-admin above are faults too)
)";
}

}  // namespace sim
