#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/HeadlessDialogs.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "support/TraceRecorder.h"
#include "video/BitmapFile.h"
#include "video/VideoFixture.h"

using namespace video;

namespace {

using FrameBitmap = VideoFixture;

const Bgr GREY{9, 9, 9};
const Bgr BLACK{0, 0, 0};
const Bgr WHITE{255, 255, 255};
const Bgr MID{132, 130, 132};  // code 0x8410

TEST_F(FrameBitmap, StoresRowsBottomUpWithTheirStride) {
  struct Case {
    int width;
    int stride;
  };
  for (const Case& c :
       {Case{1024, 3072}, Case{1023, 3072}, Case{1022, 3068}, Case{1021, 3064}, Case{1, 4}}) {
    EXPECT_EQ(FrameBuffer::StrideFor(c.width), c.stride) << c.width;
  }

  m_bmp.SetBitmapSize(5, 3);
  m_bmp.ImageUpdate(MakeInterval(1, 0, 1, {0x8410}));
  m_bmp.ReadPixels([](const PixelView& view) {
    EXPECT_EQ(view.stride, 16);
    // Row 0 of the screen is the last row in memory.
    const uint8_t* pixel = view.data + 2 * 16 + 3;
    EXPECT_EQ(Bgr(pixel[0], pixel[1], pixel[2]), MID);
  });
}

TEST_F(FrameBitmap, NewPictureIsBlackAndDirtyAndBadSizesAreRefused) {
  m_bmp.SetBitmapSize(4, 2);
  EXPECT_EQ(PixelAt(3, 1), BLACK);
  EXPECT_EQ(m_bmp.Repaint().GetRect(), (DirtyRect{0, 0, 4, 2}));
  EXPECT_EQ(m_bmp.Header().biBitCount, 24);
  for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {100000, 10}}) {
    EXPECT_THROW(m_bmp.SetBitmapSize(w, h), TextError);
  }
}

TEST_F(FrameBitmap, IntervalKeepsPixelsMarkedUnchanged) {
  m_bmp.SetBitmapSize(20, 10);
  Paint(9, 9, 9);
  m_bmp.ImageUpdate(MakeInterval(3, 4, 5, {0, 0x8410, 0, 0, 0}));
  EXPECT_EQ(PixelAt(3, 4), GREY);
  EXPECT_EQ(PixelAt(4, 4), MID);
  for (int x = 5; x <= 7; ++x) EXPECT_EQ(PixelAt(x, 4), GREY) << x;
  EXPECT_EQ(m_bmp.Repaint().GetRect(), (DirtyRect{3, 4, 8, 5}));
}

TEST_F(FrameBitmap, PixelsPastTheRightEdgeAreTracedNotWritten) {
  m_bmp.SetBitmapSize(20, 10);
  TraceRecorder trace;
  m_bmp.ImageUpdate(MakeInterval(18, 0, 4, {0x8410, 0xFFFF, 1, 1}));
  EXPECT_EQ(PixelAt(18, 0), MID);
  EXPECT_EQ(PixelAt(19, 0), WHITE);
  EXPECT_EQ(PixelAt(0, 1), BLACK);
  EXPECT_EQ(trace.Count("X is out of bounds.  X = 20"), 1u);
  EXPECT_EQ(trace.Count("X is out of bounds.  X = 21"), 1u);
}

TEST_F(FrameBitmap, IntervalNeverReadsPastItsData) {
  m_bmp.SetBitmapSize(20, 10);
  Paint(9, 9, 9);
  // Ten pixels claimed, codes for one.
  m_bmp.ImageUpdate(MakeInterval(0, 0, 10, {0x8410}));
  EXPECT_EQ(PixelAt(0, 0), MID);
  EXPECT_EQ(PixelAt(1, 0), GREY);
  // Rows outside the picture are skipped silently; negative counts write nothing.
  m_bmp.ImageUpdate(MakeInterval(0, 10, 1, {0xFFFF}));
  m_bmp.ImageUpdate(MakeInterval(0, -1, 1, {0xFFFF}));
  m_bmp.ImageUpdate(MakeInterval(0, 1, -3, {0xFFFF}));
  EXPECT_EQ(PixelAt(0, 1), GREY);
}

