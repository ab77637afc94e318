#pragma once
// Everything that shapes the simulated unit's behaviour, filled by the command line or by a
// test or benchmark that runs the unit in-process.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Colour.h"
#include "ConfigDocument.h"
#include "KeyEvent.h"
#include "MouseEvent.h"
#include "ScreenChanges.h"
#include "SwitchTable.h"
#include "Users.h"

namespace sim {

enum class Encoding { Raw, Segment, MultiSegment, Mixed };

// Deliberate misbehaviour, each switched by its own flag.
struct Faults {
  bool closeMidPacket = false;  // first video packet is cut in half, then the socket closes
  bool stall = false;           // after the first picture nothing more is sent
  bool badChecksum = false;     // the first video packet carries a wrong checksum
  bool oversizePacket = false;  // a packet whose PayloadSize exceeds 60,000
  bool garbage = false;         // 100,001 bytes that are not packets
  bool noKeepAlive = false;     // one KEEP_ALIVE, then never again
  bool unknownType = false;     // one packet of a type the catalogue does not know
  bool finishedStream = false;  // the first compressed video packet ends its deflate stream
  bool bigScreen = false;       // NEW_SIZE announces 1,601 x 1,200
  // Every accounts list, switch table and configuration document is sent spoilt: the list
  // counts an account it does not hold, the table is cut short, the document does not inflate.
  bool malformedAdmin = false;

  // On a serial line.
  double noiseRate = 0;       // share of packets after the first video packet hit by noise
  bool dropCarrier = false;   // the line drops after the first full picture
  bool dialNoAnswer = false;  // a dial ends in NO ANSWER
  bool dialBusy = false;      // a dial ends in BUSY
  bool noRing = false;        // a call-back never rings
};

// Serving a serial line instead of listening on TCP.
struct SerialOptions {
  bool pty = false;           // open a pseudo-terminal and serve its master side
  std::string device;         // or serve this existing device
  bool direct = false;        // a null-modem cable: no modem in between
  int speed = 57600;          // the line's rate, and the one CONNECT reports
  int connectDelayMs = 2000;  // from ATD or ATA to CONNECT, as a modem takes to train
  int ringIntervalMs = 2000;  // between two RINGs of a call-back
  bool callBack = false;      // call back every modem login before granting it

  bool Enabled() const { return pty || !device.empty(); }
};

struct UnitOptions {
  std::string listenHost = "127.0.0.1";
  int listenPort = 5678;

  // Negotiation proposals; an empty optional leaves the option out of the unit's request.
  std::optional<int> protocol = 0;
  std::optional<std::string> versionString = std::string("ORB2.10");
  std::optional<int> encryptionTypes = 7;  // also the mask acknowledged to the viewer
  std::optional<int> encryption = 13;
  std::optional<std::uint32_t> inactivitySeconds = 0;
  std::optional<int> specialType = 13;
  std::optional<std::int32_t> segmentMode = 3;
  bool busy = false;

  // Session.
  int keepAliveSeconds = 15;
  int loginTimeoutSeconds = 120;
  std::string textMessage;
  int textMessageSeconds = 0;
  UserList users = UserList::Default();
  std::string usersFile;  // where an accounts list an administrator sends is written back
  int challengeLength = 16;
  bool refuseLogin = false;

  // Administration: the unit's records as it starts.
  std::string switchTable = DefaultSwitchTable();
  std::string configDocument = DefaultConfigDocument();
  bool refuseAdmin = false;  // refuse every change an administrator sends
  bool flashFail = false;    // refuse every whole flash image, as a unit that cannot write it
  std::string powerProfile;  // the active power strip profile the unit starts with
  bool logStrip = false;     // the power strip's "STRIP ..." lines on standard output

  // Video.
  int nativeWidth = 1024;
  int nativeHeight = 768;
  Encoding encoding = Encoding::MultiSegment;
  int frameIntervalMs = 100;
  bool fillSquare = true;
  std::string dumpFramePath;

  Faults faults;
  SerialOptions serial;
  bool verbose = false;

  // For an embedding benchmark: called on the session's thread when a picture,
  // already rendered and compressed, is about to leave.
  std::function<void()> onPictureSend;
  // Called on the session's thread with each key a logged-in viewer sends, before the target
  // takes it.
  std::function<void(const KeyEvent&)> onKey;
  // Called on the session's thread with each mouse message a logged-in viewer sends.
  std::function<void(const MouseEvent&)> onMouse;
  // Called on the session's thread with a line for each unit command a logged-in viewer gives:
  // a flash image written, REPAINT, THROUGHPUT_OBSERVED (see CommandNote.h).
  std::function<void(const std::string&)> onCommand;
  // Asked on the session's thread, while video streams to a logged-in viewer, for the next
  // change to paint on the target's screen; nothing when none is waiting.
  std::function<std::optional<ScreenChange>()> nextScreenChange;
  // Called on the session's thread once the update that shows such a change is written to
  // the connection, with the change, its new colour and the moment the update (already
  // rendered and compressed) began to leave.
  std::function<void(ScreenChange, Rgb, std::chrono::steady_clock::time_point)> onScreenChangeSent;
  // Called on the accepting thread when the unit takes a viewer on, before it answers it.
  std::function<void()> onSessionStart;
  // Called on the session's thread once a viewer's session is over and the unit is free to
  // serve the next one.
  std::function<void()> onSessionEnd;
};

}  // namespace sim
