#include <gtest/gtest.h>

#include <cmath>

#include "platform/TextError.h"
#include "protocol/PacketTypes.h"
#include "support/TraceRecorder.h"
#include "video/ColorTable.h"
#include "video/Deflater.h"
#include "video/VideoDecoder.h"
#include "video/VideoFixture.h"

using namespace video;

namespace {

const Bgr GREY{9, 9, 9};
const Bgr RED{0, 0, 255};
const Bgr BLUE{255, 0, 0};
constexpr uint16_t RED_CODE = 0xF800;
constexpr uint16_t BLUE_CODE = 0x001F;

void PutBE16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

// The opcode stream, as the unit writes it.
struct Opcodes {
  Bytes bytes;
  Opcodes& Position(uint32_t cursor) {
    bytes.push_back(static_cast<uint8_t>((cursor >> 16) & 31));
    bytes.push_back(static_cast<uint8_t>(cursor));
    bytes.push_back(static_cast<uint8_t>(cursor >> 8));
    return *this;
  }
  Opcodes& Pixels(const std::vector<uint16_t>& codes) {
    bytes.push_back(static_cast<uint8_t>(0x20 | (codes.size() >> 8)));
    bytes.push_back(static_cast<uint8_t>(codes.size()));
    return Codes(codes);
  }
  Opcodes& NextRow(uint8_t opcode) {
    bytes.push_back(opcode);
    return *this;
  }
  Opcodes& RelativePixels(uint8_t opcode, const std::vector<uint16_t>& codes) {
    bytes.push_back(opcode);
    return Codes(codes);
  }
  Opcodes& Codes(const std::vector<uint16_t>& codes) {
    for (uint16_t code : codes) PutBE16(bytes, code);
    return *this;
  }
};

Bytes SingleRun(int x, int y, const std::vector<uint16_t>& codes) {
  Bytes plain;
  PutBE16(plain, y);
  PutBE16(plain, x);
  for (uint16_t code : codes) PutBE16(plain, code);
  return plain;
}

class RecordingObserver : public VideoObserver {
 public:
  bool PaintsEachInterval() override { return paintEach; }
  void PaintNow() override { ++paints; }
  void AfterVideoPacket() override { ++packets; }
  bool paintEach = false;
  int paints = 0;
  int packets = 0;
};

class VideoDecoding : public VideoFixture {
 protected:
  void SetUp() override {
    m_bmp.SetBitmapSize(20, 10);
    Paint(9, 9, 9);
  }
  void Send(uint8_t type, uint8_t subtype, const Bytes& payload) {
    PacketHeader header(type, subtype, 0, static_cast<uint16_t>(payload.size()));
    m_decoder.HandleInterval(header, payload.data(), payload.size());
  }
  void SendCompressed(uint8_t type, const Bytes& plain) { Send(type, 2, m_deflater.Packet(plain)); }
  std::string FailureOf(uint8_t type, const Bytes& plain) {
    try {
      SendCompressed(type, plain);
    } catch (const TextError& e) {
      return e.Text();
    }
    return "(no failure)";
  }
  struct Span {
    int x, y, count;
    friend bool operator==(const Span&, const Span&) = default;
  };
  std::vector<Span> Decoded(uint8_t subtype, int mode, const Bytes& payload) {
    std::vector<Span> spans;
    const int n = m_decoder.GetIntervals(subtype, mode, payload.data(), payload.size());
    for (const Interval& interval : m_decoder.Intervals(n))
      spans.push_back({interval.x, interval.y, interval.count});
    return spans;
  }