TEST_F(FrameBitmap, BlockedIntervalChangesNothing) {
  m_bmp.SetBitmapSize(20, 10);
  Paint(9, 9, 9);
  TraceRecorder trace;
  m_bmp.Gate().SetBlockUpdates(true);
  m_bmp.ImageUpdate(MakeInterval(0, 0, 1, {0x8410}));
  EXPECT_EQ(PixelAt(0, 0), GREY);
  EXPECT_TRUE(m_bmp.Repaint().GetRect().IsEmpty());
  EXPECT_EQ(trace.Count("Setting m_blockUpdates = GetTickCount() 1000"), 1u);
  EXPECT_EQ(trace.Count("Blocking video in ImageUpdate."), 1u);
  // Fills still take effect while video is blocked.
  m_bmp.FillBmp(1, 2, 3, 0, 0, 0, 0);
  EXPECT_EQ(PixelAt(0, 0), Bgr(3, 2, 1));

  m_bmp.Gate().SetBlockUpdates(false);
  EXPECT_EQ(trace.Count("Clearing m_blockUpdates"), 1u);
  m_bmp.ImageUpdate(MakeInterval(0, 0, 1, {0x8410}));
  EXPECT_EQ(PixelAt(0, 0), MID);
}

TEST_F(FrameBitmap, FillCoversItsRectangleOrTheWholePicture) {
  EXPECT_THROW(m_bmp.FillBmp(1, 2, 3, -1, 0, 0, 0), TextError);
  m_bmp.SetBitmapSize(6, 4);
  m_bmp.FillBmp(10, 20, 30, 1, 1, 2, 2);
  EXPECT_EQ(PixelAt(1, 1), Bgr(30, 20, 10));
  EXPECT_EQ(PixelAt(2, 2), Bgr(30, 20, 10));
  EXPECT_EQ(PixelAt(3, 2), BLACK);
  EXPECT_EQ(PixelAt(1, 3), BLACK);
  EXPECT_EQ(m_bmp.Repaint().GetRect(), (DirtyRect{0, 0, 6, 4}));

  m_bmp.FillBmp(7, 8, 9, -1, 0, 0, 0);
  m_bmp.ReadPixels([](const PixelView& view) {
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) EXPECT_EQ(view.Row(y)[3 * x], 9);
      // The row padding is not part of the picture.
      for (int pad = 18; pad < view.stride; ++pad) EXPECT_EQ(view.Row(y)[pad], 0);
    }
  });
}

TEST_F(FrameBitmap, FillReachingFarOutsideIsClippedAndTracedOnce) {
  m_bmp.SetBitmapSize(6, 4);
  TraceRecorder trace;
  m_bmp.FillBmp(1, 1, 1, 4, 2, 32767, 32767);
  EXPECT_EQ(PixelAt(5, 3), Bgr(1, 1, 1));
  EXPECT_EQ(PixelAt(3, 3), BLACK);
  EXPECT_EQ(trace.Count("X is out of bounds"), 1u);
}

TEST_F(FrameBitmap, RepaintIsDueOnceTheFirstChangeIs101MsOld) {
  m_bmp.SetBitmapSize(6, 4);
  m_bmp.Repaint().TakeDirtyRect();
  EXPECT_FALSE(m_bmp.Repaint().IsRepaintDue());
  m_bmp.ImageUpdate(MakeInterval(0, 0, 1, {0xFFFF}));
  m_now += 50;
  m_bmp.ImageUpdate(MakeInterval(0, 1, 1, {0xFFFF}));
  m_now += 50;
  EXPECT_FALSE(m_bmp.Repaint().IsRepaintDue());
  m_now += 1;
  EXPECT_TRUE(m_bmp.Repaint().IsRepaintDue());
  m_bmp.Repaint().SetPainting(true);
  EXPECT_FALSE(m_bmp.Repaint().IsRepaintDue());
  m_bmp.Repaint().SetPainting(false);
  m_bmp.Repaint().TakeDirtyRect();
  EXPECT_FALSE(m_bmp.Repaint().IsRepaintDue());
}

