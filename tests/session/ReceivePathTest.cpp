#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketTypes.h"
#include "session/PostedPacket.h"
#include "session/ReceivePath.h"
#include "support/RecordingReceiveLink.h"

using namespace session;

namespace {

class RecordingVideo : public VideoSink {
 public:
  void HandleSegment(const PacketHeader& header, const uint8_t* payload, int32_t length) override {
    types.push_back(header.type);
    payloads.emplace_back(payload, payload + length);
    events.push_back("segment");
  }
  void OnResizeEcho(const uint8_t* payload, int32_t length) override {
    events.push_back("resize " + std::string(payload, payload + length));
  }
  void OnOneToOneReply(const uint8_t* payload, int32_t length) override {
    events.push_back("one to one " + std::string(payload, payload + length));
  }
  void AfterSegments() override { events.push_back("after"); }
  std::vector<uint8_t> types;
  std::vector<std::vector<uint8_t>> payloads;
  std::vector<std::string> events;
};

// The packets that reach the observer, in order.
class RecordingObserver : public SessionObserver {
 public:
  void OnPacket(PostedPacket& packet) override {
    posted.push_back(std::make_unique<PostedPacket>(packet));
  }
  std::vector<std::unique_ptr<PostedPacket>> posted;
};

// A receive path over a real ring buffer and message loop, with what it posts
// collected in order.
struct Fixture {
  RingBuffer ring;
  RecordingReceiveLink link{ring};
  PayloadCipher cipher;
  platform::MessageLoop loop;
  EventPoster events{loop};
  SessionCounters counters;
  RecordingVideo video;
  RecordingObserver observer;
  SessionHooks hooks{&video, nullptr, &observer};
  ReceivePath path{ring, link, cipher, events, counters, hooks};
  std::vector<std::unique_ptr<PostedPacket>>& posted = observer.posted;

  void Receive(const std::vector<uint8_t>& bytes) { path.Receive(bytes.data(), bytes.size()); }
  void Deliver() { loop.RunPending(); }
};

std::vector<uint8_t> Packet(const PayloadCipher& cipher, uint8_t type,
                            const std::vector<uint8_t>& data, uint8_t subtype = 0) {
  PacketHeader header(type, subtype);
  return FormPacket(header, cipher, {data.data(), data.size()});
}

void UseBlowfish(PayloadCipher& cipher) {
  std::array<uint8_t, 20> blowfishKey;
  std::iota(blowfishKey.begin(), blowfishKey.end(), 1);
  cipher.SetKeys(blowfishKey, {1, 2, 3, 4, 5, 6, 7, 8}, {2, 3, 4, 5, 6, 7, 8, 9},
                 {3, 4, 5, 6, 7, 8, 9, 10});
  cipher.SetSessionCipher(ENCRYPTION_BLOWFISH);
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

void Append(std::vector<uint8_t>& stream, const std::vector<uint8_t>& bytes) {
  stream.insert(stream.end(), bytes.begin(), bytes.end());
}

}  // namespace

TEST(ReceivePath, PacketsArePostedInOrderWhateverTheReceivesLookLike) {
  for (const size_t chunk : {size_t{1}, size_t{3}, size_t{7}, size_t{50}, size_t{100000}}) {
    Fixture f;
    std::vector<uint8_t> stream;
    Append(stream, Packet(f.cipher, KEEP_ALIVE, {}));
    Append(stream, Packet(f.cipher, TEXT_MSG, Bytes("hello"), 5));
    Append(stream, Packet(f.cipher, SEGMENT, Bytes("video one")));
    Append(stream, Packet(f.cipher, MULTISEGMENT, Bytes("video two")));
    Append(stream, Packet(f.cipher, PING, {1, 2, 3, 4}));
    for (size_t at = 0; at < stream.size(); at += chunk)
      f.path.Receive(stream.data() + at, std::min(chunk, stream.size() - at));
    f.Deliver();

    ASSERT_EQ(f.posted.size(), 3u) << "chunk " << chunk;
    const uint8_t types[] = {KEEP_ALIVE, TEXT_MSG, PING};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(f.posted[i]->Header().type, types[i]);
      EXPECT_EQ(f.posted[i]->QueueNumber(), i + 1);
    }
    EXPECT_EQ(f.posted[1]->Header().subtype, 5);
    EXPECT_EQ(f.posted[1]->Header().PayloadSize, 5);  // checksum no longer counted
    EXPECT_EQ(f.posted[1]->Payload(), Bytes("hello"));
    EXPECT_EQ(f.video.payloads,
              (std::vector<std::vector<uint8_t>>{Bytes("video one"), Bytes("video two")}));
    EXPECT_EQ(f.counters.videoSegmentMode, 3);
    EXPECT_EQ(f.counters.lastQueued, 3u);
    EXPECT_EQ(f.counters.receivedPackets, 3u);
    EXPECT_EQ(f.counters.videoSegments, 2u);
    EXPECT_EQ(f.ring.Count(), 0u);
  }
}

