#include "player/render/VideoZoom.h"

#include <gtest/gtest.h>

#include <vector>

using platform::Rect;

namespace {

TEST(VideoZoomFit, FitsKeepingTheAspectAndCentres) {
  struct Case {
    Rect rect;
    int width;
    int height;
    Rect expected;
  };
  const std::vector<Case> cases = {
      {{0, 0, 400, 400}, 704, 576, {0, 36, 400, 363}},      // r = 0.818 <= 1: full width
      {{0, 0, 640, 360}, 322, 242, {80, 0, 559, 360}},      // r = 0.752 > 0.5625: full height
      {{10, 20, 410, 320}, 0, 0, {10, 20, 410, 320}},       // width 0 counts as 4:3
      {{0, 0, 400, 400}, 0, 100, {0, 50, 400, 350}},        // 4:3 again, whatever the height
      {{0, 0, 100, 100}, 100, 100, {0, 0, 100, 100}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, VideoZoom::fitInside(c.rect, c.width, c.height));
  }
}

TEST(VideoZoomFit, GrowsToTheAspectWithoutLeavingThePicture) {
  // 4:3 picture: a square grows in width, half to the left.
  EXPECT_EQ((Rect{40, 50, 173, 150}), VideoZoom::growToAspect(Rect{56, 50, 156, 150}, 400, 300));
  // Near the left edge it stops at 0.
  EXPECT_EQ((Rect{0, 50, 133, 150}), VideoZoom::growToAspect(Rect{5, 50, 105, 150}, 400, 300));
  // A wide rectangle grows in height.
  EXPECT_EQ((Rect{0, 0, 200, 150}), VideoZoom::growToAspect(Rect{0, 10, 200, 110}, 400, 300));
}

// A zoom on a 400 x 300 picture shown in an 800 x 600 rectangle.
struct ZoomFixture : ::testing::Test {
  ZoomFixture() { zoom.followPictureSize(400, 300); }
  VideoZoom zoom;
  const Rect display{0, 0, 800, 600};
};

TEST_F(ZoomFixture, RefusesEmptyAndTinyRectanglesAndWorksOnlyWithAPicture) {
  VideoZoom fresh;
  EXPECT_EQ(-8, fresh.zoomInVideo(0, 0, 0, 10, display));
  EXPECT_EQ(-6, fresh.zoomInVideo(0, 0, 100, 100, display));
  EXPECT_EQ(-8, zoom.zoomInVideo(0, 0, 0, 10, display));
  // 40 x 30 window pixels are 20 x 15 picture pixels: too small.
  EXPECT_EQ(-8, zoom.zoomInVideo(0, 0, 30, 30, display));
  EXPECT_FALSE(zoom.isActive());
}

TEST_F(ZoomFixture, WindowRectangleMapsThroughTheDisplayScale) {
  // The scale is 400 / 800 = 0.5, a fraction: an integer division would refuse every rectangle.
  ASSERT_EQ(0, zoom.zoomInVideo(200, 150, 400, 300, display));
  EXPECT_TRUE(zoom.isActive());
  EXPECT_EQ((Rect{100, 75, 300, 225}), zoom.zoomRect());
  EXPECT_EQ((Rect{100, 75, 300, 225}), zoom.bounds());
  EXPECT_EQ((Rect{100, 75, 300, 225}), zoom.sourceRect(400, 300));
  // A second zoom works inside the first: the scale is now 200 / 800.
  ASSERT_EQ(0, zoom.zoomInVideo(0, 0, 400, 300, display));
  EXPECT_EQ((Rect{100, 75, 200, 150}), zoom.zoomRect());
  // A rectangle reaching past the display is clipped to it.
  zoom.restoreVideo();
  ASSERT_EQ(0, zoom.zoomInVideo(400, 300, 1000, 1000, Rect{0, 0, 800, 600}));
}

TEST_F(ZoomFixture, TenStepsInShrinkByATenthPerSideUntilTwentyPixels) {
  VideoZoom square;
  square.followPictureSize(100, 100);
  std::vector<int> widths;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(0, square.zoomInVideo());
    widths.push_back(square.zoomRect().width());
  }
  EXPECT_EQ((std::vector<int>{80, 64, 51, 40, 32, 25, 25, 25, 25, 25}), widths);
  EXPECT_EQ((Rect{36, 36, 61, 61}), square.zoomRect());
  EXPECT_TRUE(square.isActive());
}

TEST_F(ZoomFixture, RestoreShowsAllAndStepsSnapBackIntoTheLastZoom) {
  ASSERT_EQ(0, zoom.zoomInVideo(200, 150, 400, 300, display));
  zoom.restoreVideo();
  EXPECT_FALSE(zoom.isActive());
  EXPECT_EQ((Rect{0, 0, 400, 300}), zoom.zoomRect());
  EXPECT_EQ((Rect{0, 0, 400, 300}), zoom.sourceRect(400, 300));
  EXPECT_EQ((Rect{100, 75, 300, 225}), zoom.bounds());
  const std::vector<Rect> expected = {
      {40, 30, 360, 270}, {72, 54, 328, 246}, {99, 75, 299, 225}, {100, 75, 300, 225}, {120, 90, 280, 210}};
  for (const Rect& step : expected) {
    EXPECT_EQ(0, zoom.zoomInVideo());
    EXPECT_EQ(step, zoom.zoomRect());
  }
}

TEST_F(ZoomFixture, StepsOutSnapToTheBoundsThenGrowToThePicture) {
  ASSERT_EQ(0, zoom.zoomInVideo(200, 150, 400, 300, display));
  ASSERT_EQ(0, zoom.zoomInVideo());
  EXPECT_EQ((Rect{120, 90, 280, 210}), zoom.zoomRect());
  // Inside the bounds a side within dx of its bound snaps onto it (top and bottom too); then fitted.
  const std::vector<Rect> expected = {{104, 78, 296, 222}, {100, 75, 300, 225}, {80, 60, 320, 240},
                                      {56, 42, 344, 258},  {27, 20, 372, 278},  {0, 0, 400, 300},
                                      {0, 0, 400, 300}};
  for (const Rect& step : expected) {
    EXPECT_EQ(0, zoom.zoomOutVideo());
    EXPECT_EQ(step, zoom.zoomRect());
  }
}

TEST_F(ZoomFixture, ANewPictureSizeShowsTheWholePicture) {
  ASSERT_EQ(0, zoom.zoomInVideo(200, 150, 400, 300, display));
  zoom.followPictureSize(176, 144);
  EXPECT_EQ((Rect{0, 0, 176, 144}), zoom.sourceRect(176, 144));
  EXPECT_EQ((Rect{0, 0, 176, 144}), zoom.bounds());
  EXPECT_TRUE(zoom.isActive()) << "the same zoom, now over the whole new picture";
  zoom.forgetPicture();
  EXPECT_FALSE(zoom.isActive()) << "a decoder reopen ends the zoom";
  EXPECT_EQ(-6, zoom.zoomInVideo(0, 0, 100, 100, display));
  zoom.followPictureSize(400, 300);
  EXPECT_FALSE(zoom.isActive());
  EXPECT_EQ((Rect{0, 0, 400, 300}), zoom.sourceRect(400, 300));
}

}  // namespace