TEST_F(FrameBitmap, RepaintWaitsForTheConfiguredDelay) {
  struct Case {
    const char* stored;  // nullptr: absent
    uint32_t delay;
  };
  for (const Case& c : {Case{nullptr, 101}, Case{"0", 0}, Case{"250", 250}, Case{"1001", 101}}) {
    SCOPED_TRACE(c.stored ? c.stored : "(absent)");
    m_ini.DeleteSection("MISC");
    if (c.stored) m_ini.Write("MISC", "RepaintDelayMS", c.stored);
    FrameBuffer bmp(m_ini, [this] { return m_now; });
    EXPECT_EQ(bmp.Repaint().RepaintDelay(), c.delay);
    bmp.SetBitmapSize(6, 4);
    bmp.Repaint().TakeDirtyRect();
    bmp.ImageUpdate(MakeInterval(0, 0, 1, {0xFFFF}));
    if (c.delay > 0) {
      m_now += c.delay - 1;
      EXPECT_FALSE(bmp.Repaint().IsRepaintDue());
      m_now += 1;
    }
    EXPECT_TRUE(bmp.Repaint().IsRepaintDue());
  }
}

TEST_F(FrameBitmap, BlockingGoesStaleAfterItsTimeToLive) {
  // Missing: 6000 is written back.
  EXPECT_EQ(m_bmp.Gate().BlockTimeToLive(), 6000u);
  EXPECT_EQ(m_ini.Read("MISC", "BlockTimeToLive", "", 100), "6000");
  EXPECT_FALSE(m_bmp.Gate().IsBlockingStale());

  m_bmp.Gate().SetBlockUpdates(true);
  m_now += 6000;
  EXPECT_FALSE(m_bmp.Gate().IsBlockingStale());
  m_now += 1;
  EXPECT_TRUE(m_bmp.Gate().IsBlockingStale());
}

TEST_F(FrameBitmap, BlockTimeToLiveSetting) {
  struct Case {
    const char* stored;
    uint32_t used;
    const char* after;
  };
  for (const Case& c : {Case{"500", 6000, "6000"}, Case{"0", 0, "0"}, Case{"2500", 2500, "2500"},
                        Case{"-3", 6000, "6000"}}) {
    ASSERT_TRUE(m_ini.Write("MISC", "BlockTimeToLive", c.stored));
    FrameBuffer bmp(m_ini, [this] { return m_now; });
    EXPECT_EQ(bmp.Gate().BlockTimeToLive(), c.used) << c.stored;
    EXPECT_EQ(m_ini.Read("MISC", "BlockTimeToLive", "", 100), c.after) << c.stored;
    if (c.used == 0) {
      bmp.Gate().SetBlockUpdates(true);
      m_now += 1000000;
      EXPECT_FALSE(bmp.Gate().IsBlockingStale());
    }
  }
}

TEST_F(FrameBitmap, ResizeEchoOfTheCurrentSizeEndsBlocking) {
  m_bmp.SetBitmapSize(800, 600);
  m_bmp.Gate().SetBlockUpdates(true);
  uint8_t echo[8];
  StoreLE32(echo, 1024);
  StoreLE32(echo + 4, 768);
  EXPECT_FALSE(m_bmp.Gate().TakeResizeEcho(echo, sizeof echo));
  EXPECT_TRUE(m_bmp.Gate().IsBlocking());
  StoreLE32(echo, 800);
  StoreLE32(echo + 4, 600);
  EXPECT_FALSE(m_bmp.Gate().TakeResizeEcho(echo, 7));
  EXPECT_TRUE(m_bmp.Gate().TakeResizeEcho(echo, sizeof echo));
  EXPECT_FALSE(m_bmp.Gate().IsBlocking());
}

