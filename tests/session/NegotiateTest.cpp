#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/TcpSocket.h"
#include "platform/TextError.h"
#include "session/Negotiator.h"
#include "session/TcpNegotiationTransport.h"
#include "support/TraceRecorder.h"

using namespace session;
using Bytes = std::vector<uint8_t>;

namespace {

class ReportRecorder : public ConnectionReport {
 public:
  void SetFailureText(const std::string& text) override { failureText = text; }
  void AppendFailoverText(const std::string& text) override { failoverText += text; }
  std::string failureText;
  std::string failoverText;
};

NegotiationPacket Packet(uint8_t kind, uint8_t id, std::vector<NegotiationOption> options) {
  return {kind, id, std::move(options)};
}

// The viewer's end of a socket pair runs the negotiation; the test plays the
// unit on the other end, writing its side up front or from a thread.
class NegotiateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    m_viewer = platform::TcpSocket(fds[0]);
    m_unit = platform::TcpSocket(fds[1]);
  }

  void UnitSends(const Bytes& bytes) { ASSERT_TRUE(m_unit.SendAll(bytes.data(), bytes.size())); }
  void UnitSends(const NegotiationPacket& packet) { UnitSends(packet.Serialize()); }
  void UnitHangsUp() { shutdown(m_unit.Fd(), SHUT_WR); }

  // Everything the viewer has written so far.
  static Bytes Pending(platform::TcpSocket& socket) {
    Bytes bytes;
    uint8_t buffer[4096];
    int got;
    while ((got = socket.Receive(buffer, sizeof buffer, 0)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + got);
    return bytes;
  }
  Bytes ViewerWrote() { return Pending(m_unit); }
  Bytes UnitLeftUnread() { return Pending(m_viewer); }

  bool Negotiate() { return m_negotiate.NegotiateConnection(m_transport); }

  // The unit acks the viewer's first request (id 9) and then asks for options.
  void UnitAcksThenRequests(std::vector<NegotiationOption> options) {
    UnitSends(Packet(NEG_ACK, 9, ViewerOptions()));
    UnitSends(Packet(NEG_REQUEST, 77, std::move(options)));
  }
  static std::vector<NegotiationOption> ViewerOptions() {
    return {NegotiationOption::Byte(0, 0), NegotiationOption::Text(2, "TSV1.53b"),
            NegotiationOption::Byte(3, 7)};
  }

  TraceRecorder m_trace;
  ReportRecorder m_report;
  platform::TcpSocket m_viewer;
  platform::TcpSocket m_unit;
  platform::StopSignal m_stop;
  TcpNegotiationTransport m_transport{m_viewer, "Tessaline", m_report, m_stop, 200, 0};
  Negotiator m_negotiate{"TSV1.53b", "Tessaline", m_report};
};

const Bytes FIRST_REQUEST = {31,  9,   19,  0,   0,   1,   0,   0, 2, 8, 0, 'T',
                             'S', 'V', '1', '.', '5', '3', 'b', 3, 1, 0, 7};

TEST_F(NegotiateTest, AgreesWithAUnitAndTakesOverEveryOption) {
  const std::vector<NegotiationOption> unitOptions = {
      NegotiationOption::Byte(1, 0),  NegotiationOption::Text(2, "OrbFW 2.10 rev A"),
      NegotiationOption::Byte(4, 12), NegotiationOption::Int32(5, 900),
      NegotiationOption::Byte(6, 13), NegotiationOption::Int32(7, 2)};
  UnitAcksThenRequests(unitOptions);

  ASSERT_TRUE(Negotiate());

  Bytes expected = FIRST_REQUEST;
  const Bytes ack = Packet(NEG_ACK, 77, unitOptions).Serialize();
  expected.insert(expected.end(), ack.begin(), ack.end());
  EXPECT_EQ(ViewerWrote(), expected);

  const NegotiationResult& result = m_negotiate.Result();
  EXPECT_EQ(result.offeredCiphers, OFFERED_NONE | OFFERED_BLOWFISH | OFFERED_TRIPLE_DES);
  EXPECT_EQ(result.sessionCipher, 12);
  EXPECT_EQ(result.inactivityTimeout, 900u);
  EXPECT_EQ(result.specialDataCipher, 13);
  EXPECT_EQ(result.videoSegmentMode, 2);
  EXPECT_EQ(result.unitVersion, "OrbFW 2.10 rev A");
  EXPECT_FALSE(result.busy);
  EXPECT_EQ(m_report.failoverText, "The remote is an Tessaline\n");
  EXPECT_EQ(m_trace.Count("***** All options negotiated *****\n"), 2u);
}

