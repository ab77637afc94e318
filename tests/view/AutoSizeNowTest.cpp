// Auto Size Now in scaled mode, after the window was made smaller: the unit
// answers ONE_TO_ONE with its native size and at once sends its whole screen
// at that size, before the window can have grown to it. That video must not
// land at the small picture's stride, and the picture it carried must be
// asked for again, once, when the frame buffer has the native size.

#include <gmock/gmock.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "protocol/PacketTypes.h"
#include "video/ColorTable.h"
#include "video/Deflater.h"
#include "view/ViewGeometryFixture.h"
#include "view/ViewVideoPath.h"

using platform::Size;

namespace {

constexpr Size WINDOW{100, 80};
constexpr Size NATIVE{160, 120};
// Every row carries its own codes, so rows placed at another stride show.
constexpr int ROWS_PER_PACKET = 50;

uint16_t CodeAt(int x, int y) { return static_cast<uint16_t>(2 + (x * 37 + y * 101) % 60000); }

void PutBE16(Bytes& out, int value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

// How the view's new size reaches the geometry after the window was moved:
// later, after more video; at once, from inside the move; or never, when the
// window reports nothing.
enum class SizeComes { AfterMoreVideo, FromInsideTheMove, Never };

std::string SizeComesName(const testing::TestParamInfo<SizeComes>& info) {
  switch (info.param) {
    case SizeComes::AfterMoreVideo:
      return "AfterMoreVideo";
    case SizeComes::FromInsideTheMove:
      return "FromInsideTheMove";
    case SizeComes::Never:
      return "Never";
  }
  return "";
}

class AutoSizeNow : public ViewGeometryTest, public testing::WithParamInterface<SizeComes> {
 protected:
  AutoSizeNow() {
    view.SetLocalScreenSize(Size{1920, 1080});
    view.SetClientSize(WINDOW);
    Start("scaled", false, false);
    bmp.FillBmp(9, 9, 9, -1, 0, 0, 0);
    // The unit draws at the window's size, as its echo said.
    uint8_t echo[8];
    StoreLE32(echo, WINDOW.width);
    StoreLE32(echo + 4, WINDOW.height);
    video.OnResizeEcho(echo, sizeof echo);
    if (GetParam() != SizeComes::FromInsideTheMove)
      view.SetSizeListener([this](Size size) { heldSizes.push_back(size); });
  }

  // The unit's whole screen at the native size, as the opcode stream it
  // sends: each row placed from the one before by the picture's width.
  void SendWholeScreen() {
    for (int first = 0; first < NATIVE.height; first += ROWS_PER_PACKET) {
      Bytes plain;
      const int cursor = first * NATIVE.width;
      plain.push_back(static_cast<uint8_t>((cursor >> 16) & 31));
      plain.push_back(static_cast<uint8_t>(cursor));
      plain.push_back(static_cast<uint8_t>(cursor >> 8));
      const int last = std::min(first + ROWS_PER_PACKET, NATIVE.height);
      for (int y = first; y < last; ++y) {
        if (y == first) {
          PutBE16(plain, 0x2000 | NATIVE.width);  // MH_PIXELS
        } else {
          plain.push_back(0x80);  // MH_NEXT_ROW
          plain.push_back(0xA0);  // MH_PIXELS_REL_LEN, same length
        }
        for (int x = 0; x < NATIVE.width; ++x) PutBE16(plain, CodeAt(x, y));
      }
      const Bytes packet = deflater.Packet(plain);
      PacketHeader header(MULTISEGMENT, 2, 0, static_cast<uint16_t>(packet.size()));
      video.HandleSegment(header, packet.data(), static_cast<int32_t>(packet.size()));
    }
  }

  void AnswerOneToOne() {
    uint8_t answer[8];
    StoreLE32(answer, NATIVE.width);
    StoreLE32(answer + 4, NATIVE.height);
    video.OnOneToOneReply(answer, sizeof answer);
  }

  void DeliverHeldSizes() {
    const std::vector<Size> sizes = std::exchange(heldSizes, {});
    for (const Size size : sizes) geometry.OnSize(size.width, size.height);
  }

  // Whether every pixel is the one from code (x, y), or the colour given.
  template <class Expected>
  bool EveryPixel(Expected expected) const {
    return bmp.ReadPixels([&](const video::PixelView& pixels) {
      for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
          const uint32_t word = expected(x, y);
          const uint8_t* p = pixels.Row(y) + 3 * x;
          if (p[0] != (word & 255) || p[1] != ((word >> 8) & 255) || p[2] != (word >> 16))
            return false;
        }
      return true;
    });
  }
  bool IsGrey() const {
    return EveryPixel([](int, int) { return 0x090909u; });
  }
  bool IsBlack() const {
    return EveryPixel([](int, int) { return 0u; });
  }
  bool ShowsWholeScreen() const {
    return bmp.Size() == NATIVE &&
           EveryPixel([](int x, int y) { return video::ExpandCode(CodeAt(x, y)); });
  }

  size_t Repaints() const {
    const std::vector<uint8_t> types = Types();
    return static_cast<size_t>(std::count(types.begin(), types.end(), REPAINT));
  }

  session::SessionObserver observer;
  view::ViewVideoPath video{bmp, loop, observer};
  Deflater deflater;
  std::vector<Size> heldSizes;
};

// The frame buffer ends at the native size, nothing is written at the small
// picture's stride on the way, and one REPAINT, sent once the sizes agree,
// brings the whole screen back.
TEST_P(AutoSizeNow, VideoBeforeTheWindowFitsIsDroppedAndAskedForOnce) {
  geometry.OnACTIONSOneToOne();
  AnswerOneToOne();
  SendWholeScreen();
  EXPECT_EQ(bmp.Size(), WINDOW);
  EXPECT_TRUE(IsGrey()) << "video landed in the window-sized picture";

  geometry.OneToOne(NATIVE.width, NATIVE.height);
  EXPECT_EQ(view.ClientRect(), (platform::Rect{0, 0, NATIVE.width, NATIVE.height}));
  if (GetParam() == SizeComes::AfterMoreVideo) {
    SendWholeScreen();
    EXPECT_EQ(bmp.Size(), WINDOW);
    EXPECT_TRUE(IsGrey()) << "video landed in the window-sized picture";
    EXPECT_EQ(Repaints(), 0u);
    DeliverHeldSizes();
  } else if (GetParam() == SizeComes::Never) {
    EXPECT_EQ(bmp.Size(), WINDOW);
    loop.RunFor(view::ONE_TO_ONE_WAIT_MS + 200);
  }

  EXPECT_EQ(bmp.Size(), NATIVE);
  EXPECT_TRUE(IsBlack()) << "video of another size was kept";
  // No RESIZE: the unit already draws at the native size.
  EXPECT_THAT(Types(), testing::ElementsAre(ONE_TO_ONE, REPAINT));
  SendWholeScreen();
  EXPECT_TRUE(ShowsWholeScreen());
  EXPECT_EQ(Repaints(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EachWayTheSizeComes, AutoSizeNow,
                         testing::Values(SizeComes::AfterMoreVideo, SizeComes::FromInsideTheMove,
                                         SizeComes::Never),
                         SizeComesName);

}  // namespace