// Video lands only in a picture of the size it was cut for and the unit draws
// at. What is dropped for that is remembered until the sizes agree, and
// forgotten when a RESIZE echo says a whole picture follows anyway.
TEST_F(FrameBitmap, VideoIsWrittenOnlyAtTheSizeTheUnitDrawsAt) {
  const platform::Size picture{20, 10};
  const Interval run = MakeInterval(0, 0, 1, {0xFFFF});
  struct Case {
    const char* name;
    platform::Size drawnAt;
    platform::Size cutFor;
    bool written;
  };
  for (const Case& c : {Case{"the unit's size not known yet", {}, picture, true},
                        Case{"at the unit's size", picture, picture, true},
                        Case{"the unit draws at another size", {40, 30}, picture, false},
                        Case{"cut for the size before a resize", picture, {40, 30}, false}}) {
    SCOPED_TRACE(c.name);
    m_bmp.SetBitmapSize(picture.width, picture.height);
    m_bmp.Gate().ForgetDrawSize();
    m_bmp.Gate().SetDrawSize(c.drawnAt);
    m_bmp.ImageUpdates({&run, 1}, c.cutFor);
    EXPECT_EQ(PixelAt(0, 0) == WHITE, c.written);
    EXPECT_EQ(m_bmp.Gate().TakesVideo(), c.drawnAt == platform::Size{} || c.drawnAt == picture);
    // Nothing is due while the sizes differ, or when nothing was dropped.
    EXPECT_FALSE(m_bmp.Gate().TakeDroppedVideo());
  }

  m_bmp.Gate().SetDrawSize({40, 30});
  m_bmp.ImageUpdates({&run, 1}, picture);
  m_bmp.SetBitmapSize(40, 30);
  EXPECT_TRUE(m_bmp.Gate().TakeDroppedVideo());
  EXPECT_FALSE(m_bmp.Gate().TakeDroppedVideo());

  // A packet cut before a resize is counted as dropped by the resize itself.
  m_bmp.Gate().SetDrawSize(picture);
  EXPECT_EQ(m_bmp.Gate().BeginCut(), (platform::Size{40, 30}));
  m_bmp.SetBitmapSize(picture.width, picture.height);
  EXPECT_TRUE(m_bmp.Gate().TakeDroppedVideo());
  m_bmp.ImageUpdates({&run, 1}, {40, 30});
  m_bmp.Gate().EndCut();
  EXPECT_FALSE(m_bmp.Gate().TakeDroppedVideo());

  m_bmp.Gate().SetDrawSize({40, 30});
  m_bmp.ImageUpdates({&run, 1}, picture);
  uint8_t echo[8];
  StoreLE32(echo, picture.width);
  StoreLE32(echo + 4, picture.height);
  EXPECT_TRUE(m_bmp.Gate().TakeResizeEcho(echo, sizeof echo));
  EXPECT_EQ(m_bmp.Gate().DrawSize(), picture);
  EXPECT_FALSE(m_bmp.Gate().TakeDroppedVideo());
}

TEST_F(FrameBitmap, ResizeNeverMeetsAHalfWrittenRow) {
  m_bmp.SetBitmapSize(1600, 2);
  std::atomic<bool> stop{false};
  std::thread resizer([&] {
    for (int i = 0; !stop; ++i) m_bmp.SetBitmapSize(i % 2 ? 1600 : 64, 2);
  });
  const Interval row =
      MakeInterval(0, 1, MAX_INTERVAL_PIXELS, std::vector<uint16_t>(MAX_INTERVAL_PIXELS, 0xFFFF));
  for (int i = 0; i < 2000; ++i) {
    m_bmp.ImageUpdate(row);
    m_bmp.ReadPixels([](const PixelView& view) {
      // Whatever the size, row 1 is either untouched or written to its end.
      const uint8_t* line = view.Row(1);
      const uint8_t first = line[0];
      for (int x = 0; x < 3 * view.width; ++x) ASSERT_EQ(line[x], first);
    });
  }
  stop = true;
  resizer.join();
}

