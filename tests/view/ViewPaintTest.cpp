// What a paint copies where, and when the view timer asks for one.

#include <gmock/gmock.h>

#include <thread>

#include "view/ViewGeometryFixture.h"
#include "view/ViewPaint.h"
#include "view/ViewTimer.h"

using platform::Rect;
using testing::ElementsAre;
using view::PaintInputs;
using view::PlanPaint;

namespace {

int Area(const std::vector<Rect>& rects) {
  int area = 0;
  for (const Rect& r : rects) area += r.Width() * r.Height();
  return area;
}

PaintInputs In(bool connected, bool partial, Rect dirty, platform::Size picture, Rect client,
               int horizontalScroll = -1, int verticalScroll = -1) {
  return {connected, partial, dirty, picture, client, horizontalScroll, verticalScroll, ""};
}

TEST(PaintPlan, CentresASmallerPictureWithMarginsAndShiftsALargerOneByTheScrollPositions) {
  struct Case {
    const char* name;
    PaintInputs in;
    Rect source;
    platform::Point destination;
    int marginArea;
  };
  const Case cases[] = {
      {"centred",
       In(true, false, {0, 0, 1024, 768}, {1024, 768}, {0, 0, 1280, 1024}),
       {0, 0, 1024, 768},
       {128, 128},
       1280 * 1024 - 1024 * 768},
      {"centred, partial",
       In(true, true, {10, 20, 30, 40}, {1024, 768}, {0, 0, 1280, 1024}),
       {10, 20, 30, 40},
       {138, 148},
       0},
      {"scrolled",
       In(true, true, {100, 200, 300, 400}, {1024, 768}, {0, 0, 800, 600}, 50, 76),
       {100, 200, 300, 400},
       {50, 124},
       0},
      {"bars absent",
       In(true, false, {0, 0, 800, 600}, {800, 600}, {0, 0, 800, 600}, -1, -1),
       {0, 0, 800, 600},
       {0, 0},
       0},
      {"centred across, scrolled down",
       In(true, true, {0, 100, 10, 110}, {640, 768}, {0, 0, 800, 600}, -1, 30),
       {0, 100, 10, 110},
       {80, 70},
       0},
      // Video may mark columns past the edge; nothing outside the picture is read.
      {"clipped",
       In(true, true, {1000, 0, 1030, 1}, {1024, 768}, {0, 0, 1024, 768}),
       {1000, 0, 1024, 1},
       {1000, 0},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const view::PaintPlan plan = PlanPaint(c.in);
    EXPECT_EQ(plan.source, c.source);
    EXPECT_EQ(plan.destination, c.destination);
    EXPECT_EQ(Area(plan.margins), c.marginArea);
    EXPECT_FALSE(plan.notConnected);
  }
}

TEST(PaintPlan, NotConnectedShowsTheTargetInWhiteOnDarkBlue) {
  PaintInputs in;
  in.dirty = {0, 0, 640, 480};
  in.picture = {640, 480};
  in.client = {0, 0, 900, 300};
  in.targetName = "Rack 4";
  const view::PaintPlan plan = PlanPaint(in);
  ASSERT_TRUE(plan.notConnected);
  EXPECT_EQ(plan.notConnected->title, "Not Connected");
  EXPECT_EQ(plan.notConnected->detail, "Not connected to Rack 4");
  EXPECT_EQ(plan.notConnected->fontHeight, 20);  // min(900 / 9, 300 / 15)
  EXPECT_EQ(plan.notConnected->text, (view::Rgb{255, 255, 255}));
  EXPECT_EQ(plan.notConnected->background, (view::Rgb{0, 0, 128}));
  EXPECT_TRUE(plan.margins.empty());
}

TEST_F(ViewGeometryTest, PainterCopiesTheDirtyPartOnceAndIsNotEnteredAgain) {
  Start("scaled", false, false);
  view::ViewPainter painter(bmp, geometry, view);
  std::vector<Rect> sources;
  bool nestedRan = true;
  geometry.SetPartialPaint(true);
  bmp.FillBmp(1, 2, 3, 10, 20, 29, 39);  // a fill marks everything dirty
  const bool painted = painter.PaintWindow(
      true, "Unit", [&](const view::PaintPlan& plan, const video::PixelView& pixels) {
        sources.push_back(plan.source);
        EXPECT_TRUE(bmp.Repaint().IsPainting());
        EXPECT_EQ(pixels.width, 1024);
        nestedRan = painter.PaintWindow(true, "Unit", [](auto&, auto&) {});
      });
  EXPECT_TRUE(painted);
  EXPECT_FALSE(nestedRan);
  EXPECT_THAT(sources, ElementsAre(Rect{0, 0, 1024, 768}));
  EXPECT_TRUE(bmp.Repaint().GetRect().IsEmpty());
  EXPECT_FALSE(bmp.Repaint().IsPainting());
  EXPECT_FALSE(geometry.PartialPaint());
}

TEST_F(ViewGeometryTest, AChangeDecodedWhilePaintingIsLeftForTheNextPaint) {
  Start("scaled", false, false);
  view::ViewPainter painter(bmp, geometry, view);
  std::thread monitor;
  painter.PaintWindow(true, "Unit", [&](const view::PaintPlan&, const video::PixelView&) {
    // The monitor thread's next rows wait for the pixels' lock, which the paint holds.
    monitor = std::thread([&] { bmp.FillBmp(9, 9, 9, 0, 0, 3, 3); });
  });
  monitor.join();
  EXPECT_EQ(bmp.Repaint().GetRect(), (video::DirtyRect{0, 0, 1024, 768}));
  tick += bmp.Repaint().RepaintDelay();
  EXPECT_TRUE(bmp.Repaint().IsRepaintDue());
}

TEST_F(ViewGeometryTest, ViewTimerRepaintsAChangeOnceItIsOldEnough) {
  Start("scaled", false, false);
  int sessionTicks = 0;
  view::ViewTimer timer(bmp, geometry, view, loop, [&] { ++sessionTicks; });
  bmp.Repaint().TakeDirtyRect();
  view.ClearInvalidations();

  bmp.FillBmp(1, 2, 3, 0, 0, 3, 3);
  tick += 100;
  timer.Tick();
  EXPECT_TRUE(view.Invalidations().empty());
  tick += 1;
  timer.Tick();
  ASSERT_EQ(view.Invalidations().size(), 1u);
  EXPECT_FALSE(view.Invalidations()[0].erase);
  EXPECT_TRUE(geometry.PartialPaint());
  EXPECT_EQ(sessionTicks, 2);
}

}  // namespace