TEST_F(NegotiateTest, ASilentUnitTimesOutAfterOneRequestAndTheNextRequestCarriesId10) {
  UnitAcksThenRequests({NegotiationOption::Byte(4, 13)});
  ASSERT_TRUE(Negotiate());
  ViewerWrote();

  EXPECT_FALSE(Negotiate());
  const Bytes second = ViewerWrote();
  ASSERT_EQ(second.size(), FIRST_REQUEST.size());
  EXPECT_EQ(second[1], 10);
  EXPECT_EQ(m_report.failureText, "Timed out while attempting to read.\n");
  EXPECT_EQ(
      m_trace.Count("Viewer:Timed out while attempting to connect to Tessaline.\nWSAETIMEDOUT"),
      1u);
}

// How the viewer answers single requests of the unit.
struct AnswerCase {
  const char* name;
  NegotiationOption asked;
  uint8_t answerKind;
  NegotiationOption answered;
  bool busy;
};

class AnswerTest : public NegotiateTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, AnswersTheUnitsRequest) {
  const AnswerCase& c = GetParam();
  UnitAcksThenRequests({NegotiationOption::Int32(5, 60), c.asked});
  UnitHangsUp();

  const bool agreed = Negotiate();

  EXPECT_EQ(agreed, c.answerKind == NEG_ACK);
  std::vector<NegotiationOption> answered = {c.answered};
  if (c.answerKind == NEG_ACK) answered.insert(answered.begin(), NegotiationOption::Int32(5, 60));
  Bytes expected = FIRST_REQUEST;
  const Bytes answer = Packet(c.answerKind, 77, answered).Serialize();
  expected.insert(expected.end(), answer.begin(), answer.end());
  EXPECT_EQ(ViewerWrote(), expected);
  EXPECT_EQ(m_negotiate.Result().busy, c.busy);
  if (c.answerKind == NEG_REJECT) {
    EXPECT_EQ(m_report.failureText, "Error while attempting to read.\n");
    EXPECT_EQ(m_trace.Count("Tell remote we reject it's terms.\n"), 1u);
    EXPECT_EQ(m_report.failoverText, "Negotiation failed.\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnswerTest,
    ::testing::Values(AnswerCase{"UnknownCipherIsCountered", NegotiationOption::Byte(4, 20),
                                 NEG_NAK, NegotiationOption::Byte(4, 13), false},
                      AnswerCase{"KnownCipherIsAcked", NegotiationOption::Byte(4, 11), NEG_ACK,
                                 NegotiationOption::Byte(4, 11), false},
                      AnswerCase{"BusyUnitIsRejected", NegotiationOption::Byte(1, 1), NEG_REJECT,
                                 NegotiationOption::Byte(1, 1), true},
                      AnswerCase{"VersionOf32BytesIsAcked",
                                 NegotiationOption::Text(2, std::string(32, 'v')), NEG_ACK,
                                 NegotiationOption::Text(2, std::string(32, 'v')), false},
                      AnswerCase{"VersionOf33BytesIsRejected",
                                 NegotiationOption::Text(2, std::string(33, 'v')), NEG_REJECT,
                                 NegotiationOption::Text(2, std::string(33, 'v')), false},
                      AnswerCase{"SegmentMode4IsCounteredWith3", NegotiationOption::Int32(7, 4),
                                 NEG_NAK, NegotiationOption::Int32(7, 3), false},
                      AnswerCase{"UnknownSpecialCipherIsRejected", NegotiationOption::Byte(6, 10),
                                 NEG_REJECT, NegotiationOption::Byte(6, 10), false},
                      AnswerCase{"ViewerOnlyOptionIsRejected", NegotiationOption::Byte(3, 7),
                                 NEG_REJECT, NegotiationOption::Byte(3, 7), false},
                      AnswerCase{"UnknownIdIsRejected", NegotiationOption::Byte(8, 0), NEG_REJECT,
                                 NegotiationOption::Byte(8, 0), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NegotiateTest, AnswersToTheViewersRequest) {
  // A reject ends the negotiation at once.
  UnitSends(Packet(NEG_REJECT, 9, {NegotiationOption::Byte(0, 0)}));
  EXPECT_FALSE(Negotiate());
  EXPECT_EQ(ViewerWrote().size(), FIRST_REQUEST.size());
  EXPECT_EQ(m_report.failureText, "Other side gave up (rejected our terms).\n");
  EXPECT_EQ(m_trace.Count("Viewer:No options 1\n"), 1u);

  // An answer that changes the cipher is not accepted: the viewer asks again,
  // eight times in all.
  for (uint8_t id = 10; id < 18; ++id)
    UnitSends(Packet(NEG_NAK, id, {NegotiationOption::Byte(4, 13)}));
  EXPECT_FALSE(Negotiate());
  EXPECT_EQ(ViewerWrote().size(), 8 * FIRST_REQUEST.size());
  EXPECT_EQ(m_trace.Count("Viewer:Negotiation incomplete\n"), 1u);

  // A byte that starts no packet is no answer.
  UnitSends(Bytes{0x55});
  EXPECT_FALSE(Negotiate());
  EXPECT_EQ(m_trace.Count("Negotiator::ReadPacket(): Rejecting unexpected char: 85\n"), 1u);
}

TEST_F(NegotiateTest, MalformedPacketsFailWithoutReadingPastThem) {
  struct Case {
    Bytes packet;
    size_t unreadAfter;  // bytes of the packet left on the line
    const char* trace;
  };
  const Case cases[] = {
      {{32, 9, 128, 0, 0, 1, 0, 0}, 4, "announces 128 bytes of options"},
      {{32, 9, 0, 1, 0, 1, 0, 0}, 4, "announces 256 bytes of options"},
      {{32, 9, 5, 0, 2, 9, 0, 'a', 'b'}, 2, "option 2 claims 9 bytes, but its packet has only 2"},
      {{32, 9, 2, 0, 0, 1, 0}, 3, "ends inside an option"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trace);
    TraceRecorder trace;
    Negotiator negotiate("TSV1.53b", "Tessaline", m_report);
    UnitSends(c.packet);
    EXPECT_FALSE(negotiate.NegotiateConnection(m_transport));
    EXPECT_EQ(trace.Count(c.trace), 1u);
    EXPECT_EQ(UnitLeftUnread().size(), c.unreadAfter);
    ViewerWrote();
  }
}

TEST_F(NegotiateTest, PacketsArrivingInPiecesAreReassembled) {
  Bytes script = Packet(NEG_ACK, 9, ViewerOptions()).Serialize();
  const Bytes request = Packet(NEG_REQUEST, 5, {NegotiationOption::Byte(4, 13)}).Serialize();
  script.insert(script.end(), request.begin(), request.end());
  std::thread unit([&] {
    for (uint8_t byte : script) {
      UnitSends(Bytes{byte});
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  EXPECT_TRUE(Negotiate());
  unit.join();
  EXPECT_EQ(m_negotiate.Result().sessionCipher, 13);
}

TEST_F(NegotiateTest, AUnitThatHangsUpOverTcpFailsTheRead) {
  platform::TcpSocket listener;
  ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
  platform::TcpSocket viewer;
  ASSERT_TRUE(viewer.Open());
  ASSERT_EQ(viewer.Connect({*platform::ParseDottedIPv4("127.0.0.1"), listener.LocalPort()}), 0);
  platform::TcpSocket unit = listener.Accept(2000);
  ASSERT_TRUE(unit.IsOpen());
  unit.Close();

  platform::StopSignal stop;
  TcpNegotiationTransport transport(viewer, "Tessaline", m_report, stop, 2000, 0);
  EXPECT_FALSE(m_negotiate.NegotiateConnection(transport));
  EXPECT_EQ(m_report.failureText, "Error while attempting to read.\n");
  EXPECT_EQ(m_trace.Count("Viewer:Tessaline does not respond to connection.\n"), 1u);
}

TEST(NegotiateNoise, ArbitraryBytesFromTheUnitEndInAnAnswerNotACrash) {
  std::mt19937 random(1234);
  for (int round = 0; round < 300; ++round) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    platform::TcpSocket viewer(fds[0]);
    platform::TcpSocket unit(fds[1]);
    // Mostly well-formed heads, so the option reader gets exercised too.
    Bytes noise = {static_cast<uint8_t>(31 + random() % 4), 9, static_cast<uint8_t>(random() % 140),
                   static_cast<uint8_t>(random() % 2 ? 0 : random())};
    noise.resize(noise.size() + random() % 200);
    for (size_t i = 4; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(random() % 12);
    ASSERT_TRUE(unit.SendAll(noise.data(), noise.size()));
    shutdown(unit.Fd(), SHUT_WR);

    ReportRecorder report;
    platform::StopSignal stop;
    TcpNegotiationTransport transport(viewer, "Tessaline", report, stop, 1000, 0);
    Negotiator negotiate("TSV1.53b", "Tessaline", report);
    negotiate.NegotiateConnection(transport);
    EXPECT_LE(negotiate.Result().unitVersion.size(), 32u);
  }
}

TEST(NegotiationPacket, KeepsWithinItsLimits) {
  NegotiationPacket packet{NEG_REQUEST, 1, {}};
  packet.AddOption(NegotiationOption::Text(2, std::string(1000, 'x')));
  packet.AddOption(NegotiationOption::Text(2, std::string(30, 'y')));  // would pass 1,024
  packet.AddOption(NegotiationOption::Byte(3, 7));
  const Bytes bytes = packet.Serialize();
  EXPECT_EQ(bytes.size(), 4u + 1003 + 4);
  EXPECT_EQ(bytes[2] | bytes[3] << 8, 1007);
  EXPECT_EQ(bytes.back(), 7);

  for (size_t i = packet.options.size(); i < NEG_MAX_OPTIONS; ++i)
    packet.AddOption(NegotiationOption::Byte(1, 0));
  EXPECT_THROW(packet.AddOption(NegotiationOption::Byte(1, 0)), TextError);
}

}  // namespace