class SavedBitmap : public VideoFixture {
 protected:
  std::string Save(int width, int height) {
    m_bmp.SetBitmapSize(width, height);
    const std::string path = m_dir.File("screen.bmp");
    WriteBitmapFile(m_bmp, path);
    return ReadWholeFile(path);
  }
};

TEST_F(SavedBitmap, FileHoldsHeadersAndPaddedRows) {
  struct Case {
    int width;
    int height;
    size_t rowBytes;
  };
  for (const Case& c : {Case{1024, 768, 3072}, Case{1023, 768, 3072}, Case{3, 2, 12}}) {
    const std::string file = Save(c.width, c.height);
    const size_t expected = 54 + c.height * c.rowBytes;
    ASSERT_EQ(file.size(), expected) << c.width;
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(LoadLE32(bytes + 2), expected);
    EXPECT_EQ(LoadLE32(bytes + 6), 0u);
    EXPECT_EQ(LoadLE32(bytes + 10), 54u);
    EXPECT_EQ(LoadLE32(bytes + 14), 40u);
    EXPECT_EQ(static_cast<int>(LoadLE32(bytes + 18)), c.width);
    EXPECT_EQ(static_cast<int>(LoadLE32(bytes + 22)), c.height);
    EXPECT_EQ(LoadLE16(bytes + 26), 1);
    EXPECT_EQ(LoadLE16(bytes + 28), 24);
  }
}

TEST_F(SavedBitmap, PixelsAreWrittenAsStored) {
  m_bmp.SetBitmapSize(3, 2);
  m_bmp.ImageUpdate(MakeInterval(0, 0, 1, {0x8410}));
  const std::string path = m_dir.File("small.bmp");
  WriteBitmapFile(m_bmp, path);
  const std::string file = ReadWholeFile(path);
  // Row 0 of the screen comes last.
  EXPECT_EQ(file.substr(54 + 12, 3), "\x84\x82\x84");
  EXPECT_EQ(file.substr(54, 12), std::string(12, '\0'));
}

TEST_F(SavedBitmap, CommandAsksForAFileAndReportsFailures) {
  using Kind = platform::HeadlessDialogs::Kind;
  using Answer = platform::HeadlessDialogs::Answer;
  platform::HeadlessDialogs dialogs;
  m_bmp.SetBitmapSize(4, 4);
  SaveBitmap(m_bmp, false, dialogs);
  EXPECT_EQ(dialogs.Count(Kind::SaveFile), 0u);
  ASSERT_TRUE(dialogs.Last(Kind::Error));
  EXPECT_EQ(dialogs.Last(Kind::Error)->title, SAVE_BITMAP_FAILURE_TITLE);
  EXPECT_NE(dialogs.Last(Kind::Error)->text.find("No bitmap is available for saving."),
            std::string::npos);

  dialogs.Script(Answer::Text(m_dir.File("shot")));
  SaveBitmap(m_bmp, true, dialogs);
  EXPECT_EQ(dialogs.Last(Kind::SaveFile)->title, "Save Bitmap");
  EXPECT_EQ(std::filesystem::file_size(m_dir.File("shot.bmp")), 54u + 4 * 12);

  dialogs.ClearCalls();
  dialogs.Script(Answer::Cancel());
  SaveBitmap(m_bmp, true, dialogs);
  EXPECT_EQ(dialogs.Count(Kind::Error), 0u);

  dialogs.Script(Answer::Text(m_dir.File("missing/shot.bmp")));
  SaveBitmap(m_bmp, true, dialogs);
  ASSERT_TRUE(dialogs.Last(Kind::Error));
  EXPECT_NE(dialogs.Last(Kind::Error)->text.find("Could not open file for writing."),
            std::string::npos);
}

}  // namespace
