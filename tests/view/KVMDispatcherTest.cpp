#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>

#include "admin/FileRequest.h"
#include "admin/ReplyWait.h"
#include "platform/MessageLoop.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketTypes.h"
#include "session/LoginCrypto.h"
#include "support/TraceRecorder.h"
#include "view/DispatcherFixture.h"
#include "view/OperatorMessages.h"

using platform::HeadlessDialogs;
using testing::HasSubstr;

namespace {

std::vector<uint8_t> Word(uint32_t value, std::vector<uint8_t> rest = {}) {
  std::vector<uint8_t> bytes(4 + rest.size());
  StoreLE32(bytes.data(), value);
  std::copy(rest.begin(), rest.end(), bytes.begin() + 4);
  return bytes;
}

// The configuration document as the unit sends it: length word, then a
// deflate stream flushed (or, when finish is set, ended) after the text.
std::vector<uint8_t> Compressed(const std::string& text, bool finish, uint32_t declared) {
  z_stream stream{};
  deflateInit(&stream, Z_DEFAULT_COMPRESSION);
  std::vector<uint8_t> out(text.size() + 64);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, finish ? Z_FINISH : Z_SYNC_FLUSH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return Word(declared, out);
}

}  // namespace

TEST_F(DispatcherTest, RoutesTheSimplePacketTypesAndCountsThem) {
  TraceRecorder trace;
  EXPECT_EQ(Feed(PING, 2, {1, 2, 3, 4, 5}), 1);
  ASSERT_EQ(session.sent.size(), 1u);
  EXPECT_EQ(session.sent[0].header.type, PING_RESPONSE);
  EXPECT_EQ(session.sent[0].header.subtype, 2);
  EXPECT_EQ(session.sent[0].payload, (std::vector<uint8_t>{1, 2, 3, 4, 5}));

  Feed(KEEP_ALIVE, 60, {});
  Feed(MULTISEGMENT, 0, {0});
  Feed(THROUGHPUT_TEST_PACKET, 0, Word(1));
  Feed(HAND_SHAKE, 0, {});
  Feed(99, 0, {1});
  Feed(PING_RESPONSE, 0, {1, 2});  // too short to time: counted only
  EXPECT_EQ(session.keepAlives, 1);
  EXPECT_EQ(session.counters.videoSegmentMode, 3);
  // The test packet's echo is timed and the rate told to the unit.
  EXPECT_EQ(session.SentCount(THROUGHPUT_OBSERVED), 1u);
  EXPECT_EQ(session.counters.lastHandled, 7u);
  EXPECT_EQ(dispatcher.ReceiveCount(HAND_SHAKE), 1u);
  EXPECT_EQ(dispatcher.ReceiveCount(PING_RESPONSE), 1u);
  EXPECT_EQ(dispatcher.LastPingTrip(), 0u);
  EXPECT_EQ(dispatcher.UnknownTypeCount(), 1u);
  EXPECT_EQ(trace.Count("WARNING: Unknown packet type recieved: 99\n"), 1u);

  Feed(RESIZE, 0, Word(800, Word(600)));
  Feed(RESIZE, 0, Word(800, Word(601)));
  EXPECT_EQ(video.blocksEnded, 1);
  // Asked for more than it draws, the unit echoes its largest: the picture
  // takes that size. Any other size is an echo of an older request.
  struct Echo {
    platform::Size frame, echoed;
    bool adopted;
  };
  for (const Echo& echo :
       {Echo{{1920, 1080}, {1600, 1080}, true}, Echo{{1920, 1280}, {1600, 1200}, true},
        Echo{{1920, 1080}, {1700, 1080}, false}, Echo{{1024, 768}, {800, 600}, false}}) {
    SCOPED_TRACE(echo.echoed.width);
    video.frame = echo.frame;
    video.resizedTo = {};
    const int ended = video.blocksEnded;
    Feed(RESIZE, 0,
         Word(static_cast<uint32_t>(echo.echoed.width),
              Word(static_cast<uint32_t>(echo.echoed.height))));
    EXPECT_EQ(video.resizedTo, echo.adopted ? echo.echoed : platform::Size{});
    EXPECT_EQ(video.blocksEnded, ended + (echo.adopted ? 1 : 0));
  }
  video.frame = {800, 600};
  Feed(FILL_BMP_WITH_COLOR, 0, {10, 0, 20, 0, 30, 0, 40, 0, 255, 128, 1});
  ASSERT_EQ(video.fills.size(), 1u);
  EXPECT_EQ(video.fills[0], (std::vector<int>{10, 20, 30, 40, 255, 128, 1}));
  Feed(VIEWER_RESOLUTION_STRING, 0, Text("1024 x 768"));
  EXPECT_EQ(view.StatusText(3), "1024 x 768");

  EXPECT_EQ(session.disconnects, 0);
  Feed(DISCONNECT, 0, {});
  EXPECT_EQ(session.disconnects, 1);
}