  RecordingObserver m_observer;
  VideoDecoder m_decoder{m_bmp, &m_observer};
  Deflater m_deflater;
};

TEST(ColorTable, ExpandsCodesToNearestEightBitChannels) {
  struct Case {
    uint16_t code;
    Bgr bgr;
  };
  for (const Case& c :
       {Case{1, Bgr(0, 0, 0)}, Case{0x8410, Bgr(132, 130, 132)}, Case{0xFFFF, Bgr(255, 255, 255)},
        Case{RED_CODE, RED}, Case{0x0001 | 0x0020, Bgr(8, 4, 0)}, Case{0x0002, {16, 0, 0}},
        Case{0x0003, {25, 0, 0}}}) {
    const uint32_t word = ExpandCode(c.code);
    EXPECT_EQ(Bgr(word & 255, (word >> 8) & 255, word >> 16), c.bgr) << std::hex << c.code;
  }
}

// Every code against the rounding worked out in floating point, then runs of
// every length and position: the wide paths must write exactly what one pixel
// at a time would, keep the pixels of code 0 and touch nothing past the run.
TEST(ColorTable, RunsMatchPixelByPixelExpansionForEveryCode) {
  const auto round = [](unsigned value, double maximum) {
    return static_cast<uint32_t>(std::floor(value * 255.0 / maximum + 0.5));
  };
  for (uint32_t code = 2; code < 65536; ++code)
    ASSERT_EQ(ExpandCode(static_cast<uint16_t>(code)),
              round(code & 31, 31) | round((code >> 5) & 63, 63) << 8 | round(code >> 11, 31) << 16)
        << std::hex << code;

  constexpr size_t CODES = 65536 + 64;
  Bytes codes;
  for (size_t i = 0; i < CODES; ++i) PutBE16(codes, static_cast<uint32_t>((i * 40503) & 0xFFFF));
  // Unchanged pixels alone, in pairs and filling a whole group of sixteen.
  for (size_t at : {5, 6, 40, 77, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111})
    codes[2 * at] = codes[2 * at + 1] = 0;
  for (size_t at = 200; at < 216; ++at) codes[2 * at] = codes[2 * at + 1] = 0;

  // The run starts `lead` bytes into the buffer, after one guard pixel, so that
  // it meets every alignment the wide paths care about.
  const auto reference = [&](size_t first, int32_t count, size_t lead, Bytes pixels) {
    for (int32_t i = 0; i < count; ++i) {
      const uint16_t code =
          static_cast<uint16_t>(codes[2 * (first + i)] << 8 | codes[2 * (first + i) + 1]);
      if (code == 0) continue;
      const uint32_t word = ExpandCode(code);
      for (int k = 0; k < 3; ++k)
        pixels[lead + 3 * i + k + 3] = static_cast<uint8_t>(word >> (8 * k));
    }
    return pixels;
  };
  const auto check = [&](size_t first, int32_t count, size_t lead) {
    // One guard pixel before and after the run; no two neighbouring bytes
    // alike, so a kept pixel that takes another's bytes shows.
    Bytes pixels(lead + 3 * (static_cast<size_t>(count) + 2));
    for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = static_cast<uint8_t>(k * 7 + 1);
    const Bytes expected = reference(first, count, lead, pixels);
    ExpandCodes(codes.data() + 2 * first, count, pixels.data() + lead + 3);
    ASSERT_EQ(pixels, expected) << "run of " << count << " from " << first << " at " << lead;
  };
  for (size_t lead = 0; lead < 32; ++lead) {
    for (int32_t count = 0; count <= 50; ++count)
      for (size_t first : {0, 1, 3, 95, 190, 199}) check(first, count, lead);
    check(0, static_cast<int32_t>(CODES), lead);
  }
}

TEST_F(VideoDecoding, UncompressedItems) {
  struct Case {
    const char* name;
    Bytes payload;
    Span span;
    std::vector<std::pair<int, Bgr>> pixels;  // column on row 5, colour
  };
  const Case cases[] = {
      {"repeat of code 0 leaves four pixels",
       {0, 5, 0, 10, 0, 0, 0x23},
       {10, 5, 4},
       {{10, GREY}, {13, GREY}}},
      {"count byte 31 lists one more code",
       {0, 5, 0, 10, 0xF8, 0, 31, 0, 0x1F},
       {10, 5, 2},
       {{10, RED}, {11, BLUE}, {12, GREY}}},
      {"repeat then literal",
       {0, 5, 0, 2, 0xF8, 0, 33, 0, 0x1F, 31, 0, 0},
       {2, 5, 4},
       {{2, RED}, {3, RED}, {4, BLUE}, {5, GREY}}},
      {"literal cut short by the payload's end",
       {0, 5, 0, 0, 0xF8, 0, 0, 0, 0x1F, 0},
       {0, 5, 2},
       {{0, RED}, {1, BLUE}, {2, GREY}}},
      {"head cut short", {0, 5, 0, 0, 0xF8}, {0, 5, 0}, {{0, GREY}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Paint(9, 9, 9);
    EXPECT_EQ(Decoded(1, 0, c.payload), std::vector<Span>{c.span});
    Send(SEGMENT, 1, c.payload);
    for (auto [x, bgr] : c.pixels) EXPECT_EQ(PixelAt(x, 5), bgr) << x;
  }
  EXPECT_TRUE(Decoded(1, 0, {0, 5, 0}).empty());
  EXPECT_TRUE(Decoded(7, 0, {0, 5, 0, 10, 0, 0, 0x23}).empty());
}

TEST_F(VideoDecoding, UncompressedIntervalStopsAt1600Pixels) {
  Bytes payload{0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) payload.insert(payload.end(), {0xF8, 0, 255});  // 224 each
  EXPECT_EQ(Decoded(1, 0, payload), (std::vector<Span>{{0, 0, 1600}}));
}

TEST_F(VideoDecoding, SegmentModeChoosesTheCompressedForm) {
  SendCompressed(SEGMENT, SingleRun(3, 2, {RED_CODE, 0, BLUE_CODE}));
  EXPECT_EQ(PixelAt(3, 2), RED);
  EXPECT_EQ(PixelAt(4, 2), GREY);
  EXPECT_EQ(PixelAt(5, 2), BLUE);

  SendCompressed(MULTISEGMENT, Opcodes().Position(4 * 20 + 6).Pixels({0x8410, 1}).bytes);
  EXPECT_EQ(PixelAt(6, 4), Bgr(132, 130, 132));
  EXPECT_EQ(PixelAt(7, 4), Bgr(0, 0, 0));
  EXPECT_EQ(m_observer.packets, 2);
}

TEST_F(VideoDecoding, NextRowAppliesItsSignedOffset) {
  const Bytes plain = Opcodes()
                          .Position(1 * 20 + 10)
                          .Pixels({RED_CODE})
                          .NextRow(0x93)
                          .RelativePixels(0xA0, {BLUE_CODE})
                          .NextRow(0x83)
                          .RelativePixels(0xA1, {RED_CODE, RED_CODE})
                          .bytes;
  SendCompressed(MULTISEGMENT, plain);
  EXPECT_EQ(PixelAt(10, 1), RED);
  EXPECT_EQ(PixelAt(7, 2), BLUE);
  EXPECT_EQ(PixelAt(10, 3), RED);
  EXPECT_EQ(PixelAt(11, 3), RED);
  EXPECT_EQ(PixelAt(12, 3), GREY);
}

TEST_F(VideoDecoding, RunWrapsAtTheRightEdge) {
  const Bytes plain = Opcodes().Position(16).Pixels(std::vector<uint16_t>(10, RED_CODE)).bytes;
  EXPECT_EQ(Decoded(2, 3, m_deflater.Packet(plain)), (std::vector<Span>{{16, 0, 4}, {0, 1, 6}}));
  // A run ending at the edge makes no empty interval; one past the picture is dropped.
  const Bytes edge =
      Opcodes().Position(16).Pixels({1, 1, 1, 1}).Position(195).Pixels({1, 1, 1, 1, 1, 1}).bytes;
  EXPECT_EQ(Decoded(2, 3, m_deflater.Packet(edge)), (std::vector<Span>{{16, 0, 4}}));
}

TEST_F(VideoDecoding, PositionPersistsBetweenPackets) {
  SendCompressed(MULTISEGMENT, Opcodes().Position(2 * 20 + 5).Pixels({RED_CODE, RED_CODE}).bytes);
  SendCompressed(
      MULTISEGMENT,
      Opcodes().NextRow(0x80).RelativePixels(0xA0, {BLUE_CODE, BLUE_CODE}).NextRow(0x80).bytes);
  EXPECT_EQ(PixelAt(5, 3), BLUE);
  EXPECT_EQ(PixelAt(6, 3), BLUE);
}

TEST_F(VideoDecoding, PacketKeepsItsFirstHundredIntervals) {
  m_bmp.SetBitmapSize(20, 200);
  Paint(9, 9, 9);
  Opcodes plain;
  plain.Position(0).Pixels({RED_CODE});
  for (int row = 1; row <= 100; ++row) plain.NextRow(0x80).RelativePixels(0xA0, {RED_CODE});
  SendCompressed(MULTISEGMENT, plain.bytes);
  EXPECT_EQ(PixelAt(0, 99), RED);
  EXPECT_EQ(PixelAt(0, 100), GREY);
}

TEST_F(VideoDecoding, PaintsEachIntervalWhileTheOperatorIsActive) {
  m_observer.paintEach = true;
  SendCompressed(MULTISEGMENT,
                 Opcodes().Position(16).Pixels(std::vector<uint16_t>(10, RED_CODE)).bytes);
  EXPECT_EQ(m_observer.paints, 2);
  EXPECT_EQ(m_observer.packets, 1);
}

TEST_F(VideoDecoding, SingleRunLimits) {
  m_bmp.SetBitmapSize(1600, 1200);
  Paint(9, 9, 9);
  // More codes than fit below the start: nothing is written.
  SendCompressed(SEGMENT, SingleRun(0, 1199, std::vector<uint16_t>(1601, RED_CODE)));
  EXPECT_EQ(PixelAt(0, 1199), GREY);
  // A run longer than an interval keeps its first 1,600 pixels.
  SendCompressed(SEGMENT, SingleRun(0, 3, std::vector<uint16_t>(5000, RED_CODE)));
  EXPECT_EQ(PixelAt(1599, 3), RED);
  EXPECT_EQ(PixelAt(0, 4), GREY);
}

TEST_F(VideoDecoding, BadPacketsFailWithTheirTexts) {
  const std::string noPixels = "Received no pixel info, or too much.\n";
  Bytes odd = SingleRun(0, 0, {RED_CODE});
  odd.push_back(0);
  struct Case {
    const char* name;
    uint8_t type;
    Bytes plain;
    std::string failure;
  };
  const Case cases[] = {
      {"odd single run", SEGMENT, odd,
       "Found odd number of characters in ZLib packet, which is not possible on a proper "
       "packet.\n"},
      {"single run without pixels", SEGMENT, SingleRun(0, 0, {}), noPixels},
      {"opcodes too short", MULTISEGMENT, Bytes(5, 0), noPixels},
      {"more than a packet may inflate to", MULTISEGMENT, Bytes(50001, 0x80), noPixels},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_decoder.ResetZLib();
    Deflater deflater;
    const Bytes packet = deflater.Packet(c.plain);
    try {
      Send(c.type, 2, packet);
      ADD_FAILURE() << "no failure";
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), "Error getting interval.\n" + c.failure);
    }
  }

  m_decoder.ResetZLib();
  try {
    Send(SEGMENT, 2, {'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'});
    ADD_FAILURE() << "no failure";
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text().rfind("Error getting interval.\nZLib decompression error.\n", 0), 0u);
    EXPECT_NE(e.Text().find("6E 6F 74 20"), std::string::npos);
    EXPECT_NE(e.Text().find("not zlib"), std::string::npos);
  }
  // The next connection starts a fresh stream.
  m_decoder.ResetZLib();
  Deflater fresh;
  Send(SEGMENT, 2, fresh.Packet(SingleRun(1, 1, {RED_CODE})));
  EXPECT_EQ(PixelAt(1, 1), RED);
}

