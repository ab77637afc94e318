// Sizes the viewer asks the unit for, and how window and frame buffer follow.

#include <gmock/gmock.h>

#include "view/ViewGeometryFixture.h"

using platform::ScrollBar;
using platform::Size;
using testing::ElementsAre;
using view::ScrollAction;

namespace {

TEST_F(ViewGeometryTest, NewSizeOutsideTheUnitsRangeIsIgnored) {
  struct Case {
    int width, height;
    bool accepted;
  };
  for (const Case c : {Case{1600, 1200, true}, Case{1601, 1200, false}, Case{1600, 1201, false},
                       Case{0, 768, false}, Case{1024, -768, false}, Case{1, 1, true}}) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    Start("scaled", false, false);
    geometry.NewSize(c.width, c.height);
    if (c.accepted) {
      EXPECT_EQ(geometry.NativeSize(), (Size{c.width, c.height}));
      EXPECT_THAT(Types(), ElementsAre(RESIZE, REPAINT));
    } else {
      EXPECT_TRUE(link.sent.empty());
    }
  }
}

TEST_F(ViewGeometryTest, ScaledNewSizeAsksForTheClientUnlessDontEnlargeHoldsTheNativeSize) {
  view.SetClientSize({1280, 1024});
  struct Case {
    bool dontEnlarge;
    Size asked;
  };
  for (const Case c : {Case{false, {1280, 1024}}, Case{true, {1024, 768}}}) {
    SCOPED_TRACE(c.dontEnlarge);
    Start("scaled", false, c.dontEnlarge);
    geometry.NewSize(1024, 768);
    EXPECT_THAT(Resizes(), ElementsAre(c.asked));
    EXPECT_EQ(Types().back(), REPAINT);
    EXPECT_EQ(bmp.Size(), c.asked);
    EXPECT_EQ(changes.viewChanges, 1);
  }
}

TEST_F(ViewGeometryTest, AutoSizeFitsTheWindowAroundTheRemoteScreen) {
  view.SetClientSize({800, 600});
  Start("scaled", true, false);
  geometry.NewSize(1024, 700);
  // The window was moved without the move itself asking for a size.
  EXPECT_EQ(view.ClientRect(), (platform::Rect{0, 0, 1024, 700}));
  EXPECT_THAT(Resizes(), ElementsAre(Size{1024, 700}));
  EXPECT_EQ(bmp.Size(), (Size{1024, 700}));
  EXPECT_FALSE(view.IsMaximised());
}

TEST_F(ViewGeometryTest, AutoSizeMaximisesForARemoteScreenAsWideAsTheLocalOne) {
  view.SetLocalScreenSize(Size{1280, 1024});
  Start("scaled", true, false);
  geometry.NewSize(1280, 1024);
  EXPECT_TRUE(view.IsMaximised());
  const Size client{
      1280 - platform::HeadlessView::FRAME_LEFT - platform::HeadlessView::FRAME_RIGHT,
      1024 - platform::HeadlessView::FRAME_TOP - platform::HeadlessView::FRAME_BOTTOM};
  EXPECT_EQ(bmp.Size(), client);
  EXPECT_EQ(Resizes().back(), client);
  EXPECT_EQ(Types().back(), REPAINT);
}

TEST_F(ViewGeometryTest, OnSizeTellsTheUnitOnlySizesItCanUse) {
  struct Case {
    Size client;
    std::vector<Size> told;
  };
  for (const Case& c : {Case{{60, 40}, {}}, Case{{63, 600}, {}}, Case{{64, 48}, {{64, 48}}},
                        Case{{800, 600}, {{800, 600}}}}) {
    SCOPED_TRACE(testing::Message() << c.client.width << " x " << c.client.height);
    view.SetClientSize({500, 400});
    Start("scaled", false, false);
    view.SetClientSize(c.client);
    EXPECT_EQ(Resizes(), c.told);
    EXPECT_EQ(geometry.FullScreen().awaitNative, !c.told.empty());
  }
}

