#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sim/ReferenceDecoder.h"
#include "sim/RunningUnit.h"
#include "sim/ViewerClient.h"

using client::Bytes;
using client::Frame;
using client::Viewer;

namespace {

Bytes Size(int width, int height) {
  Bytes b;
  client::AddLe(b, std::uint32_t(width), 4);
  client::AddLe(b, std::uint32_t(height), 4);
  return b;
}

struct Dump {
  int width = 0, height = 0;
  Bytes rgb;
};

Dump ReadDump(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  Dump dump;
  int maximum = 0;
  file >> magic >> dump.width >> dump.height >> maximum;
  file.get();
  dump.rgb.resize(std::size_t(dump.width) * dump.height * 3);
  file.read(reinterpret_cast<char*>(dump.rgb.data()), std::streamsize(dump.rgb.size()));
  EXPECT_EQ(magic, "P6");
  EXPECT_TRUE(file) << "cannot read " << path;
  return dump;
}

class VideoSession {
 public:
  explicit VideoSession(sim::UnitOptions options)
      : m_running(Prepare(options, m_dump)), m_viewer(m_running.port) {
    m_viewer.Negotiate();
    EXPECT_EQ(m_viewer.Login("admin", "admin"), 2);
  }
  ~VideoSession() { std::remove(m_dump.c_str()); }

  Viewer& Client() { return m_viewer; }
  client::ReferenceDecoder& Decoder() { return m_decoder; }
  const std::string& DumpPath() const { return m_dump; }

  // Applies packets until a full picture has ended with its fill. The unit's
  // RESIZE echo and ONE_TO_ONE answer size the picture; their types are kept.
  void ReadPicture() {
    for (;;) {
      const Frame f = m_viewer.Receive();
      if (f.type == 70 || f.type == 110) {
        m_decoder.Resize(int(client::Le32(&f.data[0])), int(client::Le32(&f.data[4])));
        m_sizeReplies.push_back(f.type);
      }
      if (m_decoder.Apply(f) && f.type == 65) return;
    }
  }
  std::vector<std::uint8_t> TakeSizeReplies() { return std::exchange(m_sizeReplies, {}); }

  void ExpectDumpMatches() {
    const Dump dump = ReadDump(m_dump);
    ASSERT_EQ(dump.rgb.size(), m_decoder.Rgb().size());
    EXPECT_TRUE(dump.rgb == m_decoder.Rgb());
  }

 private:
  static sim::UnitOptions Prepare(sim::UnitOptions& options, std::string& dump) {
    static int serial = 0;
    dump = testing::TempDir() + "orbsim_frame_" + std::to_string(::getpid()) + "_" +
           std::to_string(++serial) + ".ppm";
    options.dumpFramePath = dump;
    options.frameIntervalMs = 0;
    return options;
  }

