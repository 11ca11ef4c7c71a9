#include "viewer/viewer_state.h"

#include <gtest/gtest.h>

namespace {

class ViewerStateTest : public ::testing::Test {
 protected:
  void SetUp() override { viewerState = ViewerState{}; }
};

TEST_F(ViewerStateTest, ShadeCycleVisitsEveryPresetAndKeepsShadesWhenSwitchedOff) {
  const int expectedIndex[] = {4, 5, 0, 1, 2, 3};
  const float expectedTop[] = {0.55f, 0.5f, 0.5f, 1.0f, 0.8f, 0.6f};
  const float expectedBottom[] = {0.45f, 0.5f, 0.5f, 0.0f, 0.2f, 0.4f};
  for (int call = 0; call < 6; ++call) {
    cycleShade();
    EXPECT_EQ(viewerState.shadeIndex, expectedIndex[call]) << "after call " << call + 1;
    EXPECT_EQ(viewerState.shadeTop, expectedTop[call]) << "after call " << call + 1;
    EXPECT_EQ(viewerState.shadeBottom, expectedBottom[call]) << "after call " << call + 1;
  }
}

TEST_F(ViewerStateTest, SwitchesFlipAndReportTheirNewValue) {
  EXPECT_TRUE(toggleMainLight());
  EXPECT_FALSE(toggleMainLight());
  EXPECT_TRUE(toggleSideLight());
  EXPECT_TRUE(viewerState.sideLightOff);
  EXPECT_FALSE(viewerState.mainLightOff);
  togglePause();
  toggleLogo();
  EXPECT_TRUE(viewerState.paused);
  EXPECT_FALSE(viewerState.logoVisible);
  beginDrag();
  EXPECT_TRUE(viewerState.dragging);
  endDrag();
  EXPECT_FALSE(viewerState.dragging);
}

TEST_F(ViewerStateTest, LogoSwingTurnsAtTheKnownFrames) {
  // Frame numbers (1-based) at whose start the direction changes, with the
  // angle the frame starts at.
  struct Turn {
    int frame;
    int newDirection;
  };
  const Turn turns[] = {{102, -1}, {403, +1}, {704, -1}, {1005, +1}, {1306, -1}, {1607, +1}};
  std::size_t next = 0;
  for (int frame = 1; frame <= 1700; ++frame) {
    const int before = viewerState.logoDirection;
    const double angleAtStart = viewerState.logoAngle;
    turnLogoAtBounds();
    if (viewerState.logoDirection != before) {
      ASSERT_LT(next, std::size(turns)) << "unexpected turn at frame " << frame;
      EXPECT_EQ(frame, turns[next].frame);
      EXPECT_EQ(viewerState.logoDirection, turns[next].newDirection);
      if (frame == 102) {
        EXPECT_DOUBLE_EQ(angleAtStart, 10.09999999999998);
      }
      if (frame == 403) {
        // The nominal -20.0 arrives just below the bound and already counts.
        EXPECT_DOUBLE_EQ(angleAtStart, -20.000000000000018);
        EXPECT_LT(angleAtStart, -20.0);
      }
      ++next;
    }
    advanceScene();
    advanceLogo();
    EXPECT_GT(viewerState.logoAngle, -20.2) << "frame " << frame;
    EXPECT_LT(viewerState.logoAngle, 10.2) << "frame " << frame;
  }
  EXPECT_EQ(next, std::size(turns));
}

TEST_F(ViewerStateTest, PausedPaintsMoveOnlyTheLogoAndAHiddenLogoStays) {
  skipFrame();
  EXPECT_DOUBLE_EQ(viewerState.sceneAngle, 0.2);
  EXPECT_DOUBLE_EQ(viewerState.logoAngle, 0.1);

  togglePause();
  skipFrame();
  EXPECT_DOUBLE_EQ(viewerState.sceneAngle, 0.2);
  EXPECT_DOUBLE_EQ(viewerState.logoAngle, 0.2);

  togglePause();
  toggleLogo();
  skipFrame();
  EXPECT_DOUBLE_EQ(viewerState.sceneAngle, 0.4);
  EXPECT_DOUBLE_EQ(viewerState.logoAngle, 0.2);
}

TEST_F(ViewerStateTest, SceneAngleAccumulatesWithoutWrapping) {
  for (int i = 0; i < 2000; ++i) advanceScene();
  // 2000 double additions of 0.2: past 360 and never reduced.
  EXPECT_NEAR(viewerState.sceneAngle, 400.0, 1e-9);
}

}  // namespace