TEST_F(ViewGeometryTest, OnSizeWithDontEnlargeClampsToTheNativeSize) {
  Start("scaled", false, true);
  geometry.NewSize(1024, 768);
  link.sent.clear();

  view.SetClientSize({1100, 600});
  EXPECT_THAT(Resizes(), ElementsAre(Size{1024, 600}));
  EXPECT_EQ(bmp.Size(), (Size{1024, 600}));
  link.sent.clear();

  view.SetClientSize({1200, 900});
  EXPECT_THAT(Types(), ElementsAre(RESIZE, REPAINT, RESIZE));
  EXPECT_EQ(bmp.Size(), (Size{1024, 768}));
  link.sent.clear();

  // Already at the native size: only painted again.
  view.SetClientSize({1300, 1000});
  EXPECT_TRUE(link.sent.empty());
}

TEST_F(ViewGeometryTest, ScrolledModeKeepsTheNativeSizeAndScrollsByTenthsAndPages) {
  view.SetClientSize({800, 300});
  Start("scrolled", false, false);
  geometry.NewSize(1024, 768);
  EXPECT_THAT(Resizes(), ElementsAre(Size{1024, 768}));
  const auto vertical = view.GetScrollBar(ScrollBar::Vertical);
  EXPECT_TRUE(vertical.visible);
  EXPECT_EQ(vertical.maximum, 767);
  EXPECT_EQ(vertical.page, 300 - 16);  // the horizontal bar takes its height
  EXPECT_TRUE(view.GetScrollBar(ScrollBar::Horizontal).visible);

  struct Step {
    ScrollBar bar;
    ScrollAction action;
    int thumb;
    int position;
  };
  for (const Step s : {Step{ScrollBar::Vertical, ScrollAction::LineDown, 0, 76},
                       Step{ScrollBar::Vertical, ScrollAction::LineDown, 0, 152},
                       Step{ScrollBar::Vertical, ScrollAction::LineUp, 0, 76},
                       Step{ScrollBar::Vertical, ScrollAction::PageDown, 0, 76 + 227},
                       Step{ScrollBar::Vertical, ScrollAction::ToMinimum, 0, 0},
                       Step{ScrollBar::Vertical, ScrollAction::LineUp, 0, 0},
                       Step{ScrollBar::Vertical, ScrollAction::ToMaximum, 0, 768 - 284},
                       Step{ScrollBar::Vertical, ScrollAction::PageDown, 0, 768 - 284},
                       Step{ScrollBar::Horizontal, ScrollAction::LineDown, 0, 102},
                       Step{ScrollBar::Horizontal, ScrollAction::Track, 5000, 1024 - 784}}) {
    geometry.Scroll(s.bar, s.action, s.thumb);
    EXPECT_EQ(view.GetScrollBar(s.bar).position, s.position);
    EXPECT_EQ(geometry.Bars().Position(s.bar), s.position);
  }

  // A resize while logged in changes what shows, not what the unit draws.
  link.sent.clear();
  view.SetClientSize({1100, 900});
  EXPECT_TRUE(link.sent.empty());
  EXPECT_FALSE(view.GetScrollBar(ScrollBar::Vertical).visible);
  EXPECT_EQ(geometry.Bars().Position(ScrollBar::Vertical), -1);
}

TEST_F(ViewGeometryTest, OneToOneForAScreenAsWideAsTheLocalOneMaximisesAndShowsTheTip) {
  view.SetLocalScreenSize(Size{1024, 768});
  view.SetClientSize({800, 600});
  Start("scaled", false, false);
  bmp.Gate().SetBlockUpdates(true);
  geometry.OneToOne(1024, 768);
  EXPECT_FALSE(bmp.Gate().IsBlocking());
  EXPECT_TRUE(view.IsMaximised());
  EXPECT_EQ(view.StatusText(1), view::FULL_SCREEN_TIP);
  // Only the maximised window's own size is told, as for any resize.
  EXPECT_THAT(Resizes(), ElementsAre(Size{1024 - 16, 768 - 62}));
}

TEST_F(ViewGeometryTest, OneToOneInScrolledModeFitsTheWindowAndStaysScrolled) {
  view.SetClientSize({800, 600});
  Start("scrolled", false, false);
  geometry.OneToOne(900, 700);
  EXPECT_EQ(view.ClientRect(), (platform::Rect{0, 0, 900, 700}));
  EXPECT_FALSE(geometry.IsScaled());
  EXPECT_TRUE(link.sent.empty());
}