TEST_F(VideoDecoding, MalformedOpcodesStopTheWalk) {
  struct Case {
    const char* name;
    Bytes plain;
    const char* traced;
  };
  const Bytes tail = Opcodes().Position(0).Pixels({RED_CODE}).bytes;
  auto with = [&](Bytes head) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const Case cases[] = {
      {"unknown opcode", with({0x40, 0, 0, 0, 0, 0}), "Error in GetZLibIntervals() - 4"},
      {"negative relative length",
       with(Opcodes().Position(40).Pixels({}).RelativePixels(0xB1, {}).bytes),
       "Error in GetZLibIntervals() - 5"},
      {"codes cut short", Opcodes().Position(0).Pixels(std::vector<uint16_t>(100, RED_CODE)).bytes,
       "Error in GetZLibIntervals() - 5"},
      {"position past the picture", with(Opcodes().Position(5000).Pixels({BLUE_CODE}).bytes),
       "Error in GetZLibIntervals() - 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Paint(9, 9, 9);
    Bytes plain = c.plain;
    if (std::string(c.name) == "codes cut short") plain.resize(plain.size() - 150);
    TraceRecorder trace;
    SendCompressed(MULTISEGMENT, plain);
    EXPECT_EQ(trace.Count(c.traced), 1u);
    EXPECT_EQ(PixelAt(0, 0), std::string(c.name) == "position past the picture" ? RED : GREY);
  }
}

}  // namespace