TEST(ReceivePath, VideoIsDecryptedOnTheSpotOtherPacketsTravelAsSent) {
  Fixture f;
  UseBlowfish(f.cipher);
  std::vector<uint8_t> stream = Packet(f.cipher, SEGMENT, Bytes("sixteen bytes!!!"));
  const std::vector<uint8_t> text = Packet(f.cipher, TEXT_MSG, Bytes("secret"));
  Append(stream, text);
  f.Receive(stream);
  f.Deliver();

  EXPECT_EQ(f.video.payloads, std::vector<std::vector<uint8_t>>{Bytes("sixteen bytes!!!")});
  ASSERT_EQ(f.posted.size(), 1u);
  EXPECT_EQ(f.posted[0]->Header().encrypted, 1);
  EXPECT_EQ(f.posted[0]->Payload(),
            std::vector<uint8_t>(text.begin() + PACKET_HEADER_SIZE, text.end() - 4));
}

// The unit's RESIZE echo and ONE_TO_ONE answer say what size the video behind
// them is drawn at, so they are taken, decrypted, before that video.
TEST(ReceivePath, SizeRepliesAreTakenBeforeTheVideoBehindThem) {
  Fixture f;
  UseBlowfish(f.cipher);
  std::vector<uint8_t> stream = Packet(f.cipher, RESIZE, Bytes("1024x768!"));
  Append(stream, Packet(f.cipher, MULTISEGMENT, Bytes("behind it")));
  Append(stream, Packet(f.cipher, ONE_TO_ONE, Bytes("1280x1024")));
  Append(stream, Packet(f.cipher, MULTISEGMENT, Bytes("behind that")));
  f.Receive(stream);

  EXPECT_EQ(f.video.events, (std::vector<std::string>{"resize 1024x768!", "segment",
                                                      "one to one 1280x1024", "segment", "after"}));
  f.Deliver();
  ASSERT_EQ(f.posted.size(), 2u);
  for (const auto& posted : f.posted)
    EXPECT_EQ(posted->Header().encrypted, 1);  // the dispatcher still gets them as sent
}

TEST(ReceivePath, VideoIsAnnouncedOnceEveryWholePacketOfTheReceiveIsHandled) {
  Fixture f;
  std::vector<uint8_t> stream = Packet(f.cipher, MULTISEGMENT, Bytes("one"));
  Append(stream, Packet(f.cipher, MULTISEGMENT, Bytes("two")));
  Append(stream, Packet(f.cipher, TEXT_MSG, Bytes("text")));
  const std::vector<uint8_t> third = Packet(f.cipher, MULTISEGMENT, Bytes("three"));
  stream.insert(stream.end(), third.begin(), third.begin() + 5);
  f.Receive(stream);
  EXPECT_EQ(f.video.events, (std::vector<std::string>{"segment", "segment", "after"}));

  f.Receive({third.begin() + 5, third.end()});
  f.Receive(Packet(f.cipher, TEXT_MSG, Bytes("no video")));
  EXPECT_EQ(f.video.events,
            (std::vector<std::string>{"segment", "segment", "after", "segment", "after"}));
}

