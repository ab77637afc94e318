#include <gtest/gtest.h>

#include <vector>

#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "support/TraceRecorder.h"
#include "video/ColorAnalysis.h"
#include "video/ColorModes.h"
#include "video/VideoFixture.h"

using namespace video;

namespace {

class RecordingSender : public PacketSender {
 public:
  struct Sent {
    uint8_t type;
    std::vector<uint8_t> payload;
  };
  void SendPacket(PacketHeader& header, PayloadPiece piece1, PayloadPiece, PayloadPiece) override {
    const auto* bytes = static_cast<const uint8_t*>(piece1.data);
    sent.push_back({header.type, {bytes, bytes + piece1.length}});
  }
  std::vector<Sent> sent;
};

TEST(ColorModes, NamesMapToTheirLevels) {
  struct Case {
    const char* name;
    uint8_t low;
    uint8_t high;
  };
  for (const Case& c : {Case{"Black & White always", 0, 0}, Case{"Black & White -> Grey", 0, 1},
                        Case{"Black & White -> Color", 0, 2}, Case{"Grey always", 1, 1},
                        Case{"Grey -> Color", 1, 2}, Case{"Color always", 2, 2},
                        Case{"color always", 255, 255}, Case{"", 255, 255}}) {
    EXPECT_EQ(ColorLevelsPayload(c.name), (std::array<uint8_t, 2>{c.low, c.high})) << c.name;
  }
}

TEST(ColorModes, ColorReductionPayload) {
  RecordingSender sender;
  SendColorReduction(sender, 12, 27);
  ASSERT_EQ(sender.sent.size(), 1u);
  EXPECT_EQ(sender.sent[0].type, SET_COLOR_REDUCTION);
  std::vector<uint8_t> expected(28, 0);
  expected[0] = 12;
  expected[4] = 27;
  EXPECT_EQ(sender.sent[0].payload, expected);
}

class Rendering : public VideoFixture {
 protected:
  std::string Stored() { return m_ini.Read("MISC", "PROGRESSIVE_RENDERING", "<absent>", 200); }
  RecordingSender m_sender;
  ProgressiveRendering m_rendering{m_ini, m_sender};
};

TEST_F(Rendering, SettingNamesTheModeExactly) {
  EXPECT_EQ(m_rendering.ReadSetting(), ID_VIEW_COLOR);
  EXPECT_EQ(m_rendering.CurrentMode(), "Color always");

  ASSERT_TRUE(m_ini.Write("MISC", "PROGRESSIVE_RENDERING", "Grey -> Color"));
  EXPECT_EQ(m_rendering.ReadSetting(), ID_VIEW_PROGRESSIVE_GREY_TO_COLOR);

  ProgressiveRendering fresh(m_ini, m_sender);
  ASSERT_TRUE(m_ini.Write("MISC", "PROGRESSIVE_RENDERING", "color always"));
  EXPECT_EQ(fresh.ReadSetting(), ID_VIEW_COLOR);
  EXPECT_EQ(fresh.CurrentMode(), "");
  fresh.SendCurrentLevels();
  EXPECT_EQ(m_sender.sent.back().payload, (std::vector<uint8_t>{255, 255}));
}

TEST_F(Rendering, MenuCommandStoresTheModeAndTellsAConnectedUnit) {
  m_rendering.OnViewProgressiveRendering(ID_VIEW_256_COLOR, true);
  EXPECT_EQ(Stored(), "Black & White always");
  ASSERT_EQ(m_sender.sent.size(), 1u);
  EXPECT_EQ(m_sender.sent[0].type, CHANGE_COLOR_LO_HI);
  EXPECT_EQ(m_sender.sent[0].payload, (std::vector<uint8_t>{0, 0}));

  m_rendering.OnViewProgressiveRendering(ID_VIEW_PROGRESSIVE_GREY_TO_COLOR, false);
  EXPECT_EQ(Stored(), "Grey -> Color");
  EXPECT_EQ(m_rendering.CurrentMode(), "Grey -> Color");
  EXPECT_EQ(m_sender.sent.size(), 1u);

  EXPECT_THROW(m_rendering.OnViewProgressiveRendering(32854, true), TextError);
  EXPECT_EQ(m_rendering.CurrentMode(), "Grey -> Color");
}

class ColorCounting : public VideoFixture {
 protected:
  void SetUp() override { m_bmp.SetBitmapSize(8, 4); }
  void Put(int x, int y, uint8_t value) { m_bmp.FillBmp(value, 0, 0, x, y, x, y); }
  static platform::Point Corner(int x, int y) { return {x, y}; }
};

TEST_F(ColorCounting, CountsDistinctValuesAndTransitions) {
  Put(1, 0, 50);
  Put(2, 0, 50);
  Put(0, 1, 60);
  // Row 0: 0 50 50 0; row 1: 60 0 0 0.
  const ColorCount count = CountColors(m_bmp, {0, 0, 4, 2});
  EXPECT_EQ(count.distinct, 3);
  EXPECT_EQ(count.transitions, 3);
  // Outside the picture the previous value repeats.
  EXPECT_EQ(CountColors(m_bmp, {6, 3, 12, 4}).transitions, 0);
}

TEST_F(ColorCounting, DragInEitherDirectionGivesTheSameRectangle) {
  ColorAnalysis analysis;
  analysis.Arm();
  analysis.OnButtonDown(Corner(4, 3));
  const std::string backwards = analysis.OnButtonUp(Corner(1, 0), m_bmp);
  EXPECT_FALSE(analysis.IsArmed());
  analysis.OnButtonDown(Corner(1, 0));
  EXPECT_EQ(analysis.OnButtonUp(Corner(4, 3), m_bmp), backwards);
  EXPECT_EQ(backwards,
            "In this rectangle:\n    UL = 1, 0    LR = 4, 3\nFound 1 distinct values and 0 "
            "transitions.\n");
}

TEST_F(ColorCounting, StopsAtTenThousandColors) {
  m_bmp.SetBitmapSize(200, 60);
  for (int y = 0; y < 60; ++y) {
    // 12,000 different codes, none of them 0 or 1.
    std::vector<uint16_t> codes;
    for (int x = 0; x < 200; ++x) codes.push_back(static_cast<uint16_t>(2 + y * 200 + x));
    m_bmp.ImageUpdate(MakeInterval(0, y, 200, codes));
  }
  EXPECT_EQ(CountColors(m_bmp, {0, 0, 200, 60}).distinct, MAX_DISTINCT_COLORS);
}

TEST(ColorCube, LevelsRunFrom255DownTo0) {
  TraceRecorder trace;
  const auto cube = MakeColorCube(COLOR_CUBE_DEMO_COLORS);
  ASSERT_EQ(cube.size(), 8u);
  EXPECT_EQ(cube.front(), (CubeColor{255, 255, 255}));
  EXPECT_EQ(cube.back(), (CubeColor{0, 0, 0}));
  EXPECT_EQ(trace.Count("Actual colors: 8"), 1u);
  EXPECT_EQ(trace.Count("    7.  from   0,   0,   0"), 1u);

  struct Case {
    int requested;
    size_t entries;
  };
  for (const Case& c :
       {Case{1, 8}, Case{8, 8}, Case{27, 8}, Case{28, 27}, Case{200, 125}, Case{1000000, 64000}}) {
    EXPECT_EQ(MakeColorCube(c.requested).size(), c.entries) << c.requested;
  }
  EXPECT_EQ(MakeColorCube(28)[1], (CubeColor{255, 255, 128}));
}

}  // namespace