TEST_F(DispatcherTest, DecryptsAnEncryptedPayloadFirst) {
  const session::LoginKeys keys = session::DeriveLoginKeys("pw");
  session.cipher.SetKeys(keys.blowfish, keys.key1, keys.key2, keys.key3);
  session.cipher.SetSessionCipher(ENCRYPTION_BLOWFISH);
  PacketHeader header(TEXT_MSG, 0);
  const std::vector<uint8_t> text = Text("Hello there");
  std::vector<uint8_t> packet = FormPacket(header, session.cipher, {text.data(), text.size()});
  header.PayloadSize -= PACKET_CHECKSUM_SIZE;
  Feed(session::PostedPacket(header, packet.data() + PACKET_HEADER_SIZE, header.PayloadSize, 1));
  ASSERT_TRUE(dialogs.Last(HeadlessDialogs::Kind::MessageBox));
  EXPECT_EQ(dialogs.Last(HeadlessDialogs::Kind::MessageBox)->text, "Hello there");
}

TEST_F(DispatcherTest, WhileDisconnectedPacketsAreDropped) {
  session.connected = false;
  EXPECT_EQ(Feed(PING, 0, {1, 2, 3, 4}), 0);
  EXPECT_TRUE(session.sent.empty());
  EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(DispatcherTest, UnitsLastPlainTextIsShownAfterTheLinkClosed) {
  session.connected = false;
  EXPECT_EQ(Feed(TEXT_MSG, 0, Text("Too many login attempts.")), 1);
  ASSERT_TRUE(dialogs.Last(HeadlessDialogs::Kind::MessageBox));
  EXPECT_EQ(dialogs.Last(HeadlessDialogs::Kind::MessageBox)->text, "Too many login attempts.");

  // An encrypted one can no longer be read: the session cipher went with the link.
  dialogs.ClearCalls();
  PacketHeader header(TEXT_MSG, 0, 8, 5);
  header.encrypted = 1;
  const std::vector<uint8_t> sealed(8, 0x5A);
  EXPECT_EQ(Feed(session::PostedPacket(header, sealed.data(), sealed.size(), 2)), 0);
  EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(DispatcherTest, ShowMessageChoosesBoxOrTextDialog) {
  struct Case {
    std::string text;
    HeadlessDialogs::Kind kind;
  };
  const Case cases[] = {
      {std::string(300, 'a'), HeadlessDialogs::Kind::MessageBox},
      {std::string(301, 'a'), HeadlessDialogs::Kind::Text},
      {"1\n2\n3\n4\n5\n6\n7\n8\n9", HeadlessDialogs::Kind::MessageBox},
      {"1\n2\n3\n4\n5\n6\n7\n8\n9\n", HeadlessDialogs::Kind::Text},
  };
  for (const Case& c : cases) {
    dialogs.ClearCalls();
    view::ShowMessageText(dialogs, "Tessaline", c.text);
    ASSERT_EQ(dialogs.Calls().size(), 1u) << c.text;
    EXPECT_EQ(dialogs.Calls()[0].kind, c.kind) << c.text;
  }
  EXPECT_EQ(dialogs.Calls()[0].text, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n");

  view::ShowTimedMessageText(dialogs, "a\nb", 5);
  const auto timed = dialogs.Last(HeadlessDialogs::Kind::TimedMessage);
  ASSERT_TRUE(timed);
  EXPECT_EQ(timed->title, "Tessaline Message");
  EXPECT_EQ(timed->text, "a\r\nb");
  EXPECT_EQ(timed->seconds, 5);
}

TEST_F(DispatcherTest, UnitTextsAreShownCollectedOrCloseTheSession) {
  struct Case {
    std::string text;
    uint8_t subtype;
    bool attempt;
    int disconnects;
    HeadlessDialogs::Kind shownAs;  // Error: not shown
    bool collected;
  };
  const Case cases[] = {
      {"Welcome", 0, false, 0, HeadlessDialogs::Kind::MessageBox, false},
      {"Welcome", 5, false, 0, HeadlessDialogs::Kind::TimedMessage, false},
      {"Welcome", 0, true, 0, HeadlessDialogs::Kind::Error, true},
      {"Inactivity timer expired.", 0, true, 1, HeadlessDialogs::Kind::MessageBox, false},
      {"Too many login attempts.", 0, false, 1, HeadlessDialogs::Kind::MessageBox, false},
      {"Time expired for logging in", 0, false, 1, HeadlessDialogs::Kind::MessageBox, false},
      {"expired.~~~Time", 0, false, 1, HeadlessDialogs::Kind::MessageBox, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    session.connected = true;
    session.disconnects = 0;
    session.record.BeginAttempt();
    if (!c.attempt) session.record.EndAttempt();
    dialogs.ClearCalls();
    Feed(TEXT_MSG, c.subtype, Text(c.text));
    EXPECT_EQ(session.disconnects, c.disconnects);
    if (c.collected) {
      EXPECT_TRUE(dialogs.Calls().empty());
      EXPECT_EQ(session.record.AttemptMessages(), "While connecting to: Lab\n" + c.text + "\n");
    } else {
      ASSERT_EQ(dialogs.Calls().size(), 1u);
      EXPECT_EQ(dialogs.Calls()[0].kind, c.shownAs);
      EXPECT_EQ(dialogs.Calls()[0].text, c.text);
      if (c.subtype) {
        EXPECT_EQ(dialogs.Calls()[0].seconds, c.subtype);
      }
    }
  }
}

TEST_F(DispatcherTest, ServerConfigDataPlainAndCompressed) {
  Feed(SERVER_CONFIG_DATA, 0, Text("<config/>"));
  EXPECT_EQ(dispatcher.ServerConfigText(), "<config/>");

  const std::string document(5000, 'x');
  Feed(SERVER_CONFIG_DATA, 1, Compressed(document, false, 5000));
  EXPECT_EQ(dispatcher.ServerConfigText(), document);
  EXPECT_EQ(session.disconnects, 0);
}

TEST_F(DispatcherTest, ServerConfigDataFaultsFollowTheFailureRule) {
  struct Case {
    std::vector<uint8_t> payload;
    std::string message;
    bool disconnects;
  };
  const Case cases[] = {
      {Compressed("abc", false, 400001), "HandleServerConfigData() got compressed data > 400K.",
       true},
      {Compressed("abc", false, 0xFFFFFFFF), "HandleServerConfigData() got compressed data > 400K.",
       true},
      {Compressed("abc", true, 3),
       "WARNING: HandleServerConfigData() got ZLib decompression error.\nZ_STREAM_END", false},
      {Word(10, {1, 2, 3, 4, 5}),
       "WARNING: HandleServerConfigData() got ZLib decompression error.\nZ_DATA_ERROR", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    session.connected = true;
    session.disconnects = 0;
    input.passthru = true;
    EXPECT_EQ(Feed(SERVER_CONFIG_DATA, 1, c.payload), 1);
    EXPECT_EQ(session.failureTitle, "Unable to communicate with Lab");
    EXPECT_EQ(session.failureText,
              "Error in KVMMessageHandler ():\nLikely cause - unable to communicate with Lab. \n" +
                  c.message);
    EXPECT_EQ(dispatcher.ErrorLongText(), session.failureText);
    EXPECT_EQ(session.disconnects, c.disconnects ? 1 : 0);
    EXPECT_EQ(input.passthru, c.disconnects);
  }
}

TEST_F(DispatcherTest, MailboxCopiesStayWithinPayloadAndBuffer) {
  Feed(GET_FILE, 0, Word(100, std::vector<uint8_t>(100, 'f')));
  EXPECT_EQ(dispatcher.FileReply().Status(), 0);
  EXPECT_EQ(dispatcher.FileReply().Length(), 0u);

  // A reply that claims more than came, or than the mailbox holds, is no file.
  Feed(GET_FILE, 1, Word(100, std::vector<uint8_t>(10, 'f')));
  EXPECT_EQ(dispatcher.FileReply().Status(), admin::GET_FILE_CUT_SHORT);
  EXPECT_EQ(dispatcher.FileReply().Length(), 0u);
  Feed(GET_FILE, 1, Word(70000, std::vector<uint8_t>(70000, 'f')));
  EXPECT_EQ(dispatcher.FileReply().Status(), admin::GET_FILE_CUT_SHORT);
  Feed(GET_FILE, 1, {1, 0});
  EXPECT_EQ(dispatcher.FileReply().Status(), admin::GET_FILE_CUT_SHORT);
  Feed(GET_FILE, 1, Word(3, {'a', 'b', 'c', 'd'}));
  EXPECT_EQ(dispatcher.FileReply().Status(), 1);
  EXPECT_EQ(dispatcher.FileReply().Length(), 3u);
  Feed(PUT_FILE, 4, {});
  EXPECT_EQ(dispatcher.FileReply().Status(), 4);

  Feed(SERIAL_READ, 0, Word(40000, std::vector<uint8_t>(40000, 's')));
  EXPECT_EQ(dispatcher.SerialReply().Status(), 0);
  EXPECT_EQ(dispatcher.SerialReply().Text(), std::string(32999, 's'));
  EXPECT_EQ(dispatcher.SerialReply().Data()[32999], 0);
  Feed(SERIAL_READ, 0, Word(50, {'o', 'k'}));
  EXPECT_EQ(dispatcher.SerialReply().Text(), "ok");
  Feed(SERIAL_OPEN, 2, {});
  EXPECT_EQ(dispatcher.SerialReply().Status(), 2);
  EXPECT_EQ(session.disconnects, 0);
}

TEST_F(DispatcherTest, ReplyWaitEndsWhenTheDispatcherStoresTheReply) {
  platform::MessageLoop loop;
  admin::ReplyWait wait(loop);
  std::optional<int32_t> replied;
  wait.Start(
      dispatcher.SerialReply(),
      [&] {
        EXPECT_EQ(dispatcher.SerialReply().Status(), admin::REPLY_AWAITED);
        loop.Post([this] {
          session::PostedPacket packet = Packet(SERIAL_WRITE, 1, {});
          dispatcher.OnPacket(packet);
        });
      },
      admin::REPLY_TIMEOUT_MS, [&](int32_t status) { replied = status; }, [] {});
  EXPECT_TRUE(loop.RunUntil([&] { return replied.has_value(); }, admin::REPLY_TIMEOUT_MS));
  EXPECT_EQ(replied, 1);
  EXPECT_EQ(dispatcher.SerialReply().Status(), 1);
}

TEST_F(DispatcherTest, ShortPacketIsAWarningThatKeepsTheLink) {
  input.passthru = true;
  Feed(RESIZE, 0, {1, 2, 3});
  EXPECT_THAT(session.failureText, HasSubstr("WARNING: RESIZE packet of 3 bytes is too short."));
  EXPECT_EQ(session.disconnects, 0);
  EXPECT_FALSE(input.passthru);
}

TEST_F(DispatcherTest, LoggedInSendsTheInitialPacketsInOrder) {
  session.negotiated = ENCRYPTION_NONE;
  session.record.BeginAttempt();
  Feed(LOGGED_IN, 2, {11});
  EXPECT_TRUE(session.loggedIn);
  EXPECT_TRUE(login.IsAdministrator());
  EXPECT_EQ(input.passThroughCommands, 1);
  EXPECT_FALSE(session.record.IsAttemptInProgress());
  // No rendering mode chosen yet: the levels say "no valid mode".
  ASSERT_EQ(session.sent.size(), 4u);
  EXPECT_EQ(session.sent[0].header.type, PING);
  EXPECT_EQ(session.sent[0].payload.size(), 4u);
  EXPECT_EQ(session.sent[1].header.type, PING);
  EXPECT_EQ(session.sent[2].header.type, CHANGE_COLOR_LO_HI);
  EXPECT_EQ(session.sent[2].payload, (std::vector<uint8_t>{255, 255}));
  EXPECT_EQ(session.sent[3].header.type, RESIZE);
  EXPECT_EQ(session.sent[3].payload, Word(1024, Word(768)));

  session.sent.clear();
  video.scaled = false;
  // The mode chosen from the menu while offline is what the next login sends,
  // whatever the target's own entry says.
  ini.Write("TARGET-Default", "ColorRendering", "Black & White always");
  rendering.OnViewProgressiveRendering(video::ID_VIEW_PROGRESSIVE_GREY_TO_COLOR, false);
  EXPECT_TRUE(session.sent.empty());
  Feed(LOGGED_IN, 1, {11});
  ASSERT_EQ(session.sent.size(), 5u);
  EXPECT_EQ(session.sent[2].payload, (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(session.sent[3].payload, Word(1280, Word(1024)));
  EXPECT_EQ(video.resizedTo, (platform::Size{1280, 1024}));
  EXPECT_EQ(session.sent[4].header.type, REPAINT);
  EXPECT_TRUE(session.sent[4].payload.empty());

  // Scrolled before the unit has told its size: the view's size is asked for, and the
  // frame buffer is left as it is until NEW_SIZE comes.
  session.sent.clear();
  video.native = {};
  video.resizedTo = {};
  Feed(LOGGED_IN, 1, {11});
  ASSERT_EQ(session.sent.size(), 4u);
  EXPECT_EQ(session.sent[3].payload, Word(1024, Word(768)));
  EXPECT_EQ(video.resizedTo, (platform::Size{}));
  EXPECT_EQ(session.disconnects, 0);

  session.sent.clear();
  view.SetHasWindow(false);
  Feed(LOGGED_IN, 1, {11});
  EXPECT_THAT(session.failureText, HasSubstr("SendInitialPacketsToServer: hWnd is NULL"));
  EXPECT_EQ(session.disconnects, 1);
}