  std::string m_dump;
  RunningUnit m_running;
  Viewer m_viewer;
  client::ReferenceDecoder m_decoder;
  std::vector<std::uint8_t> m_sizeReplies;
};

std::size_t DistinctColours(const Bytes& rgb) {
  std::set<std::uint32_t> colours;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
    colours.insert(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
  return colours.size();
}

}  // namespace

class SimVideo : public testing::TestWithParam<sim::Encoding> {};

TEST_P(SimVideo, DecodedPictureEqualsTheDumpedFrame) {
  sim::UnitOptions options;
  options.encoding = GetParam();
  options.encryption = 12;
  VideoSession session(options);
  Viewer& viewer = session.Client();

  viewer.Send(80, 0, {2, 2});
  viewer.Send(70, 0, Size(320, 200));
  session.ReadPicture();
  session.ExpectDumpMatches();
  EXPECT_GT(DistinctColours(session.Decoder().Rgb()), 200u);
  // The fill square is magenta, painted by FILL_BMP_WITH_COLOR only.
  const std::uint8_t* corner = &session.Decoder().Rgb()[(10 * 320 + 310) * 3];
  EXPECT_EQ(Bytes(corner, corner + 3), (Bytes{255, 0, 255}));

  viewer.Send(240, 0, {});  // REPAINT: a second full picture, in the next encoding when mixed
  session.ReadPicture();
  session.ExpectDumpMatches();
}

// Asked to show the target one to one, the unit names its native size and
// draws its whole screen at that size straight away, with no RESIZE echo.
TEST(SimVideoOneToOne, AnswersWithTheNativeSizeAndDrawsTheWholeScreenAtIt) {
  sim::UnitOptions options;
  options.encoding = sim::Encoding::MultiSegment;
  options.nativeWidth = 400;
  options.nativeHeight = 300;
  VideoSession session(options);
  Viewer& viewer = session.Client();
  viewer.Send(70, 0, Size(320, 200));
  session.ReadPicture();
  EXPECT_EQ(session.TakeSizeReplies(), (std::vector<std::uint8_t>{70}));

  viewer.Send(110, 0, {});
  session.ReadPicture();
  EXPECT_EQ(session.TakeSizeReplies(), (std::vector<std::uint8_t>{110}));
  EXPECT_EQ(session.Decoder().Rgb().size(), 400u * 300u * 3u);
  session.ExpectDumpMatches();
}

INSTANTIATE_TEST_SUITE_P(EachEncoding, SimVideo,
                         testing::Values(sim::Encoding::Raw, sim::Encoding::Segment,
                                         sim::Encoding::MultiSegment, sim::Encoding::Mixed));

TEST(SimVideoColour, ProgressiveAndReducedRenderings) {
  struct Case {
    std::uint8_t low, high;
    std::size_t maxColours;  // the reduced picture's palette, fill square included
    sim::Encoding encoding;
  };
  // Progressive refinement sends only what differs, as row runs of varying start and length.
  for (const Case& c :
       {Case{1, 2, 1u << 24, sim::Encoding::MultiSegment}, Case{0, 2, 1u << 24, sim::Encoding::Raw},
        Case{0, 0, 3, sim::Encoding::Mixed}, Case{1, 1, 70, sim::Encoding::Segment}}) {
    SCOPED_TRACE(int(c.low) * 10 + c.high);
    sim::UnitOptions options;
    options.encoding = c.encoding;
    VideoSession session(options);
    session.Client().Send(80, 0, {c.low, c.high});
    session.Client().Send(70, 0, Size(400, 300));
    session.ReadPicture();
    session.ExpectDumpMatches();
    EXPECT_LE(DistinctColours(session.Decoder().Rgb()), c.maxColours);
  }
}

TEST(SimVideoGeometry, ClampsOversizedRequestsAndAnswersOneToOne) {
  sim::UnitOptions options;
  options.nativeWidth = 800;
  options.nativeHeight = 600;
  VideoSession session(options);
  Viewer& viewer = session.Client();
  EXPECT_EQ(viewer.ReceiveType(73).data, Size(800, 600));
  viewer.Send(70, 0, Size(2000, 1500));
  EXPECT_EQ(viewer.ReceiveType(70).data, Size(1600, 1200));
  viewer.Send(110, 0, {});
  EXPECT_EQ(viewer.ReceiveType(110).data, Size(800, 600));
}

TEST(SimFaults, EachFaultShowsOnTheWire) {
  struct Case {
    const char* name;
    std::function<void(sim::Faults&)> set;
    std::function<void(Viewer&, client::ReferenceDecoder&)> check;
  };
  auto readPicture = [](Viewer& viewer, client::ReferenceDecoder& decoder) {
    for (;;) {
      const Frame f = viewer.Receive();
      if (f.type == 70)
        decoder.Resize(int(client::Le32(&f.data[0])), int(client::Le32(&f.data[4])));
      decoder.Apply(f);
    }
  };
  auto throwsWith = [&](const std::string& what) {
    return [=](Viewer& viewer, client::ReferenceDecoder& decoder) {
      try {
        readPicture(viewer, decoder);
      } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
      }
    };
  };
  const Case cases[] = {
      {"bad checksum", [](sim::Faults& f) { f.badChecksum = true; }, throwsWith("bad checksum")},
      {"close mid-packet", [](sim::Faults& f) { f.closeMidPacket = true; }, throwsWith("closed")},
      {"garbage", [](sim::Faults& f) { f.garbage = true; }, throwsWith("bad signature")},
      {"finished stream", [](sim::Faults& f) { f.finishedStream = true; },
       throwsWith("inflate failed")},
      {"oversize", [](sim::Faults& f) { f.oversizePacket = true; },
       throwsWith("payload over 60,000")},
      {"big screen", [](sim::Faults& f) { f.bigScreen = true; },
       [](Viewer& viewer, client::ReferenceDecoder&) {
         EXPECT_EQ(viewer.ReceiveType(73).data, Size(1601, 1200));
       }},
      {"unknown type", [](sim::Faults& f) { f.unknownType = true; },
       [](Viewer& viewer, client::ReferenceDecoder&) {
         EXPECT_EQ(viewer.ReceiveType(99).data, (Bytes{1, 2, 3, 4}));
       }},
      {"stall", [](sim::Faults& f) { f.stall = true; }, throwsWith("timed out")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::UnitOptions options;
    c.set(options.faults);
    options.frameIntervalMs = 20;
    RunningUnit running(options);
    Viewer viewer(running.port);
    viewer.Negotiate();
    ASSERT_EQ(viewer.Login("admin", "admin"), 2);
    viewer.Send(70, 0, Size(200, 150));
    client::ReferenceDecoder decoder;
    c.check(viewer, decoder);
  }
}