TEST(ReceivePath, LargeReceiveBehindANearlyWholeLargePacketDoesNotOverflow) {
  Fixture f;
  const std::vector<uint8_t> big =
      Packet(f.cipher, SERVER_CONFIG_DATA, std::vector<uint8_t>(MAX_RECEIVED_PAYLOAD - 4, 0xAB));
  ASSERT_EQ(big.size(), 60010u);
  std::vector<uint8_t> stream = big;
  size_t packets = 1;
  for (; stream.size() < big.size() + 50000; ++packets)
    Append(stream, Packet(f.cipher, TEXT_MSG, std::vector<uint8_t>(996, 'x')));

  // Everything but the last thousand bytes of the big packet, then 50,000
  // bytes at once, then the rest.
  const size_t first = big.size() - 1000;
  f.path.Receive(stream.data(), first);
  f.path.Receive(stream.data() + first, 50000);
  f.path.Receive(stream.data() + first + 50000, stream.size() - first - 50000);
  f.Deliver();

  ASSERT_EQ(f.posted.size(), packets);
  EXPECT_EQ(f.posted[0]->Payload().size(), 60000u - 4);
  EXPECT_EQ(f.posted.back()->QueueNumber(), packets);
}

TEST(ReceivePath, BrokenStreamsAreReportedWithTheirTexts) {
  {
    Fixture f;
    EXPECT_THROW(
        try { f.Receive(Bytes("this is not a packet at all")); } catch (const TextError& e) {
          EXPECT_EQ(e.Text(),
                    "HandlePackets encountered an error:\nImproper data stream -- new packet does "
                    "not start where expected.");
          throw;
        },
        TextError);
    EXPECT_EQ(f.link.failureTitle,
              "Improper data stream -- new packet does not start where expected.");
  }
  {
    Fixture f;
    std::vector<uint8_t> oversize = Packet(f.cipher, TEXT_MSG, Bytes("x"));
    oversize[2] = 0x61;  // PayloadSize 60,001
    oversize[3] = 0xEA;
    EXPECT_THROW(
        try { f.Receive(oversize); } catch (const TextError& e) {
          EXPECT_NE(e.Text().find("Buffer size: 60000\nPayload size: 60001\n"), std::string::npos);
          throw;
        },
        TextError);
  }
  {
    // Bytes that can never be cut (the link went down under them) fill the
    // buffer; the receive that finds no room reports the overflow.
    Fixture f;
    f.link.connected = false;
    EXPECT_THROW(
        try { f.Receive(std::vector<uint8_t>(100001, 0x71)); } catch (const TextError& e) {
          EXPECT_EQ(e.Text(), "Ring buffer overflowed.");
          throw;
        },
        TextError);
  }
}

TEST(ReceivePath, VideoBehindALockLightsReportIsNotHeldUp) {
  // The lights wait for the lock keys on the window thread; the report is
  // posted as it is cut, and the video behind it decoded in the same receive.
  Fixture f;
  KeyboardLink keyboard;
  f.hooks.keyboard = &keyboard;
  std::vector<uint8_t> stream = Packet(f.cipher, KBD_LEDS, {}, 4);
  Append(stream, Packet(f.cipher, SEGMENT, Bytes("video")));
  f.Receive(stream);
  EXPECT_EQ(f.video.payloads, std::vector<std::vector<uint8_t>>{Bytes("video")});
  f.Deliver();
  ASSERT_EQ(f.posted.size(), 1u);
  EXPECT_EQ(f.posted[0]->Header().type, KBD_LEDS);
  EXPECT_EQ(f.posted[0]->Header().subtype, 4);
}
