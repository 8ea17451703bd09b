#include <gtest/gtest.h>

#include "classlib/layout.h"

// Sides are taken in the order asked: a top strip spans the whole width,
// a left strip only what the top and bottom strips left.
TEST(Layout, AlignedPlacesShareTheFreeAreaSideBySide) {
  TRect free = Rect(0, 0, 400, 300);
  EXPECT_EQ(TakeAlignedPlace(alTop, free, 10, 30), Rect(0, 0, 400, 30));
  EXPECT_EQ(TakeAlignedPlace(alBottom, free, 10, 20), Rect(0, 280, 400, 300));
  EXPECT_EQ(TakeAlignedPlace(alBottom, free, 10, 50), Rect(0, 230, 400, 280));
  EXPECT_EQ(TakeAlignedPlace(alLeft, free, 100, 5), Rect(0, 30, 100, 230));
  EXPECT_EQ(TakeAlignedPlace(alRight, free, 40, 5), Rect(360, 30, 400, 230));
  EXPECT_EQ(TakeAlignedPlace(alClient, free, 1, 1), Rect(100, 30, 360, 230));
  // A second client control lies over the first: a pane that shows one of
  // several views at a time.
  EXPECT_EQ(TakeAlignedPlace(alClient, free, 1, 1), Rect(100, 30, 360, 230));
}

// A window shrunk below its panes must not shrink the panes themselves:
// they get their sizes back when it grows again; the client gets nothing.
TEST(Layout, ControlsKeepTheirSizeWhenTheAreaIsTooSmall) {
  TRect free = Rect(0, 0, 100, 50);
  EXPECT_EQ(TakeAlignedPlace(alBottom, free, 10, 80), Rect(0, -30, 100, 50));
  EXPECT_EQ(TakeAlignedPlace(alLeft, free, 150, 0), Rect(0, 0, 150, 0));
  TRect client = TakeAlignedPlace(alClient, free, 0, 0);
  EXPECT_EQ(client.Width(), 0);
  EXPECT_EQ(client.Height(), 0);
}

TEST(Layout, AnchorsKeepDistancesToTheirEdges) {
  const TRect origin = Rect(300, 200, 380, 225);  // in a 400 x 250 parent
  // Right and bottom: moves with that corner.
  EXPECT_EQ(AnchoredPlace(akRight | akBottom, origin, 400, 250, 500, 300), Rect(400, 250, 480, 275));
  // Left and right: stretches, keeping both distances.
  EXPECT_EQ(AnchoredPlace(akLeft | akRight | akTop, origin, 400, 250, 500, 300), Rect(300, 200, 480, 225));
  // The default stays where it was.
  EXPECT_EQ(AnchoredPlace(kDefaultAnchors, origin, 400, 250, 500, 300), origin);
  // Neither side of an axis: keeps its place relative to the middle.
  EXPECT_EQ(AnchoredPlace(akTop, origin, 400, 250, 500, 300), Rect(350, 200, 430, 225));
  // Computed from the reference each time, so shrinking to nothing and
  // growing back loses nothing.
  EXPECT_EQ(AnchoredPlace(akLeft | akRight | akTop, origin, 400, 250, 0, 0).Width(), 0);
  EXPECT_EQ(AnchoredPlace(akLeft | akRight | akTop, origin, 400, 250, 400, 250), origin);
}

TEST(Layout, ConstraintsClampAndTellOnlyRealChanges) {
  TSizeConstraints c;
  int changes = 0;
  c.OnChange = [&](TObject*) { ++changes; };
  c.SetMinWidth(50);
  c.SetMaxWidth(200);
  c.SetMaxWidth(200);
  c.SetMinHeight(-5);  // no negative limits
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(c.MinHeight(), 0);
  EXPECT_EQ(c.ConstrainWidth(10), 50);
  EXPECT_EQ(c.ConstrainWidth(500), 200);
  EXPECT_EQ(c.ConstrainWidth(120), 120);
  EXPECT_EQ(c.ConstrainHeight(0), 0);  // 0 means no limit
  EXPECT_EQ(c.ConstrainHeight(100000), 100000);
}