TEST_F(ViewGeometryTest, OperatorsOneToOneAsksTheUnitAndBlocksVideo) {
  Start("scaled", false, false);
  geometry.OnACTIONSOneToOne();
  EXPECT_THAT(Types(), ElementsAre(ONE_TO_ONE));
  EXPECT_TRUE(bmp.Gate().IsBlocking());

  link.failSends = true;
  geometry.OnACTIONSOneToOne();
  const auto shown = dialogs.Last(platform::HeadlessDialogs::Kind::Error);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->title, view::ONE_TO_ONE_FAILURE_TITLE);
  EXPECT_EQ(shown->text,
            "CBrenvikView::OnACTIONSOneToOne(): Could not send command to Unit because:\n"
            "Error sending: error code 32");
}

TEST_F(ViewGeometryTest, ViewTypeIsSwitchedAndWrittenBack) {
  view.SetClientSize({800, 600});
  Start("scaled", false, false);
  geometry.NewSize(1024, 768);
  link.sent.clear();

  geometry.OnViewType(view::ID_VIEW_SCROLLED);
  EXPECT_FALSE(geometry.IsScaled());
  EXPECT_THAT(Resizes(), ElementsAre(Size{1024, 768}));
  EXPECT_TRUE(view.GetScrollBar(ScrollBar::Vertical).visible);
  EXPECT_EQ(ini.Read("MISC", "VIEW_TYPE", "", 200), "scrolled");

  link.sent.clear();
  geometry.OnViewType(view::ID_VIEW_SCALED);
  EXPECT_TRUE(geometry.IsScaled());
  EXPECT_THAT(Resizes(), ElementsAre(Size{800, 600}));
  EXPECT_FALSE(view.GetScrollBar(ScrollBar::Vertical).visible);
  EXPECT_EQ(ini.Read("MISC", "VIEW_TYPE", "", 200), "scaled");

  geometry.OnViewType(1);
  const auto shown = dialogs.Last(platform::HeadlessDialogs::Kind::Error);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->text, "Unexpected id.");
}

TEST_F(ViewGeometryTest, QuadOrSingleTellsTheUnitTheStoredServers) {
  struct Case {
    uint32_t id;
    std::vector<std::pair<int, int>> stored;  // quadrant, server
    std::array<uint32_t, 4> servers;
    uint8_t firstQuadrant;
    bool quad;
  };
  for (const Case& c : {Case{view::ID_VIEW_QUAD, {{2, 5}}, {0, 0, 5, 0}, 2, true},
                        Case{view::ID_VIEW_QUAD, {}, {0, 0, 0, 0}, 0, true},
                        Case{view::ID_VIEW_SINGLE, {{0, 7}, {3, 4}}, {7, 0, 0, 0}, 3, false}}) {
    SCOPED_TRACE(c.id);
    TempDir fresh;
    settings::IniFile quadIni(fresh.File("Remote.ini"));
    view::ServerSelection quadView(link, quadIni, dialogs);
    for (const auto& [quadrant, server] : c.stored)
      quadView.WriteActiveServerForThisQuadrant(quadrant, server);
    link.sent.clear();
    quadView.OnViewQuadOrSingle(c.id);
    ASSERT_THAT(Types(), ElementsAre(TELL_SERVERS_SELECTED));
    const std::vector<uint8_t>& payload = link.sent[0].payload;
    ASSERT_EQ(payload.size(), 24u);
    for (int quadrant = 0; quadrant < 4; ++quadrant)
      EXPECT_EQ(LoadLE32(payload.data() + 4 * quadrant), c.servers[quadrant]);
    EXPECT_THAT(std::vector<uint8_t>(payload.begin() + 16, payload.end()),
                ElementsAre(c.firstQuadrant, 3, 128, 128, 32, 128, 128, 32));
    EXPECT_EQ(quadView.IsQuadView(), c.quad);
  }
}

TEST_F(ViewGeometryTest, MenuTogglesAreWrittenBack) {
  Start("scaled", true, false);
  geometry.Options().ToggleAutoSize();
  geometry.Options().ToggleDontEnlarge();
  EXPECT_FALSE(geometry.Options().AutoSize());
  EXPECT_TRUE(geometry.Options().DontEnlarge());
  EXPECT_EQ(ini.Read("MISC", "AUTO_SIZE", "", 200), "False");
  EXPECT_EQ(ini.Read("MISC", "DONT_ENLARGE", "", 200), "True");
}

}  // namespace
